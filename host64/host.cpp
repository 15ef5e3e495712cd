// The 64-bit hook host. Global hooks of the 32-bit main program reach only
// 32-bit programs; this program installs the same three hooks from the 64-bit
// hook library, whose procedures report to the main program through the
// shared memory exactly as the 32-bit ones do. The host itself knows nothing
// of the main program: it keeps a hidden window through which the main
// program switches each hook on or off, and ends when that window is sent
// WM_QUIT.
#include <windows.h>

#include <cstddef>

#include "framework/util/win_handles.h"
#include "hooklib/hooklib.h"
#include "host64/hook_mask.h"

namespace {

struct HookKind {
  unsigned maskBit;
  int idHook;
  HOOKPROC proc;
};
constexpr std::size_t kHookCount = 3;

// The three hooks in the order of their mask bits. The procedures are
// read from the import table at run time: an address fixed when the program
// is linked may be a jump stub inside this program, which the system cannot
// call in another process.
HookKind HookKindAt(std::size_t i) {
  switch (i) {
    case 0: return {kHookMaskMouse, WH_MOUSE, &MouseHookProc};
    case 1: return {kHookMaskGetMessage, WH_GETMESSAGE, &GetMessageHookProc};
    default: return {kHookMaskCallWndProc, WH_CALLWNDPROC, &CallWndProcHookProc};
  }
}

// The newest DPI awareness that the system offers, as every program of the
// system declares it, so that the system never scales this one's coordinates.
void MakeDpiAware() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  using SetAwarenessFn = HRESULT(WINAPI*)(int);
  if (HMODULE user32 = GetModuleHandleA("user32.dll")) {
    if (auto set = reinterpret_cast<SetContextFn>(GetProcAddress(user32, "SetProcessDpiAwarenessContext"))) {
      set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));  // per-monitor aware, version 2
      return;
    }
  }
  if (HMODULE shcore = GetModuleHandleA("shcore.dll")) {
    if (auto set = reinterpret_cast<SetAwarenessFn>(GetProcAddress(shcore, "SetProcessDpiAwareness"))) {
      set(2);  // per-monitor aware
      return;
    }
  }
  SetProcessDPIAware();
}

class CHookHost {
 public:
  [[nodiscard]] int Run(HINSTANCE instance);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  [[nodiscard]] unsigned InstalledMask() const;
  [[nodiscard]] bool SetHooksByMask(unsigned mask);

  // Released in reverse order by the destructors: the hooks are removed,
  // then the window is destroyed, then the library is freed.
  CModuleHandle library_;
  CWindowHandle window_;
  CHookHandle hooks_[kHookCount];
};

int CHookHost::Run(HINSTANCE instance) {
  // Linked already; loaded by name again for the module handle that every
  // hook names.
  library_.Reset(LoadLibraryA(kHookLibraryName));
  MakeDpiAware();

  WNDCLASSA wc{};
  wc.lpfnWndProc = &CHookHost::WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kHostWindowClass;
  RegisterClassA(&wc);
  window_.Reset(CreateWindowExA(0, kHostWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this));
  if (!window_) return 1;

  // A hook that cannot be installed now is installed by the next request
  // that wants it.
  static_cast<void>(SetHooksByMask(kHookMaskAll));

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

unsigned CHookHost::InstalledMask() const {
  unsigned mask = 0;
  for (std::size_t i = 0; i < kHookCount; ++i) {
    if (hooks_[i]) mask |= HookKindAt(i).maskBit;
  }
  return mask;
}

bool CHookHost::SetHooksByMask(unsigned mask) {
  const HookChanges changes = PlanHookChanges(mask, InstalledMask());
  for (std::size_t i = 0; i < kHookCount; ++i) {
    const HookKind kind = HookKindAt(i);
    if (changes.remove & kind.maskBit) hooks_[i].Reset();
    if (changes.install & kind.maskBit) hooks_[i].Reset(SetWindowsHookExA(kind.idHook, kind.proc, library_.Get(), 0));
  }
  return AllHooksInPlace(mask, InstalledMask());
}

LRESULT CALLBACK CHookHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  auto* host = reinterpret_cast<CHookHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_HOST_SETHOOKS:
      return host ? SetHooksAnswer(host->SetHooksByMask(static_cast<unsigned>(wParam))) : 0;
    case WM_QUIT:
      // The main program sends WM_QUIT to this window rather than posting
      // it; a sent one never reaches GetMessageA, so the loop ends on the
      // one posted here.
      PostQuitMessage(0);
      break;
    case WM_NCDESTROY:
      // The window goes while the host is being torn down.
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// How long another host's window may take to answer, and how long the end
// of one that does not answer is waited for.
constexpr DWORD kOtherHostAnswerMs = 2000;
constexpr DWORD kOtherHostEndMs = 10000;
constexpr DWORD kOtherHostPollMs = 50;

// A host left running when the main program ended without stopping it (a
// crash) answers on its window, and the next main program drives it: a
// second host would install a second set of hooks and every event would be
// reported twice. The host of an instance that has just ended (a restart)
// has left its loop but not yet destroyed its window: it answers nothing and
// is gone a moment later, so its thread's end is waited for. True when no
// other host is left; false when one answers, or when one that does not
// answer has not ended within the bound (it keeps its window, and the main
// program's handshake with it fails).
bool NoOtherHost() {
  const DWORD start = GetTickCount();
  for (;;) {
    const HWND other = FindWindowA(kHostWindowClass, nullptr);
    if (other == nullptr) return true;
    // Opened before the question: the thread may end meanwhile.
    const CKernelHandle thread(OpenThread(SYNCHRONIZE, FALSE, GetWindowThreadProcessId(other, nullptr)));
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(other, WM_NULL, 0, 0, SMTO_NORMAL, kOtherHostAnswerMs, &answer) != 0) return false;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= kOtherHostEndMs) return false;
    if (thread) {
      static_cast<void>(WaitForSingleObject(thread.Get(), kOtherHostEndMs - elapsed));
    } else {
      Sleep(kOtherHostPollMs);  // a window whose thread cannot be opened is looked at again
    }
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Leaving because another host runs is no failed start: exit code 0.
  if (!NoOtherHost()) return 0;
  CHookHost host;
  return host.Run(instance);
}
