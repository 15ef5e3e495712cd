// Shows the update dialog as it is after a check that found a newer version,
// for screenshots. Logs "dpi N" and then "ready" to the file named by the
// argument, and runs until it is ended from outside.
#include <windows.h>

#include "framework/object/application.h"
#include "framework/store/config_file.h"
#include "tools/screenshots/shot_support.h"
#include "framework/util/text_util.h"
#include "services/update/res/update_dialog_ids.h"
#include "services/update/update_dialog.h"
#include "services/update/update_logic.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  gApp.hInstance = instance;
  InstallAppTexts(nullptr);
  (void)CopyText(gApp.appName, sizeof gApp.appName, "Veltrano");
  (void)CopyText(gApp.dataFolder, sizeof gApp.dataFolder, "C:\\VeltranoShot\\Data");
  gApp.versionMajor = 2;
  gApp.versionMinor = 5;
  gApp.versionBuild = 10;
  UpdateCheckRecord record{};
  (void)CopyText(record.lastReply, sizeof record.lastReply, "2.6.0\r\n");
  record.lastCheck = 1796601600;  // 2026-12-07
  record.newerFound = 1;
  record.enabled = 1;
  record.intervalDays = 14;
  (void)WriteConfigFile("(Orvo)UpdateCheck", -1, &record, sizeof record, 0);
  shot_support::ReportWhenShown(arguments, "Veltrano Update Check");
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_UPDATE), nullptr, UpdateCheckDialogProc, 1);
  return 0;
}
