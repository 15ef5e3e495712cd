// Drives the settings dialog of a running program for the screenshot script:
// finds it and sends it what a user's clicks would.
//   settings_driver wait           until the dialog is shown; prints its place and the DPI
//   settings_driver tab N          selects page N (0 to 2)
//   settings_driver click ID       clicks the dialog's button ID (posted: a modal dialog may follow)
//   settings_driver plus           clicks the "+" of the dialog's hot-key field
//   settings_driver other          waits briefly for another dialog of the program; prints its caption
//   settings_driver cancel-other   cancels that dialog
// Exit code 0 when done, 1 when the window asked for is not there.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scrolling/settings/res/settings_ids.h"
#include "tests/support/win32/win_test_support.h"

namespace {

using test_support::ClassOf;
using test_support::Text;

// The first shown dialog that is(window) picks within timeoutMs, or null.
template <typename Is>
HWND FindDialog(Is is, DWORD timeoutMs) {
  HWND found = nullptr;
  test_support::WaitUntil(
      [&] {
        for (const HWND window : test_support::ShownDialogs(0)) {
          if (is(window)) return (found = window) != nullptr;
        }
        return false;
      },
      timeoutMs);
  return found;
}

HWND Settings(DWORD timeoutMs) {
  return FindDialog([](HWND window) { return GetDlgItem(window, IDC_SET_TABS) != nullptr; }, timeoutMs);
}

HWND Other(HWND dialog, DWORD timeoutMs) {
  DWORD process = 0;
  GetWindowThreadProcessId(dialog, &process);
  return FindDialog(
      [dialog, process](HWND window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        return window != dialog && owner == process;
      },
      timeoutMs);
}

// The "+" of the hot-key field: a button inside the field or beside it.
HWND PlusButton(HWND dialog) {
  const HWND field = GetDlgItem(dialog, IDC_SET_HOTKEY);
  for (HWND parent : {field, dialog}) {
    for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
      if (ClassOf(c) == "Button" && Text(c) == "+") return c;
    }
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string command = argv[1];
  const HWND dialog = Settings(command == "wait" ? 30000 : 2000);
  if (dialog == nullptr) {
    std::printf("no settings dialog\n");
    return 1;
  }
  if (command == "wait") {
    RECT r{};
    GetWindowRect(dialog, &r);
    const HDC screen = GetDC(nullptr);
    std::printf("dialog %ldx%ld at %ld,%ld; screen DPI %d\n", r.right - r.left, r.bottom - r.top, r.left, r.top,
                GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
  } else if (command == "tab" && argc > 2) {
    // The tab control tells its dialog itself, as on a click.
    SendDlgItemMessageA(dialog, IDC_SET_TABS, TCM_SETCURFOCUS, static_cast<WPARAM>(std::atoi(argv[2])), 0);
  } else if (command == "click" && argc > 2) {
    const HWND button = GetDlgItem(dialog, std::atoi(argv[2]));
    if (button == nullptr) return 1;
    PostMessageA(button, BM_CLICK, 0, 0);
  } else if (command == "plus") {
    const HWND plus = PlusButton(dialog);
    if (plus == nullptr) {
      std::printf("no \"+\" button at the hot-key field\n");
      return 1;
    }
    PostMessageA(plus, BM_CLICK, 0, 0);
  } else if (command == "other" || command == "cancel-other") {
    const HWND other = Other(dialog, command == "other" ? 3000 : 500);
    if (other == nullptr) {
      std::printf("no other dialog\n");
      return 1;
    }
    if (command == "other") {
      std::printf("%s\n", Text(other).c_str());
    } else {
      PostMessageA(other, WM_COMMAND, IDCANCEL, 0);
    }
  } else {
    return 2;
  }
  std::fflush(stdout);
  return 0;
}
