// The hook library leaves a program (as when the hooks are removed) while a
// window of that program is still subclassed for a back/forward command that
// never came: the window must go on answering, never through unloaded code.
// The library is loaded by name here, as the system loads it into a hooked
// program, so that it can really be unloaded.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "framework/util/win_handles.h"
#include "hooklib/hooklib.h"
#include "tests/support/hooks/recorder.h"
#include "tests/support/win32/win_test_support.h"

namespace {

constexpr UINT kAsk = WM_APP + 7;
constexpr LRESULT kOwnAnswer = 0x5151;
constexpr LRESULT kOtherAnswer = 0x6262;
constexpr char kWindowClass[] = "VeltranoTestUnloadTarget";

LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return msg == kAsk ? kOwnAnswer : DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Another subclass put on after the library's: it answers for itself and
// never calls the procedure it replaced.
LRESULT CALLBACK OtherProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return msg == kAsk ? kOtherAnswer : DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A call into unloaded code would start the system's crash debugger, which
// under Wine without a display waits for ever: end this program at once with
// a failure instead.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
  std::fprintf(stderr, "crashed: exception 0x%08lx at %p\n", info->ExceptionRecord->ExceptionCode,
               info->ExceptionRecord->ExceptionAddress);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

HWND MakeWindow() {
  return test_support::MakeClassWindow(kWindowClass, &OwnProc, WS_OVERLAPPEDWINDOW, {0, 0, 50, 50});
}

// A window that lives on a thread of its own, with its own message loop.
class WindowThread {
 public:
  WindowThread() : thread_([this] { Run(); }) {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return started_; });
  }
  ~WindowThread() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  WindowThread(const WindowThread&) = delete;
  WindowThread& operator=(const WindowThread&) = delete;
  [[nodiscard]] HWND window() const { return window_; }

 private:
  void Run() {
    CWindowHandle window(MakeWindow());
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before anyone posts to it
    {
      std::lock_guard<std::mutex> lock(mutex_);
      window_ = window.Get();
      threadId_ = GetCurrentThreadId();
      started_ = true;
    }
    ready_.notify_one();
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  bool started_ = false;
  HWND window_ = nullptr;
  DWORD threadId_ = 0;
  std::thread thread_;
};

TEST(HookLibraryUnload, PendingSubclassIsUndoneOnlyWhileItIsStillTheWindowsProcedure) {
  SetUnhandledExceptionFilter(&EndOnCrash);
  // This process plays the main program as well: it holds the mapping, and
  // the library opens it on its first hook call.
  Recorder recorder;
  CKernelHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SharedMemory),
                                           kSharedMemoryName));
  ASSERT_TRUE(mapping);
  auto* shm = static_cast<SharedMemory*>(MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0));
  ASSERT_NE(shm, nullptr);
  *shm = SharedMemory{};
  shm->mainWindow = StoreHandle32(reinterpret_cast<std::uintptr_t>(recorder.window()));
  shm->mainProcessId = GetCurrentProcessId();
  recorder.answer = [shm](const HookMessage& m) -> LRESULT {
    if (m.message == WM_HOOK_SELECTTARGET) shm->hookFlags = 1;
    return 0;
  };

  struct Case {
    const char* name;
    bool otherThread;
    WNDPROC subclassedAfter;
    WNDPROC want;
    LRESULT answer;
  };
  const Case cases[] = {
      {"only the library's subclass", false, nullptr, &OwnProc, kOwnAnswer},
      {"a window of another thread", true, nullptr, &OwnProc, kOwnAnswer},
      // Putting the library's saved procedure back would drop the later one.
      {"another subclass on top", false, &OtherProc, &OtherProc, kOtherAnswer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CWindowHandle ownWindow;
    std::unique_ptr<WindowThread> windowThread;
    if (c.otherThread) {
      windowThread = std::make_unique<WindowThread>();
    } else {
      ownWindow.Reset(MakeWindow());
    }
    HWND w = c.otherThread ? windowThread->window() : ownWindow.Get();
    ASSERT_NE(w, nullptr);

    HMODULE library = LoadLibraryA(kHookLibraryName);
    ASSERT_NE(library, nullptr);
    auto hook = reinterpret_cast<HOOKPROC>(GetProcAddress(library, kCallWndProcHookExport));
    ASSERT_NE(hook, nullptr);
    CWPSTRUCT cwp{};
    cwp.hwnd = w;
    cwp.message = WM_APPCOMMAND;
    cwp.wParam = reinterpret_cast<WPARAM>(w);
    cwp.lParam = static_cast<LPARAM>(kAppCommandBrowserBack << 16);
    recorder.messages.clear();
    (void)hook(HC_ACTION, 0, reinterpret_cast<LPARAM>(&cwp));
    ASSERT_EQ(recorder.Count(WM_HOOK_SELECTTARGET, 0), 1u);
    ASSERT_NE(GetWindowLongPtrA(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&OwnProc)) << "subclass pending";
    if (c.subclassedAfter) SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(c.subclassedAfter));

    ASSERT_TRUE(FreeLibrary(library));
    ASSERT_EQ(GetModuleHandleA(kHookLibraryName), nullptr) << "the library must really be gone";
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(c.want));
    EXPECT_EQ(SendMessageA(w, kAsk, 0, 0), c.answer);
  }
  UnmapViewOfFile(shm);
}

}  // namespace
