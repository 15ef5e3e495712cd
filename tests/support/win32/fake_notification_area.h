// A notification area of the test's own: the shell hands every tray request
// to the window of class "Shell_TrayWnd" as WM_COPYDATA, whose data begins
// with the window, the id, the flags, the callback message and the tip
// (UTF-16). Only one may exist at a time, and no other notification area may
// run meanwhile.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/util/win_handles.h"
#include "tests/support/win32/win_test_support.h"

namespace test_support {

struct TrayRequest {
  ULONG_PTR what;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
  HWND window;
  UINT id;
  UINT callback;
  std::wstring tip;
  BOOL answer;
};

class FakeNotificationArea {
 public:
  FakeNotificationArea() {
    Current() = this;
    window_.Reset(MakeClassWindow("Shell_TrayWnd", &Proc, WS_POPUP, {0, 0, 0, 0}));
  }
  ~FakeNotificationArea() {
    window_.Reset();
    Current() = nullptr;
  }
  FakeNotificationArea(const FakeNotificationArea&) = delete;
  FakeNotificationArea& operator=(const FakeNotificationArea&) = delete;

  // False when another notification area answers the shell instead.
  [[nodiscard]] bool IsTheShellsOwn() const { return FindWindowA("Shell_TrayWnd", nullptr) == window_.Get(); }

  std::vector<TrayRequest> requests;
  std::set<std::pair<HWND, UINT>> icons;  // the icons shown: window and id

 private:
  static FakeNotificationArea*& Current() {
    static FakeNotificationArea* current = nullptr;
    return current;
  }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FakeNotificationArea* self = Current();
    if (message != WM_COPYDATA || self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (copy->cbData < 16 + 128 * sizeof(wchar_t)) return FALSE;
    const auto* bytes = static_cast<const unsigned char*>(copy->lpData);
    LONG handle = 0;
    TrayRequest r{};
    std::memcpy(&handle, bytes, 4);
    std::memcpy(&r.id, bytes + 4, 4);
    std::memcpy(&r.callback, bytes + 12, 4);
    r.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle));
    r.tip.assign(reinterpret_cast<const wchar_t*>(bytes + 16), 128);
    r.tip.resize(r.tip.find(L'\0'));
    r.what = copy->dwData;
    const auto key = std::make_pair(r.window, r.id);
    const bool present = self->icons.count(key) != 0;
    switch (r.what) {
      case NIM_ADD:
        r.answer = !present;
        self->icons.insert(key);
        break;
      case NIM_MODIFY:
        r.answer = present;
        break;
      case NIM_DELETE:
        r.answer = present;
        self->icons.erase(key);
        break;
      default:
        r.answer = FALSE;
    }
    self->requests.push_back(r);
    return r.answer;
  }

  CWindowHandle window_;
};

}  // namespace test_support
