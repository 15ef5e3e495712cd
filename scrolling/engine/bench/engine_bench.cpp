// Cost of the engine's answers to hook messages: every mouse move and
// wheel turn of every program waits for one of them.
#include <chrono>
#include <cstdio>
#include <cstring>

#include "scrolling/engine/scroll_drag.h"
#include "scrolling/engine/wheel_engine.h"

namespace {

// A platform that answers at once, so that only the engine is timed.
class QuietPlatform final : public EnginePlatform {
 public:
  bool GetCursorPosition(ScreenPoint& out) override {
    out = cursor;
    return true;
  }
  WindowId WindowAtPoint(ScreenPoint) override { return window; }
  bool GetWindowProcessPath(WindowId w, char* buffer, std::size_t size) override {
    std::snprintf(buffer, size, "C:\\Program Files\\App%u\\app.exe", static_cast<unsigned>(w));
    return true;
  }
  void GetWindowCaption(WindowId, char* buffer, std::size_t size) override { std::snprintf(buffer, size, "Document"); }
  void GetWindowClass(WindowId, char* buffer, std::size_t size) override { std::snprintf(buffer, size, "AppView"); }
  void SetSystemWheelScrollLines(std::int32_t) override {}
  void WriteBackFwdFlag(std::uint32_t) override {}
  bool IsKeyDown(int) override { return false; }
  bool WindowVisible(WindowId) override { return true; }
  std::uint32_t WindowStyle(WindowId) override { return kWsVScroll; }
  bool WindowRect(WindowId, ScreenRect& out) override {
    out = ScreenRect{0, 0, 800, 600};
    return true;
  }
  WindowId ParentWindow(WindowId) override { return 0; }
  void ForEachChildWindow(WindowId, WindowVisitor&) override {}
  void CaptureMouse(WindowId) override {}
  void ReleaseMouseCapture() override {}
  void MoveCursor(ScreenPoint) override {}
  void SetBlankCursors(bool) override {}
  void InjectMouseEvent(std::uint32_t) override {}
  std::intptr_t SendWindowMessage(WindowId, std::uint32_t, std::uintptr_t, std::intptr_t) override {
    ++messages;
    return 0;
  }
  void BringToForeground(WindowId) override {}
  void ActivateForInput(WindowId) override {}
  void SendKeyInputs(const KeyInput*, std::size_t) override {}
  void RunProgram(WindowId, const char*, const char*) override {}
  void ReportWheelSpeed(std::int32_t) override {}

  ScreenPoint cursor{400, 300};
  WindowId window = 1;
  long long messages = 0;
};

template <typename F>
double NanosecondsPerCall(long long calls, F&& f) {
  const auto start = std::chrono::steady_clock::now();
  for (long long i = 0; i < calls; ++i) f(i);
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::nano>(end - start).count() / static_cast<double>(calls);
}

}  // namespace

int main() {
  SetFactoryOptions();
  QuietPlatform platform;
  TargetSelector selector(platform, gOpt);
  ScrollEngine drag(platform, selector, gOpt);
  WheelEngine wheel(platform, selector, gOpt);
  SharedMemory shared{};
  wheel.SetSharedMemory(&shared);
  constexpr long long kCalls = 2000000;

  // Selection answered from the cache, and a new selection each time over
  // the eleven factory profiles (the window changes on every call).
  const double cached = NanosecondsPerCall(kCalls, [&](long long) { (void)selector.FindTargetWindow(); });
  const double fresh = NanosecondsPerCall(kCalls / 10, [&](long long i) {
    platform.window = static_cast<WindowId>(2 + (i & 1));
    (void)selector.FindTargetWindow();
  });
  platform.window = 1;
  selector.ResetTargetCache();

  // A drag moving one pixel per event.
  gOpt.Par[gOpt.iNumPar - 1].bUseCtrl = 0;
  gOpt.Par[gOpt.iNumPar - 1].bSwapCtrl = 1;
  (void)drag.HandleMouseEvent(kWmRButtonDown);
  platform.cursor.y += 10;
  (void)drag.HandleMouseEvent(kWmMouseMove);
  (void)drag.HandleMouseEvent(kWmRButtonUp);
  const double move = NanosecondsPerCall(kCalls, [&](long long) {
    ++platform.cursor.y;
    (void)drag.HandleMouseEvent(kWmMouseMove);
  });
  drag.EndScrolling();

  // Accelerated wheel messages 20 ms apart.
  const double turn = NanosecondsPerCall(kCalls, [&](long long i) {
    shared.wheelTime = static_cast<std::uint32_t>(1000 + 20 * i);
    shared.wheelWParam = 120u << 16;
    (void)wheel.HandleMouseWheel(0x020A, 1);
  });

  std::printf("selection from the cache     %8.1f ns\n", cached);
  std::printf("selection over 11 profiles   %8.1f ns\n", fresh);
  std::printf("drag move (one line)         %8.1f ns\n", move);
  std::printf("accelerated wheel message    %8.1f ns\n", turn);
  std::printf("(%lld messages sent)\n", platform.messages);
  return 0;
}
