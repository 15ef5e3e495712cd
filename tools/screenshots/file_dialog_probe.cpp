// Opens the save dialog ("save"), the folder picker ("folder") or a window
// with two link labels, the second with the focus ("link"), for the
// screenshot script: once the dialog is up it writes the DPI it runs at and
// "shown" to the file named by its last argument, then waits to be ended.
#include <windows.h>

#include <cstring>

#include "framework/app/file_dialogs.h"
#include "framework/util/link_label.h"
#include "framework/util/win_handles.h"
#include "tools/screenshots/shot_support.h"

namespace {

// Runs inside the dialog's own loop.
void CALLBACK Check(HWND, UINT, UINT_PTR id, DWORD) {
  if (shot_support::FindShownWindow("#32770", true) == nullptr) return;
  KillTimer(nullptr, id);
  shot_support::LogShown(nullptr, "shown");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  shot_support::LogPath() = argv[argc - 1];
  SetProcessDPIAware();
  CComScope com;
  SetTimer(nullptr, 0, 500, Check);
  char folder[260] = "C:\\windows";
  if (std::strcmp(argv[1], "link") == 0) {
    CWindowHandle window(CreateWindowExA(0, "#32770", "Links", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 40, 360, 140,
                                         nullptr, nullptr, nullptr, nullptr));
    for (const int id : {101, 102}) {
      CreateWindowExA(0, "STATIC", id == 101 ? "" : "Home page", WS_CHILD | WS_VISIBLE | WS_TABSTOP | SS_CENTER,
                      20, 20 + (id - 101) * 36, 300, 28, window.Get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      nullptr, nullptr);
    }
    CLinkLabel address;
    CLinkLabel home;
    if (!AttachLinkLabel(address, window.Get(), 101, "https://example.com/veltrano") ||
        !AttachLinkLabel(home, window.Get(), 102, "https://example.com/")) {
      return 1;
    }
    SetFocus(home.control);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return 0;
  }
  if (std::strcmp(argv[1], "folder") == 0) {
    return BrowseForFolder("Choose the folder for the archives", folder, true) == kFolderChosen ? 0 : 1;
  }
  static const char filter[] = "Brindlex Configuration Data\0*.BrindlexConfig\0All files\0*.*\0";
  return ShowFileDialog(true, filter, 0, nullptr, folder, "Veltrano-2026.12.07.BrindlexConfig") != nullptr ? 0 : 1;
}
