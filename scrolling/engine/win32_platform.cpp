#include "scrolling/engine/win32_platform.h"

#include <shellapi.h>

#include "framework/util/grow_array.h"
#include "framework/util/monitors.h"
#include "framework/util/win_handles.h"
#include "scrolling/engine/button_actions.h"
#include "scrolling/engine/records.h"
#include "scrolling/options/options.h"

#if defined(_WIN32) && !defined(_WIN64)
// The 32-bit program hands SendInput 28-byte records.
static_assert(sizeof(INPUT) == 28, "INPUT records of the 32-bit program");
#endif

namespace {

// The system cursors in the order they are replaced: application-starting,
// arrow, cross, hand, I-beam, no, size-all, size NE-SW, size N-S, size
// NW-SE, size W-E, up-arrow, wait.
constexpr DWORD kSystemCursorIds[] = {32650, 32512, 32515, 32649, 32513, 32648, 32646,
                                      32643, 32645, 32642, 32644, 32516, 32514};
constexpr int kSystemCursorCount = static_cast<int>(sizeof kSystemCursorIds / sizeof kSystemCursorIds[0]);

// Copies of the original system cursors, taken the first time they are
// hidden, and the blank cursor that replaces them.
struct SavedCursors {
  bool taken = false;
  CCursorHandle original[kSystemCursorCount];
  CCursorHandle blank;

  void Take() noexcept {
    if (taken) return;
    taken = true;
    for (int i = 0; i < kSystemCursorCount; ++i) {
      const HCURSOR shared = LoadCursorA(nullptr, MAKEINTRESOURCEA(kSystemCursorIds[i]));
      if (shared != nullptr) original[i].Reset(CopyIcon(shared));
    }
    BYTE andMask[128];
    BYTE xorMask[128];
    for (int i = 0; i < 128; ++i) {
      andMask[i] = 0xFF;
      xorMask[i] = 0x00;
    }
    blank.Reset(CreateCursor(GetModuleHandleA(nullptr), 0, 0, 32, 32, andMask, xorMask));
  }
};

SavedCursors& Cursors() noexcept {
  static SavedCursors cursors;
  return cursors;
}

// Sets a copy of cursor as system cursor id; the system takes the copy over,
// so it is destroyed here only when the system refused it.
void SetSystemCursorCopy(HCURSOR cursor, DWORD id) noexcept {
  if (cursor == nullptr) return;
  CCursorHandle copy(CopyIcon(cursor));
  if (copy.Get() != nullptr && SetSystemCursor(copy.Get(), id)) (void)copy.Release();
}

BOOL CALLBACK VisitChildWindowProc(HWND window, LPARAM lParam) noexcept {
  reinterpret_cast<WindowVisitor*>(lParam)->Visit(ToWindowId(window));
  return TRUE;
}

int BufferLength(std::size_t size) noexcept {
  return size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
}

}  // namespace

bool GetWindowProcessPath(HWND window, char* buffer, DWORD size) noexcept {
  if (buffer == nullptr || size == 0) return false;
  buffer[0] = '\0';
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == 0) return false;
  CKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (process.Get() == nullptr) return false;
  DWORD length = size;
  if (!QueryFullProcessImageNameA(process.Get(), 0, buffer, &length) || length == 0) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

void BringToForeground(HWND window) noexcept {
  if (!IsWindow(window)) return;
  const HWND foreground = GetForegroundWindow();
  for (HWND w = window; w != nullptr; w = GetParent(w)) {
    if (w == foreground) return;
  }
  if (const HWND root = GetAncestor(window, GA_ROOT)) SetForegroundWindow(root);
}

bool Win32EnginePlatform::GetCursorPosition(ScreenPoint& out) {
  POINT p;
  if (!GetCursorPos(&p)) return false;
  out = ScreenPoint{p.x, p.y};
  return true;
}

WindowId Win32EnginePlatform::WindowAtPoint(ScreenPoint point) {
  return ToWindowId(FindWindowAtPoint(point.x, point.y, false, false, nullptr, nullptr));
}

bool Win32EnginePlatform::GetWindowProcessPath(WindowId window, char* buffer, std::size_t size) {
  if (size == 0) return false;
  const DWORD length = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(size);
  return ::GetWindowProcessPath(ToHwnd(window), buffer, length);
}

void Win32EnginePlatform::GetWindowCaption(WindowId window, char* buffer, std::size_t size) {
  if (size == 0) return;
  buffer[0] = '\0';
  if (window == 0) return;
  const int n = GetWindowTextA(ToHwnd(window), buffer, BufferLength(size));
  buffer[n > 0 && static_cast<std::size_t>(n) < size ? n : 0] = '\0';
}

void Win32EnginePlatform::GetWindowClass(WindowId window, char* buffer, std::size_t size) {
  if (size == 0) return;
  buffer[0] = '\0';
  if (window == 0) return;
  const int n = GetClassNameA(ToHwnd(window), buffer, BufferLength(size));
  buffer[n > 0 && static_cast<std::size_t>(n) < size ? n : 0] = '\0';
}

void Win32EnginePlatform::SetSystemWheelScrollLines(std::int32_t lines, WheelLinesScope scope) {
  if (wheelLinesFrozen_) return;
  // Only a value to keep goes into the user's profile. The system is not
  // asked to announce it: its announcement waits for every window in turn.
  const UINT flags = scope == WheelLinesScope::kSaved ? SPIF_UPDATEINIFILE : 0;
  if (!SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, static_cast<UINT>(lines), nullptr, flags)) return;
  // A profile switch runs while a hooked program waits for the answer; the
  // announcement is made from the queue once that answer is given.
  if (announceWindow_ != nullptr) {
    if (announcePending_) return;
    if (PostMessageA(announceWindow_, kWmAnnounceWheelLines, 0, 0)) {
      announcePending_ = true;
      return;
    }
  }
  AnnounceWheelLines();
}

void Win32EnginePlatform::AnnounceWheelLines() noexcept {
  // A change made during the broadcast (hook messages are answered while it
  // waits) is announced anew.
  announcePending_ = false;
  // A window that hangs is not waited for. The message cannot go without a
  // wait: the system takes WM_SETTINGCHANGE only from sends that wait.
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETWHEELSCROLLLINES, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                      kForeignSendTimeoutMs, &result);
}

void Win32EnginePlatform::FreezeWheelLines() noexcept {
  if (announcePending_) AnnounceWheelLines();
  wheelLinesFrozen_ = true;
}

namespace {

// One bit of the shared flags; the others stay as they are. Only the main
// thread writes them; the hooks read them whole.
void WriteHookFlag(SharedMemory* shared, std::uint32_t bit, bool set) noexcept {
  if (shared == nullptr) return;
  shared->hookFlags = set ? (shared->hookFlags | bit) : (shared->hookFlags & ~bit);
}

}  // namespace

void Win32EnginePlatform::WriteBackFwdFlag(std::uint32_t value) {
  WriteHookFlag(shared_, kHookFlagSubclassBackFwd, value != 0);
}

void Win32EnginePlatform::SetWheelReported(bool reported) noexcept {
  WriteHookFlag(shared_, kHookFlagReportWheel, reported);
}

bool Win32EnginePlatform::IsKeyDown(int virtualKey) {
  return (static_cast<unsigned short>(GetAsyncKeyState(virtualKey)) & 0x8000u) != 0;
}

bool Win32EnginePlatform::WindowVisible(WindowId window) { return IsWindowVisible(ToHwnd(window)) != FALSE; }

std::uint32_t Win32EnginePlatform::WindowStyle(WindowId window) {
  return static_cast<std::uint32_t>(GetWindowLongA(ToHwnd(window), GWL_STYLE));
}

bool Win32EnginePlatform::WindowRect(WindowId window, ScreenRect& out) {
  RECT r;
  if (!GetWindowRect(ToHwnd(window), &r)) return false;
  out = ScreenRect{r.left, r.top, r.right, r.bottom};
  return true;
}

WindowId Win32EnginePlatform::ParentWindow(WindowId window) {
  // GetParent answers the owner of a top-level window, which is no parent.
  if ((WindowStyle(window) & WS_CHILD) == 0) return 0;
  return ToWindowId(GetParent(ToHwnd(window)));
}

void Win32EnginePlatform::ForEachChildWindow(WindowId parent, WindowVisitor& visitor) {
  EnumChildWindows(ToHwnd(parent), VisitChildWindowProc, reinterpret_cast<LPARAM>(&visitor));
}

void Win32EnginePlatform::CaptureMouse(WindowId window) { SetCapture(ToHwnd(window)); }

void Win32EnginePlatform::ReleaseMouseCapture() { ReleaseCapture(); }

void Win32EnginePlatform::MoveCursor(ScreenPoint point) { SetCursorPos(point.x, point.y); }

void Win32EnginePlatform::SetBlankCursors(bool restore) { ::SetBlankCursors(restore); }

// Marked, so that the hook library knows a given-back press for what it is.
void Win32EnginePlatform::InjectMouseEvent(std::uint32_t flags, std::uint32_t mark) {
  mouse_event(flags, 0, 0, 0, mark);
}

std::intptr_t Win32EnginePlatform::SendWindowMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam,
                                                     std::intptr_t lParam) {
  // The target belongs to another program, and the hooked program that
  // asked waits for this answer: a window that hangs, or is slow to answer,
  // is given up on rather than holding this program and every hooked one.
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(ToHwnd(window), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam),
                           SMTO_ABORTIFHUNG | SMTO_NORMAL, kForeignSendTimeoutMs, &result)) {
    return 0;
  }
  return static_cast<std::intptr_t>(result);
}

void Win32EnginePlatform::BringToForeground(WindowId window) { ::BringToForeground(ToHwnd(window)); }

void Win32EnginePlatform::ActivateForInput(WindowId window) {
  HWND top = ToHwnd(window);
  // Parent chains end; the bound only guards against a window destroyed
  // and its handle reused while climbing.
  for (int depth = 0; depth < 1000; ++depth) {
    const HWND parent = GetParent(top);
    if (parent == nullptr) break;
    top = parent;
  }
  SetForegroundWindow(top);
  SetActiveWindow(top);
  for (int tries = 0; tries < 20; ++tries) {
    if (GetActiveWindow() == top) break;
    SetActiveWindow(top);
  }
  SetFocus(ToHwnd(window));
}

void Win32EnginePlatform::SendKeyInputs(const KeyInput* inputs, std::size_t count) {
  CGrowArray<INPUT> list;
  for (std::size_t i = 0; i < count; ++i) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = inputs[i].virtualKey;
    input.ki.dwFlags = inputs[i].keyUp ? KEYEVENTF_KEYUP : 0;
    // Half a combination could leave a modifier held down: send all or none.
    if (InsertRecords(list, &input, list.Count(), 1) < 0) return;
  }
  if (list.Count() > 0) SendInput(static_cast<UINT>(list.Count()), list.Data(), sizeof(INPUT));
}

void Win32EnginePlatform::RunProgram(WindowId parent, const char* program, const char* arguments) {
  ShellExecuteA(ToHwnd(parent), nullptr, program, arguments, nullptr, SW_SHOW);
}

void Win32EnginePlatform::ReportWheelSpeed(std::int32_t messagesPerSecond) {
  if (settingsDialog_ != nullptr && IsWindow(settingsDialog_)) {
    SendMessageA(settingsDialog_, kWmWheelSpeedReport, static_cast<WPARAM>(messagesPerSecond), 0);
  }
}

Win32EnginePlatform& EnginePlatformInstance() noexcept {
  static Win32EnginePlatform platform;
  return platform;
}

TargetSelector& EngineTargetSelector() noexcept {
  static TargetSelector selector(EnginePlatformInstance(), gOpt);
  return selector;
}

HWND FindTargetWindow(POINT* cursor) noexcept {
  if (cursor == nullptr) return ToHwnd(EngineTargetSelector().FindTargetWindow(nullptr));
  ScreenPoint point{cursor->x, cursor->y};  // stays as it was when the cursor cannot be read
  const WindowId target = EngineTargetSelector().FindTargetWindow(&point);
  *cursor = POINT{point.x, point.y};
  return ToHwnd(target);
}

void ResetTargetCache() noexcept { EngineTargetSelector().ResetTargetCache(); }

void ApplyProgramSwitch() noexcept { EngineTargetSelector().ApplyProgramSwitch(); }

void SaveSystemWheelScrollLines() noexcept {
  UINT lines = 0;
  if (SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) {
    SetStartupWheelLines(static_cast<std::int32_t>(lines));
  } else {
    SetStartupWheelLines(kDefaultWheelLines);
  }
}

void RestoreWheelLinesForGood() noexcept {
  Win32EnginePlatform& platform = EnginePlatformInstance();
  // The main window's queue may never be read again.
  platform.SetAnnouncementWindow(nullptr);
  EngineTargetSelector().RestoreStartupWheelLines();
  platform.FreezeWheelLines();
}

ScrollEngine& EngineScrollDrag() noexcept {
  static ScrollEngine engine(EnginePlatformInstance(), EngineTargetSelector(), gOpt);
  return engine;
}

WheelEngine& EngineWheel() noexcept {
  static WheelEngine engine(EnginePlatformInstance(), EngineTargetSelector(), gOpt);
  return engine;
}

void SetEngineSharedMemory(SharedMemory* shared) noexcept {
  EnginePlatformInstance().SetSharedMemory(shared);
  EngineWheel().SetSharedMemory(shared);
}

void NoteButtonsSwapped() noexcept { EngineScrollDrag().SetButtonsSwapped(GetSystemMetrics(SM_SWAPBUTTON) != 0); }

LRESULT HandleMouseEvent(UINT message) noexcept {
  return static_cast<LRESULT>(EngineScrollDrag().HandleMouseEvent(message));
}

LRESULT HandleMouseWheel(UINT message, HWND window) noexcept {
  return static_cast<LRESULT>(EngineWheel().HandleMouseWheel(message, ToWindowId(window)));
}

LRESULT HandleAppCommand(UINT command, HWND window) noexcept {
  return static_cast<LRESULT>(
      HandleAppCommand(EnginePlatformInstance(), EngineTargetSelector(), gOpt, EnginePlatformInstance().Shared(),
                       command, ToWindowId(window)));
}

void SendKeyCombination(WORD hotKey, HWND window) noexcept {
  SendKeyCombination(EnginePlatformInstance(), hotKey, ToWindowId(window));
}

void RunCommandLine(const char* text, HWND window) noexcept {
  if (text == nullptr) return;
  RunCommandLine(EnginePlatformInstance(), std::string_view(text), ToWindowId(window));
}

void SetBlankCursors(bool restore) noexcept {
  SavedCursors& cursors = Cursors();
  cursors.Take();
  for (int i = 0; i < kSystemCursorCount; ++i) {
    SetSystemCursorCopy(restore ? cursors.original[i].Get() : cursors.blank.Get(), kSystemCursorIds[i]);
  }
}
