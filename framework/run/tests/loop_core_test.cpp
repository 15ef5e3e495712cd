#include "framework/run/loop_core.h"

#include <gtest/gtest.h>

#include "framework/base/framework_messages.h"

TEST(HiddenWindow, ControlMessageActsOnlyOnItsThreeValuesWithTheApplicationsTag) {
  constexpr std::uint32_t crc = 0x9ABCDEF0u;
  const struct { std::uint64_t wParam, lParam; ControlAction action; } cases[] = {
      {WM_FW_SHOW, crc, ControlAction::kShow},
      {WM_FW_QUIT, crc, ControlAction::kQuit},
      {WM_FW_RESTART, crc, ControlAction::kRestart},
      {WM_FW_RESTART, 0xFFFFFFFF00000000ull | crc, ControlAction::kRestart},  // sign-extended by a 32-bit sender
      {WM_FW_SHOW, crc + 1, ControlAction::kIgnore},                          // another application
      {WM_FW_SHOW, 0, ControlAction::kIgnore},
      {0x0010 /* WM_CLOSE */, crc, ControlAction::kIgnore},                   // never forwarded
      {0x8404, crc, ControlAction::kIgnore},
      {0x100000000ull | WM_FW_QUIT, crc, ControlAction::kIgnore},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecideControlMessage(c.wParam, c.lParam, crc), c.action) << std::hex << c.wParam << " " << c.lParam;
  }
}

TEST(HiddenWindow, EveryTwentyFourthTickIsDue) {
  DailyTicker ticker;
  for (int day = 0; day < 2; ++day) {
    for (int tick = 1; tick < 24; ++tick) ASSERT_FALSE(ticker.Tick()) << day << " " << tick;
    EXPECT_TRUE(ticker.Tick()) << day;
    EXPECT_EQ(ticker.Ticks(), 0);
  }
}

TEST(HiddenWindow, DisplayChangeFindsAScreenChangeOrTheFirstChangedDpi) {
  const MonitorRect screen{0, 0, 3840, 1080};
  const int dpi[] = {96, 120, 144};
  const int oneChanged[] = {96, 144, 144};
  const int twoChanged[] = {120, 144, 144};
  const struct { DisplaySnapshot after; DisplayChangeKind kind; int monitor, dpi; } cases[] = {
      {{screen, dpi, 3}, DisplayChangeKind::kNone, -1, 0},
      {{screen, oneChanged, 3}, DisplayChangeKind::kDpi, 1, 144},
      {{screen, twoChanged, 3}, DisplayChangeKind::kDpi, 0, 120},
      {{{0, 0, 1920, 1080}, oneChanged, 3}, DisplayChangeKind::kScreen, -1, 0},  // the screen wins
      {{screen, oneChanged, 1}, DisplayChangeKind::kNone, -1, 0},  // only monitors both tables hold
  };
  for (const auto& c : cases) {
    const DisplayChange change = CompareDisplays(DisplaySnapshot{screen, dpi, 3}, c.after);
    EXPECT_EQ(change.kind, c.kind);
    EXPECT_EQ(change.monitor, c.monitor);
    EXPECT_EQ(change.dpi, c.dpi);
  }
}

TEST(HiddenWindow, WindowsScaleWithTheirMonitorRoundingHalfAwayFromZero) {
  const MonitorRect hd{0, 0, 1920, 1080};
  const struct { MonitorRect rect, before, after; ScaledPlacement p; } cases[] = {
      {{100, 100, 500, 400}, hd, {0, 0, 3840, 2160}, {200, 200, 800, 600}},
      {{3, 3, 6, 6}, {0, 0, 2, 2}, {0, 0, 3, 3}, {5, 5, 5, 5}},         // 4.5 -> 5, 9 - 4.5 = 4.5 -> 5
      {{-3, -3, 1, 1}, {0, 0, 2, 2}, {0, 0, 3, 3}, {-5, -5, 6, 6}},     // -4.5 -> -5
      {{100, 100, 500, 400}, {0, 0, 0, 0}, hd, {100, 100, 400, 300}},   // no old size: unscaled
  };
  for (const auto& c : cases) {
    const ScaledPlacement p = ScaleForDisplay(c.rect, c.before, c.after);
    EXPECT_TRUE(p.x == c.p.x && p.y == c.p.y && p.width == c.p.width && p.height == c.p.height)
        << p.x << "," << p.y << " " << p.width << "x" << p.height;
  }
}
