#include "scrolling/engine/win32_platform.h"

#include "framework/util/monitors.h"
#include "scrolling/options/options.h"

namespace {

class ProcessHandle {
 public:
  explicit ProcessHandle(HANDLE handle) noexcept : handle_(handle) {}
  ~ProcessHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  HANDLE get() const noexcept { return handle_; }

 private:
  HANDLE handle_;
};

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
  ProcessHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (process.get() == nullptr) return false;
  DWORD length = size;
  if (!QueryFullProcessImageNameA(process.get(), 0, buffer, &length) || length == 0) {
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

void Win32EnginePlatform::SetSystemWheelScrollLines(std::int32_t lines) {
  SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, static_cast<UINT>(lines), nullptr,
                        SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

void Win32EnginePlatform::WriteBackFwdFlag(std::uint32_t value) {
  if (shared_ != nullptr) shared_->backFwdSubclass = value;
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

void SaveSystemWheelScrollLines() noexcept {
  UINT lines = 0;
  if (SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) {
    SetStartupWheelLines(static_cast<std::int32_t>(lines));
  } else {
    SetStartupWheelLines(kDefaultWheelLines);
  }
}
