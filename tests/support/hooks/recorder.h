// A stand-in for the main program's window: records every hook message it
// receives and answers it by a rule the test sets.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/util/win_handles.h"
#include "hooklib/shared_memory.h"
#include "tests/support/win32/win_test_support.h"

struct HookMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class Recorder {
 public:
  using Answer = std::function<LRESULT(const HookMessage&)>;

  Recorder() {
    test_support::RegisterWindowClass("VeltranoTestRecorder", &Recorder::Proc);
    window_.Reset(CreateWindowExA(0, "VeltranoTestRecorder", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), this));
  }

  [[nodiscard]] HWND window() const { return window_.Get(); }
  std::vector<HookMessage> messages;
  Answer answer = [](const HookMessage&) -> LRESULT { return 0; };

  [[nodiscard]] size_t Count(UINT message, WPARAM wParam) const {
    size_t n = 0;
    for (const auto& m : messages) n += (m.message == message && m.wParam == wParam) ? 1 : 0;
    return n;
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
      SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<Recorder*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg >= WM_HOOK_MOUSE && msg <= WM_HOOK_SELECTTARGET) {
      HookMessage m{msg, wParam, lParam};
      self->messages.push_back(m);
      return self->answer(m);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }

  CWindowHandle window_;
};

// Creates the shared memory as the main program does and points it at the
// recorder, as a main program whose profiles act on the wheel; null when it
// cannot be created.
inline SharedMemory* ConnectRecorder(const Recorder& recorder, SharedMemory* (*create)(bool)) {
  SharedMemory* shm = create(false);
  if (!shm) return nullptr;
  *shm = SharedMemory{};
  shm->mainWindow = StoreHandle32(reinterpret_cast<std::uintptr_t>(recorder.window()));
  shm->mainProcessId = GetCurrentProcessId();
  shm->hookFlags = kHookFlagReportWheel;
  return shm;
}
