// Shows the archive dialog with its default patterns for screenshots. Logs
// "dpi N" and then "ready" to the file named by the argument, and runs until
// it is ended from outside.
#include <windows.h>

#include "framework/object/application.h"
#include "tools/screenshots/shot_support.h"
#include "framework/util/text_util.h"
#include "services/archive/archive_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  gApp.hInstance = instance;
  InstallAppTexts(nullptr);
  (void)CopyText(gApp.appName, sizeof gApp.appName, "Veltrano");
  (void)CopyText(gApp.dataFolder, sizeof gApp.dataFolder, "C:\\VeltranoShot\\Data");
  shot_support::ReportWhenShown(arguments, "Archive Configuration");
  DialogBoxParamA(instance, MAKEINTRESOURCEA(50103), nullptr, ArchiveDialogProc, 0);
  return 0;
}
