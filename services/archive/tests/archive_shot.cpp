// Shows the archive dialog with its default patterns for screenshots. Logs
// "dpi N" and then "ready" to the file named by the argument, and runs until
// it is ended from outside.
#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/app/application.h"
#include "framework/util/monitors.h"
#include "framework/util/text_util.h"
#include "services/archive/archive_dialog.h"

namespace {

std::string gLog;

void Log(const std::string& line) {
  if (FILE* f = std::fopen(gLog.c_str(), "ab")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND dialog = FindWindowA(nullptr, "Archive Configuration");
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
  SetTimer(nullptr, 0, 50, &Tick);
  DialogBoxParamA(instance, MAKEINTRESOURCEA(50103), nullptr, ArchiveDialogProc, 0);
  return 0;
}
