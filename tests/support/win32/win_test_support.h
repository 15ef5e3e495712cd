// Helpers for the Win32 tests: window texts and dialogs, the message queue,
// waits for a condition, a fresh temporary folder removed with all its
// contents at the end, small file helpers, another program's handle on a
// file, the cursor, and the programs the tests start.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/util/colour.h"
#include "framework/util/win_handles.h"
#include "tests/support/test_support.h"

namespace test_support {

inline std::string Text(HWND window) {
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The text of a dialog's control.
inline std::string Field(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }

inline std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

inline BOOL CALLBACK CollectShownDialog(HWND window, LPARAM list) {
  if (IsWindowVisible(window) && ClassOf(window) == "#32770") {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}

// The visible dialog boxes of a thread, or of the whole desktop for thread 0.
inline std::vector<HWND> ShownDialogs(DWORD thread) {
  std::vector<HWND> found;
  if (thread == 0) {
    EnumWindows(&CollectShownDialog, reinterpret_cast<LPARAM>(&found));
  } else {
    EnumThreadWindows(thread, &CollectShownDialog, reinterpret_cast<LPARAM>(&found));
  }
  return found;
}

// The top-level window of that class that the process shows; null for none
// (a program running beside the test may show one of the same class).
inline HWND WindowOfProcess(DWORD processId, const char* windowClass) {
  for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, windowClass, nullptr)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == processId) return w;
  }
  return nullptr;
}

// A window's caption and the texts of its controls, one a line.
inline std::string AllTexts(HWND window) {
  std::string all = Text(window) + "\n";
  for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) all += Text(c) + "\n";
  return all;
}

// The boxes a modally run dialog owns, answered once each with OK from a
// timer of the dialog's thread, their caption and texts kept; before (when
// given) sees each new box first.
struct OwnedBoxes {
  std::vector<HWND> answered;
  std::vector<std::string> texts;
  std::vector<int> answers;  // the command each box gets in turn; IDOK after them
  // True when window is a box of owner (answered now or earlier).
  template <typename Before>
  bool Answer(HWND window, HWND owner, Before before) {
    if (owner == nullptr || GetWindow(window, GW_OWNER) != owner) return false;
    for (const HWND done : answered) {
      if (done == window) return true;
    }
    const std::size_t index = texts.size();
    answered.push_back(window);
    texts.push_back(AllTexts(window));
    before(window);
    PostMessageA(window, WM_COMMAND, index < answers.size() ? answers[index] : IDOK, 0);
    return true;
  }
  bool Answer(HWND window, HWND owner) {
    return Answer(window, owner, [](HWND) {});
  }
};

// A modal dialog driven from a timer of its thread: isDialog picks it among
// the thread's shown dialogs, the boxes it owns are answered as OwnedBoxes
// does, and a dialog that shows before it is closed, so that the steps fail
// instead of waiting for it. Each step is retried at the next tick until it
// answers true.
struct ModalSteps {
  std::function<bool(HWND)> isDialog;
  std::vector<std::function<bool(HWND)>> steps;
  OwnedBoxes boxes;
  HWND dialog = nullptr;
  std::size_t next = 0;
  bool inStep = false;
  std::vector<HWND> closed;

  // Runs show, which returns when the dialog has ended; true when every
  // step ran.
  bool Run(const std::function<void()>& show) {
    Active() = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, &Tick);
    show();
    KillTimer(nullptr, timer);
    Active() = nullptr;
    return next == steps.size();
  }

 private:
  static ModalSteps*& Active() {
    static ModalSteps* active = nullptr;
    return active;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalSteps* s = Active();
    if (s == nullptr) return;
    for (const HWND window : ShownDialogs(GetCurrentThreadId())) {
      if (s->boxes.Answer(window, s->dialog) || s->dialog != nullptr) continue;
      if (s->isDialog(window)) {
        s->dialog = window;
      } else if (std::find(s->closed.begin(), s->closed.end(), window) == s->closed.end()) {
        s->closed.push_back(window);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
      }
    }
    if (s->dialog == nullptr || s->inStep || s->next >= s->steps.size()) return;
    s->inStep = true;
    if (s->steps[s->next](s->dialog)) ++s->next;
    s->inStep = false;
  }
};

// Registers a window class of this program running proc (a second
// registration fails harmlessly).
inline void RegisterWindowClass(const char* name, WNDPROC proc = &DefWindowProcA) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

// A top-level window of a class of its own running proc, registered on the
// way: hidden unless style says otherwise.
inline HWND MakeClassWindow(const char* name, WNDPROC proc, DWORD style = WS_POPUP, RECT at = {0, 0, 10, 10},
                            DWORD exStyle = 0) {
  RegisterWindowClass(name, proc);
  return CreateWindowExA(exStyle, name, "", style, at.left, at.top, at.right - at.left, at.bottom - at.top, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

// How long the window takes to answer a sent message, in milliseconds; the
// wait is bounded at 20 s.
inline double TimedSend(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  LARGE_INTEGER frequency, start, end;
  DWORD_PTR answer = 0;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 20000, &answer);
  QueryPerformanceCounter(&end);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A button click as the dialog manager reports it.
inline void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A check box as a click sets it: its state toggled, then its command.
inline void Toggle(HWND dialog, int id) {
  CheckDlgButton(dialog, id, IsDlgButtonChecked(dialog, id) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  Click(dialog, id);
}

inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// Handles what is queued for the thread, through the dialog's keys when one is given.
inline void Pump(HWND dialog = nullptr) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (dialog != nullptr && IsDialogMessageA(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Asks done() until it holds or timeoutMs have passed, pausing between
// two questions; true when it held. The bound is for a failure, never a pace
// a test depends on.
template <typename Condition, typename Pause>
bool PollUntil(Condition&& done, DWORD timeoutMs, Pause&& pause) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    pause();
  }
}

// Polls every 10 ms: for what another thread or program does in its time.
template <typename Condition>
bool WaitUntil(Condition&& done, DWORD timeoutMs) {
  return PollUntil(done, timeoutMs, [] { Sleep(10); });
}

// Handles this thread's messages (through the dialog's keys when one is
// given) before each question, and wakes as soon as new ones come: sent
// messages, such as a hook's, are answered at once.
template <typename Condition>
bool PumpUntil(Condition&& done, DWORD timeoutMs, HWND dialog = nullptr) {
  return PollUntil(
      [&] {
        Pump(dialog);
        return done();
      },
      timeoutMs, [] { MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT); });
}

inline DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
inline bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }
inline bool IsDirectory(const std::string& path) {
  return Exists(path) && (Attributes(path) & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Dates the file's last write the given minutes back from now.
inline bool SetWrittenMinutesAgo(const std::string& path, int minutes) {
  const CFileHandle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const std::uint64_t when = ((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) -
                             static_cast<std::uint64_t>(minutes) * 600000000u;
  const FILETIME written{static_cast<DWORD>(when), static_cast<DWORD>(when >> 32)};
  return file && SetFileTime(file.Get(), nullptr, nullptr, &written);
}

// The header of a 32-bit top-down bitmap of w x h pixels.
inline BITMAPINFO TopDown32(int w, int h) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

// A white 32-bit DIB section selected into a memory DC: what a window or the
// code under test draws into dc() is read back pixel by pixel, or whole as
// top-down 0x00RRGGBB pixels (for WritePng).
class DibSurface {
 public:
  DibSurface(int w, int h) : w_(w), h_(h) {
    const BITMAPINFO bi = TopDown32(w, h);
    void* bits = nullptr;
    bmp_.Reset(CreateDIBSection(dc_.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<std::uint32_t*>(bits);
    if (bits_ == nullptr) return;
    old_ = SelectObject(dc_.Get(), bmp_.Get());
    Fill(0x00FFFFFF);
  }
  ~DibSurface() {
    if (old_ != nullptr) SelectObject(dc_.Get(), old_);
  }
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;

  [[nodiscard]] bool Valid() const { return bits_ != nullptr; }
  [[nodiscard]] HDC dc() const { return dc_.Get(); }
  [[nodiscard]] int Width() const { return w_; }
  [[nodiscard]] int Height() const { return h_; }
  [[nodiscard]] COLORREF At(int x, int y) const {
    GdiFlush();
    return SwapRedBlue(bits_[y * w_ + x]);
  }
  void Fill(COLORREF c) {
    GdiFlush();
    std::fill(bits_, bits_ + w_ * h_, SwapRedBlue(c));
  }
  [[nodiscard]] std::vector<std::uint32_t> Pixels() const {
    GdiFlush();
    return Valid() ? std::vector<std::uint32_t>(bits_, bits_ + w_ * h_) : std::vector<std::uint32_t>();
  }

 private:
  int w_, h_;
  CMemoryDcHandle dc_{CreateCompatibleDC(nullptr)};
  CBitmapHandle bmp_;
  HGDIOBJ old_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

// Moves the cursor and checks where it is. Input still on its way (injected
// by the test itself or sent by another program) can move it on again, so a
// few attempts are made before the move counts as refused.
inline bool MoveCursorTo(int x, int y) {
  return WaitUntil(
      [x, y] {
        POINT p{};
        return SetCursorPos(x, y) && GetCursorPos(&p) && p.x == x && p.y == y;
      },
      1000);
}

// The temporary that this process writes a record through before it moves
// it over target.
inline std::string RecordTempOf(const std::string& target) {
  return target + "_tmp" + std::to_string(GetCurrentProcessId());
}

// Keeps what it is given (a file handle, an open reader) until releaseAfter
// milliseconds have passed, on a thread of its own (INFINITE: until the
// object goes).
template <typename T>
class ReleasedAfter {
 public:
  ReleasedAfter(T held, DWORD releaseAfter)
      : held_(std::move(held)), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (static_cast<bool>(held_) && stop_) {
      thread_ = std::thread([this, releaseAfter] {
        WaitForSingleObject(stop_.Get(), releaseAfter);
        held_ = T();
      });
    }
  }
  ~ReleasedAfter() {
    if (thread_.joinable()) {
      SetEvent(stop_.Get());
      thread_.join();
    }
  }
  ReleasedAfter(const ReleasedAfter&) = delete;
  ReleasedAfter& operator=(const ReleasedAfter&) = delete;
  [[nodiscard]] bool Holding() const { return thread_.joinable(); }

 private:
  T held_;
  CKernelHandle stop_;
  std::thread thread_;
};

// Another program's handle on a file, as indexers, sync and backup tools
// hold one for a moment: read and write shared, delete not.
constexpr DWORD kIndexerSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
inline CFileHandle OpenExisting(const std::string& path, DWORD share, DWORD access = GENERIC_READ) {
  return CFileHandle(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// This program's file, and its folder, where the helper programs it starts
// lie.
inline std::string ProgramPath() {
  char path[MAX_PATH] = {};
  return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}
inline std::string ProgramFolder() {
  const std::string program = ProgramPath();
  return program.substr(0, program.rfind('\\'));
}

// Starts a program with the arguments, in the folder (null: this one's); the
// process, or an empty handle when it could not start.
[[nodiscard]] inline CKernelHandle StartProgram(const std::string& program, const std::string& arguments,
                                                const char* folder = nullptr, DWORD flags = 0) {
  std::string commandLine = "\"" + program + "\" " + arguments;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, folder, &si, &pi)) {
    return CKernelHandle();
  }
  const CKernelHandle thread(pi.hThread);
  return CKernelHandle(pi.hProcess);
}

// A process that does nothing until it is terminated: a suspended copy of
// this program. Its id is never reused while the handle is open, also after
// it was terminated. An empty handle when it could not start.
[[nodiscard]] inline CKernelHandle StartSuspendedCopy(DWORD* processId) {
  CKernelHandle process = StartProgram(ProgramPath(), "", nullptr, CREATE_SUSPENDED);
  *processId = GetProcessId(process.Get());
  return process;
}

// Runs a program to its end, so that everything it posted is queued here; its
// exit code, 99 when it could not start. The wait is a bound for a program
// that hangs, not a pace the tests depend on.
[[nodiscard]] inline DWORD RunToEnd(const std::string& program, const std::string& arguments) {
  const CKernelHandle process = StartProgram(program, arguments);
  if (!process) return 99;
  WaitForSingleObject(process.Get(), 60000);
  DWORD code = 98;
  GetExitCodeProcess(process.Get(), &code);
  return code;
}

// The command line past the program's name, as a program finds it in
// GetCommandLineA().
inline const char* ArgumentsOf(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

}  // namespace test_support
