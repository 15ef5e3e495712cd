// The hook library: loaded into every GUI process whose input is hooked.
// Everything here runs on foreign threads, so it does as little as possible:
// copy a few values, send one message to the main window, act on the answer.
#include "hooklib/hooklib.h"

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

// The mouse message reported for a hooked one, 0 for one that is not. The
// main program cannot capture another program's window, so a button that
// went down in a client area may come up over a caption, menu bar, scroll
// bar or border; that up is reported as the plain up of its button, or the
// drag it ends would go on scrolling with every move.
WPARAM ReportedMouseMessage(WPARAM message) {
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
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

// A given-back press that the system paired with the swallowed one becomes
// the press it is: the window gets WM_xBUTTONDOWN with the same key state
// and point, as it would have without the hook. The second click of a
// user's double click carries the other mark and stays the double click the
// system made of it. The mark is read only for a message taken off the
// queue, whose extra information is then its own.
void HandOnGivenBackPress(MSG& msg) {
  if (msg.message != WM_RBUTTONDBLCLK && msg.message != WM_MBUTTONDBLCLK) return;
  if (static_cast<std::uintptr_t>(GetMessageExtraInfo()) != kInjectedInputMark) return;
  msg.message = msg.message == WM_RBUTTONDBLCLK ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
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
  const WPARAM reported = ReportedMouseMessage(wParam);
  if (!shm || code != HC_ACTION || reported == 0) return Chain(code, wParam, lParam);
  const auto* info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
  const LRESULT answer = SendMessageA(MainWindow(*shm), WM_HOOK_MOUSE, reported,
                                      reinterpret_cast<LPARAM>(info->hwnd));
  if (answer == kHookSwallow) return 1;
  return Chain(code, wParam, lParam);
}

LRESULT CALLBACK GetMessageHookProc(int code, WPARAM wParam, LPARAM lParam) {
  SharedMemory* shm = View();
  // Only a removed message is delivered; a peeked one would be reported twice.
  if (!shm || code != HC_ACTION || wParam != PM_REMOVE) return Chain(code, wParam, lParam);
  auto* msg = reinterpret_cast<MSG*>(lParam);
  HandOnGivenBackPress(*msg);
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
