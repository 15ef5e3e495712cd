// The hook library: loaded into every GUI process whose input is hooked.
// Everything here runs on foreign threads, so it does as little as possible:
// copy a few values, send one message to the main window, act on the answer.
#include "hooklib/hooklib.h"

#include "hooklib/click_pairing.h"

namespace {

// Per-process state. The view is opened lazily by the first hook call and
// released when the library leaves the process.
HANDLE gMapping = nullptr;
SharedMemory* gView = nullptr;
SRWLOCK gMappingLock = SRWLOCK_INIT;

// One-shot subclass for the next back/forward command. gSubclassPending is
// nonzero from the moment a window is subclassed until its command was handled
// (or the subclass could not stay in place).
HWND gSubclassPending = nullptr;
HWND gSubclassedWindow = nullptr;
WNDPROC gSavedProc = nullptr;

HWND MainWindow(const SharedMemory& shm) {
  return reinterpret_cast<HWND>(LoadHandle32(shm.mainWindow));
}

// Opens the mapping on first use; null while no main program holds it, in
// which case the caller only chains and the next call tries again.
SharedMemory* View() {
  if (SharedMemory* view = gView) return view;
  return GetSharedMemory(true);
}

LRESULT Chain(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The presses of this process's threads as the user made them (the system
// pairs per thread, under Wine per process; a window belongs to one thread,
// and the user's presses on one window cannot interleave with another
// thread's within a double-click time, so one pairing for the process gives
// the same answers). Taken only on presses, never held across a call out.
SRWLOCK gClickLock = SRWLOCK_INIT;
ClickPairing gClicks;

// A press of the right or middle button that the mouse hook let pass, for
// the get-message hook to hand on as the rule made it: the system took it
// off the queue for this very call, and the get-message hook sees it next,
// on the same thread. Thread 0: none.
struct PassedPress {
  DWORD thread;
  HWND window;
  POINT point;
  MouseButton button;
  bool second;
};
PassedPress gPassed{};

bool RightOrMiddle(MouseButton button) { return button == MouseButton::kRight || button == MouseButton::kMiddle; }

// Whether the window makes double clicks of this press: its class takes
// them, or the press is outside its client area.
bool WindowPairs(HWND window, const PressMessage& press) {
  return press.nonClient || press.doubleClick || (GetClassLongPtrA(window, GCL_STYLE) & CS_DBLCLKS) != 0;
}

// The main program's own given-back presses carry its marks; the system
// pairs them, the rule over the user's presses does not see them.
bool GivenBack(ULONG_PTR extra) {
  const auto mark = static_cast<std::uintptr_t>(extra);
  return mark == kInjectedInputMark || mark == kInjectedDoubleClickMark;
}

// Takes a press of the user's into the pairing; true when it is the second
// click of a double click. The time is when the thread takes the press: the
// hook is told no other, and both presses of a pair are timed alike. The
// figures are read at each press, so a change of them holds at once.
bool TakeUserPress(const PressMessage& press, const MOUSEHOOKSTRUCT& info) {
  const ButtonPress taken{press.button, static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(info.hwnd)),
                          GetTickCount(), info.pt.x, info.pt.y};
  const DoubleClickRule rule{GetDoubleClickTime(), GetSystemMetrics(SM_CXDOUBLECLK), GetSystemMetrics(SM_CYDOUBLECLK)};
  const bool pairs = WindowPairs(info.hwnd, press);
  AcquireSRWLockExclusive(&gClickLock);
  const bool second = gClicks.Take(taken, pairs, rule);
  gPassed = PassedPress{};
  ReleaseSRWLockExclusive(&gClickLock);
  return second;
}

void NotePassedPress(const MOUSEHOOKSTRUCT& info, MouseButton button, bool second) {
  AcquireSRWLockExclusive(&gClickLock);
  gPassed = PassedPress{GetCurrentThreadId(), info.hwnd, info.pt, button, second};
  ReleaseSRWLockExclusive(&gClickLock);
}

// The rule's answer for a press the mouse hook let pass, once.
bool TakePassedPress(const MSG& msg, MouseButton button, bool* second) {
  AcquireSRWLockExclusive(&gClickLock);
  const PassedPress passed = gPassed;
  const bool found = passed.thread == GetCurrentThreadId() && passed.window == msg.hwnd &&
                     passed.point.x == msg.pt.x && passed.point.y == msg.pt.y && passed.button == button;
  if (found) gPassed = PassedPress{};
  ReleaseSRWLockExclusive(&gClickLock);
  *second = passed.second;
  return found;
}

// The mouse message reported for a hooked one, 0 for one that is not. A
// press of the right or middle button in a client area is reported as the
// rule over the user's presses makes it, a press or a double click: either
// may start a drag. The main program cannot capture another program's
// window, so a button that went down in a client area may come up over a
// caption, menu bar, scroll bar or border; that up is reported as the plain
// up of its button, or the drag it ends would go on scrolling with every
// move.
WPARAM ReportedMouseMessage(WPARAM message, const PressMessage& press, bool second) {
  if (RightOrMiddle(press.button)) {
    return press.nonClient ? 0 : PressMessageAs(static_cast<std::uint32_t>(message), second);
  }
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      return message;
    case WM_NCRBUTTONUP:
      return WM_RBUTTONUP;
    case WM_NCMBUTTONUP:
      return WM_MBUTTONUP;
    default:
      return 0;
  }
}

// A press of the right or middle button reaches its window as the rule over
// the user's presses makes it: a given-back press as the main program marked
// it (the press it held back was a first click, or the second of a double
// click), a press the mouse hook let pass as the hook found it; the key
// state, point and time stay as they are. The mark is read only for a
// message taken off the queue, whose extra information is then its own.
void HandOnPress(MSG& msg) {
  const PressMessage press = ClassifyPress(msg.message);
  if (!RightOrMiddle(press.button)) return;
  const auto mark = static_cast<std::uintptr_t>(GetMessageExtraInfo());
  bool second = false;
  if (mark == kInjectedDoubleClickMark) {
    // The cursor may have come to rest over another window.
    second = WindowPairs(msg.hwnd, press);
  } else if (mark != kInjectedInputMark && !TakePassedPress(msg, press.button, &second)) {
    return;
  }
  msg.message = PressMessageAs(msg.message, second);
}

void EndSubclass() {
  if (gSubclassedWindow && gSavedProc) {
    SetWindowLongPtrA(gSubclassedWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gSavedProc));
  }
  gSubclassedWindow = nullptr;
  gSubclassPending = nullptr;
}

// The library is leaving a process that goes on running (the hooks were
// removed): a window still subclassed for a command that never came would
// call into unloaded code with its next message. The window always belongs
// to this process (the system refuses to subclass another process's window),
// and setting the procedure of another thread's window of this process is
// allowed and sends nothing, so this is safe under the loader lock. The saved
// procedure goes back only while ours is still in place: a procedure put on
// after ours stays, and whatever it calls next is out of our reach.
// Left open: another thread that is inside SubclassWndProc at this moment
// (reporting the command) returns into unloaded code; only pinning the
// library in every such process for good would close that.
void UndoSubclassOnUnload() {
  HWND window = gSubclassedWindow;
  if (window && GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SubclassWndProc)) {
    const WNDPROC saved = gSavedProc ? gSavedProc : &DefWindowProcA;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
  }
  gSubclassedWindow = nullptr;
  gSubclassPending = nullptr;
}

void CloseMapping() {
  if (gView) UnmapViewOfFile(gView);
  gView = nullptr;
  if (gMapping) CloseHandle(gMapping);
  gMapping = nullptr;
}

}  // namespace

extern "C" {

SharedMemory* GetSharedMemory(bool openOnly) {
  AcquireSRWLockExclusive(&gMappingLock);
  SharedMemory* view = gView;
  if (!view) {
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(SharedMemory), kSharedMemoryName);
    const DWORD error = GetLastError();
    if (mapping) {
      if (openOnly && error != ERROR_ALREADY_EXISTS) {
        // Created just now: no main program is running.
        CloseHandle(mapping);
      } else {
        view = static_cast<SharedMemory*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
        if (view) {
          gMapping = mapping;
          gView = view;
        } else {
          CloseHandle(mapping);
        }
      }
    }
  }
  ReleaseSRWLockExclusive(&gMappingLock);
  return view;
}

void ReleaseSharedMemory() {
  AcquireSRWLockExclusive(&gMappingLock);
  CloseMapping();
  ReleaseSRWLockExclusive(&gMappingLock);
}

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
  SharedMemory* shm = View();
  // HC_NOREMOVE events are peeks: the same event comes again as HC_ACTION.
  if (!shm || code != HC_ACTION) return Chain(code, wParam, lParam);
  const auto* info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
  const PressMessage press = ClassifyPress(static_cast<std::uint32_t>(wParam));
  bool second = false;
  if (press.button != MouseButton::kNone) {
    // A press the main program gave back is its answer already.
    if (GivenBack(info->dwExtraInfo)) return Chain(code, wParam, lParam);
    second = TakeUserPress(press, *info);
  }
  const WPARAM reported = ReportedMouseMessage(wParam, press, second);
  if (reported != 0) {
    const LRESULT answer = SendMessageA(MainWindow(*shm), WM_HOOK_MOUSE, reported,
                                        reinterpret_cast<LPARAM>(info->hwnd));
    if (answer == kHookSwallow) return 1;
  }
  if (RightOrMiddle(press.button)) NotePassedPress(*info, press.button, second);
  return Chain(code, wParam, lParam);
}

LRESULT CALLBACK GetMessageHookProc(int code, WPARAM wParam, LPARAM lParam) {
  SharedMemory* shm = View();
  // Only a removed message is delivered; a peeked one would be reported twice.
  if (!shm || code != HC_ACTION || wParam != PM_REMOVE) return Chain(code, wParam, lParam);
  auto* msg = reinterpret_cast<MSG*>(lParam);
  HandOnPress(*msg);
  if (msg->message != WM_MOUSEWHEEL || (shm->hookFlags & kHookFlagReportWheel) == 0) {
    return Chain(code, wParam, lParam);
  }

  shm->wheelWParam = static_cast<std::uint32_t>(msg->wParam);
  shm->wheelTime = msg->time;
  shm->wheelPoint = static_cast<std::uint32_t>(msg->lParam);
  AllowSetForegroundWindow(shm->mainProcessId);
  const LRESULT answer = SendMessageA(MainWindow(*shm), WM_HOOK_WHEEL, WM_MOUSEWHEEL,
                                      reinterpret_cast<LPARAM>(msg->hwnd));
  if (answer == kHookSwallow) msg->message = WM_NULL;
  msg->wParam = static_cast<WPARAM>(shm->wheelWParam);
  return Chain(code, wParam, lParam);
}

LRESULT CALLBACK CallWndProcHookProc(int code, WPARAM wParam, LPARAM lParam) {
  SharedMemory* shm = View();
  if (!shm || code != HC_ACTION) return Chain(code, wParam, lParam);
  const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (cwp->message != WM_APPCOMMAND) return Chain(code, wParam, lParam);

  // A subclassed window that went away without its command must not block
  // every later command of this process. While no window is recorded the
  // subclass procedure is still reporting its command (it restored the
  // window first): that is pending, not gone.
  if (gSubclassPending && gSubclassedWindow && !IsWindow(gSubclassedWindow)) {
    gSubclassedWindow = nullptr;
    gSubclassPending = nullptr;
  }
  if (gSubclassPending) return Chain(code, wParam, lParam);

  const unsigned command = AppCommandOf(static_cast<std::uintptr_t>(cwp->lParam));
  if (command != kAppCommandBrowserBack && command != kAppCommandBrowserForward) {
    return Chain(code, wParam, lParam);
  }
  SendMessageA(MainWindow(*shm), WM_HOOK_SELECTTARGET, 0, 0);
  if ((shm->hookFlags & kHookFlagSubclassBackFwd) != 0) {
    HWND source = reinterpret_cast<HWND>(cwp->wParam);
    SetLastError(ERROR_SUCCESS);
    const LONG_PTR previous =
        SetWindowLongPtrA(source, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassWndProc));
    if (previous != 0 || GetLastError() == ERROR_SUCCESS) {
      gSavedProc = reinterpret_cast<WNDPROC>(previous);
      gSubclassedWindow = source;
      gSubclassPending = cwp->hwnd ? cwp->hwnd : source;
    }
  }
  return Chain(code, wParam, lParam);
}

LRESULT CALLBACK SubclassWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC saved = gSavedProc;
  if (message == WM_NCDESTROY) {
    // Destroyed before its command arrived: put the procedure back and give up.
    EndSubclass();
    return saved ? CallWindowProcA(saved, window, message, wParam, lParam) : 0;
  }
  if (message != WM_APPCOMMAND) {
    return saved ? CallWindowProcA(saved, window, message, wParam, lParam)
                 : DefWindowProcA(window, message, wParam, lParam);
  }

  // One shot: the original procedure is back before anything else happens.
  if (window == gSubclassedWindow && saved) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
  }
  gSubclassedWindow = nullptr;

  LRESULT answer = 0;
  if (SharedMemory* shm = View()) {
    shm->appCommandLParam = static_cast<std::uint32_t>(lParam);
    AllowSetForegroundWindow(shm->mainProcessId);
    answer = SendMessageA(MainWindow(*shm), WM_HOOK_APPCOMMAND,
                          AppCommandOf(static_cast<std::uintptr_t>(lParam)),
                          reinterpret_cast<LPARAM>(window));
  }
  if (answer != 0) {
    gSubclassPending = nullptr;
    return 0;
  }
  const LRESULT result = saved ? CallWindowProcA(saved, window, message, wParam, lParam)
                               : DefWindowProcA(window, message, wParam, lParam);
  gSubclassPending = nullptr;
  return result;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  // At process end (reserved set) nothing is undone: the windows go with the
  // process, the system closes the handles, and the other threads were
  // stopped wherever they were, perhaps holding the lock.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    UndoSubclassOnUnload();
    // Never wait here, under the loader lock. The lock is held only by a
    // thread inside GetSharedMemory or ReleaseSharedMemory of this library,
    // which is being unloaded under it anyway; the mapping is then left open
    // until the process ends.
    if (TryAcquireSRWLockExclusive(&gMappingLock)) {
      CloseMapping();
      ReleaseSRWLockExclusive(&gMappingLock);
    }
  }
  return TRUE;
}

}  // extern "C"
