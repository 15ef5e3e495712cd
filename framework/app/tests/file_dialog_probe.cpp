// Opens the save dialog ("save") or the folder picker ("folder") for the
// screenshot script: once the dialog is up it writes the DPI it runs at and
// "shown" to the file named by its last argument, then waits to be ended.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "framework/app/file_dialogs.h"
#include "framework/util/win_handles.h"

namespace {

const char* gLog = nullptr;

BOOL CALLBACK IsShownDialog(HWND window, LPARAM found) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (IsWindowVisible(window) && std::strcmp(name, "#32770") == 0) *reinterpret_cast<bool*>(found) = true;
  return TRUE;
}

// Runs inside the dialog's own loop.
void CALLBACK Check(HWND, UINT, UINT_PTR id, DWORD) {
  bool found = false;
  EnumThreadWindows(GetCurrentThreadId(), IsShownDialog, reinterpret_cast<LPARAM>(&found));
  if (!found) return;
  KillTimer(nullptr, id);
  if (FILE* f = std::fopen(gLog, "wb")) {
    const HDC screen = GetDC(nullptr);
    std::fprintf(f, "dpi %d\nshown\n", GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    std::fclose(f);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  gLog = argv[argc - 1];
  SetProcessDPIAware();
  CComScope com;
  SetTimer(nullptr, 0, 500, Check);
  char folder[260] = "C:\\windows";
  if (std::strcmp(argv[1], "folder") == 0) {
    return BrowseForFolder("Choose the folder for the archives", folder, true) == kFolderChosen ? 0 : 1;
  }
  static const char filter[] = "Brindlex Configuration Data\0*.BrindlexConfig\0All files\0*.*\0";
  return ShowFileDialog(true, filter, 0, nullptr, folder, "Veltrano-2026.12.07.BrindlexConfig") != nullptr ? 0 : 1;
}
