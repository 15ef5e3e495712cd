// Cost of the engine's answers to hook messages: every mouse move and wheel
// turn of every program waits for one of them, so each must stay within a
// few microseconds. The platform answers at once, so only the engine is
// timed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "scrolling/engine/scroll_drag.h"
#include "scrolling/engine/wheel_engine.h"

namespace {

constexpr int kProfiles = 1024;

class QuietPlatform final : public EnginePlatform {
 public:
  bool GetCursorPosition(ScreenPoint& out) override {
    out = cursor;
    return true;
  }
  WindowId WindowAtPoint(ScreenPoint) override { return window; }
  bool GetWindowProcessPath(WindowId, char* buffer, std::size_t size) override {
    std::snprintf(buffer, size, "C:\\Program Files (x86)\\Vendor%04d\\Product Suite\\product%04d.exe", program,
                  program);
    return true;
  }
  void GetWindowCaption(WindowId, char* buffer, std::size_t size) override {
    std::snprintf(buffer, size, "Quarterly report.docx - Product %04d", program);
  }
  void GetWindowClass(WindowId, char* buffer, std::size_t size) override {
    std::snprintf(buffer, size, "ProductDocumentView%04d", program);
  }
  void SetSystemWheelScrollLines(std::int32_t, WheelLinesScope) override {}
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
  void InjectMouseEvent(std::uint32_t, std::uint32_t) override {}
  std::intptr_t SendWindowMessage(WindowId, std::uint32_t, std::uintptr_t wParam, std::intptr_t) override {
    benchmark::DoNotOptimize(wParam);
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
  int program = kProfiles - 1;  // the program of the last profile
  long long messages = 0;
};

template <std::size_t N>
void SetField(char (&field)[N], const char* text) {
  std::memset(field, 0, N);
  const std::size_t n = std::strlen(text);
  std::memcpy(field, text, n < N ? n : N - 1);
}

// The factory options: the catch-all profile applies, drags on every press.
void UseFactoryOptions() {
  SetFactoryOptions();
  Profile& all = gOpt.Par[gOpt.iNumPar - 1];
  all.bUseCtrl = 0;
  all.bSwapCtrl = 1;
}

// 1024 profiles with patterns of the lengths users give them: a program
// folder and file, some with a caption part, some by window class only.
// Only the last one fits the window under the cursor.
void UseManyProfiles() {
  SetFactoryOptions();
  gOpt.iNumPar = kProfiles;
  for (int i = 0; i < kProfiles; ++i) {
    Profile& p = gOpt.Par[i];
    SetProfileDefaults(p);
    char text[128];
    std::snprintf(text, sizeof text, "Profile %d", i);
    SetField(p.szParName, text);
    if (i % 4 != 3) {
      std::snprintf(text, sizeof text, "\\Vendor%04d\\Product Suite\\product%04d.exe", i, i);
      SetField(p.szPrgPath, text);
    }
    if (i % 4 == 1) {
      std::snprintf(text, sizeof text, "- Product %04d", i);
      SetField(p.szWndCaption, text);
    }
    if (i % 2 == 1) {
      std::snprintf(text, sizeof text, "ProductDocumentView%04d", i);
      SetField(p.szWndClass, text);
    }
  }
}

void BM_MouseMoveWhileIdle(benchmark::State& state) {
  UseFactoryOptions();
  QuietPlatform platform;
  TargetSelector selector(platform, gOpt);
  ScrollEngine drag(platform, selector, gOpt);
  for (auto _ : state) {
    ++platform.cursor.x;
    benchmark::DoNotOptimize(drag.HandleMouseEvent(kWmMouseMove));
  }
}
BENCHMARK(BM_MouseMoveWhileIdle);

void BM_MouseMoveWhileScrolling(benchmark::State& state) {
  UseFactoryOptions();
  QuietPlatform platform;
  TargetSelector selector(platform, gOpt);
  ScrollEngine drag(platform, selector, gOpt);
  (void)drag.HandleMouseEvent(kWmRButtonDown);
  platform.cursor.y += 10;
  (void)drag.HandleMouseEvent(kWmMouseMove);
  (void)drag.HandleMouseEvent(kWmRButtonUp);
  if (drag.State() != DragState::Scrolling) state.SkipWithError("the drag did not start");
  long long step = 0;
  for (auto _ : state) {
    // Three pixels down and right per event, back and forth across the screen.
    const int d = (step++ / 200) % 2 == 0 ? 3 : -3;
    platform.cursor.x += d;
    platform.cursor.y += d;
    benchmark::DoNotOptimize(drag.HandleMouseEvent(kWmMouseMove));
  }
  drag.EndScrolling();
  state.counters["messages/move"] =
      benchmark::Counter(static_cast<double>(platform.messages) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_MouseMoveWhileScrolling);

void BM_WheelMessage(benchmark::State& state) {
  UseFactoryOptions();
  QuietPlatform platform;
  TargetSelector selector(platform, gOpt);
  WheelEngine wheel(platform, selector, gOpt);
  SharedMemory shared{};
  wheel.SetSharedMemory(&shared);
  std::uint32_t time = 1000;
  for (auto _ : state) {
    time += 20;  // 50 notches per second
    shared.wheelTime = time;
    shared.wheelWParam = 120u << 16;
    benchmark::DoNotOptimize(wheel.HandleMouseWheel(0x020A, 1));
  }
}
BENCHMARK(BM_WheelMessage);

void BM_ProfileSelectionAmong1024(benchmark::State& state) {
  UseManyProfiles();
  QuietPlatform platform;
  TargetSelector selector(platform, gOpt);
  WindowId window = 1;
  for (auto _ : state) {
    // Another window every time: the cache never answers.
    window = window == 1 ? 2 : 1;
    platform.window = window;
    benchmark::DoNotOptimize(selector.FindTargetWindow());
  }
  if (gOpt.iCurPar != kProfiles - 1) state.SkipWithError("the last profile was not the one selected");
}
BENCHMARK(BM_ProfileSelectionAmong1024);

// The first selection after the profiles changed (a settings page re-installs
// the hooks at each edit): the pattern index is built anew first.
void BM_ProfileSelectionAfterAChangeAmong1024(benchmark::State& state) {
  UseManyProfiles();
  QuietPlatform platform;
  TargetSelector selector(platform, gOpt);
  for (auto _ : state) {
    NoteProfilesChanged();
    selector.ResetTargetCache();
    benchmark::DoNotOptimize(selector.FindTargetWindow());
  }
  if (gOpt.iCurPar != kProfiles - 1) state.SkipWithError("the last profile was not the one selected");
}
BENCHMARK(BM_ProfileSelectionAfterAChangeAmong1024);

}  // namespace

BENCHMARK_MAIN();
