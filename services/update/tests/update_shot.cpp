// Shows the update dialog as it is after a check that found a newer version,
// for screenshots. Logs "dpi N" and then "ready" to the file named by the
// argument, and runs until it is ended from outside.
#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/app/application.h"
#include "framework/store/config_file.h"
#include "framework/util/monitors.h"
#include "framework/util/text_util.h"
#include "services/update/res/update_dialog_ids.h"
#include "services/update/update_dialog.h"
#include "services/update/update_logic.h"

namespace {

std::string gLog;

void Log(const std::string& line) {
  if (FILE* f = std::fopen(gLog.c_str(), "ab")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND dialog = FindWindowA(nullptr, "Veltrano Update Check");
  if (dialog == nullptr || !IsWindowVisible(dialog)) return;
  KillTimer(nullptr, timer);
  Log("dpi " + std::to_string(GetWindowDpi(dialog)));
  Log("ready");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  gLog = arguments;
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
  SetTimer(nullptr, 0, 50, &Tick);
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_UPDATE), nullptr, UpdateCheckDialogProc, 1);
  return 0;
}
