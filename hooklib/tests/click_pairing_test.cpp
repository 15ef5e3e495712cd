#include "hooklib/click_pairing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::uint64_t kWindow = 0x200;
constexpr std::uint64_t kOther = 0x300;
constexpr DoubleClickRule kRule{500, 4, 4};

TEST(ClickPairing, PressAndDoubleClickMessagesOfEveryButtonAndArea) {
  struct Case {
    std::uint32_t message;
    MouseButton button;
    bool doubleClick, nonClient;
    std::uint32_t asPress, asDoubleClick;
  };
  const Case cases[] = {
      {0x0206, MouseButton::kRight, true, false, 0x0204, 0x0206},
      {0x0209, MouseButton::kMiddle, true, false, 0x0207, 0x0209},
      {0x00A4, MouseButton::kRight, false, true, 0x00A4, 0x00A6},
      {0x00A9, MouseButton::kMiddle, true, true, 0x00A7, 0x00A9},
      {0x0201, MouseButton::kLeft, false, false, 0x0201, 0x0203},
      {0x00AD, MouseButton::kX, true, true, 0x00AB, 0x00AD},
      {0x0205, MouseButton::kNone, false, false, 0x0205, 0x0205},  // releases and moves: no press
      {0x00A2, MouseButton::kNone, false, false, 0x00A2, 0x00A2},
      {0x00A0, MouseButton::kNone, false, false, 0x00A0, 0x00A0},
      {0x020E, MouseButton::kNone, false, false, 0x020E, 0x020E},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.message);
    const PressMessage press = ClassifyPress(c.message);
    EXPECT_EQ(press.button, c.button);
    EXPECT_EQ(press.doubleClick, c.doubleClick);
    EXPECT_EQ(press.nonClient, c.nonClient);
    EXPECT_EQ(PressMessageAs(c.message, false), c.asPress);
    EXPECT_EQ(PressMessageAs(c.message, true), c.asDoubleClick);
  }
}

// The user's presses in the order a thread takes them; the given-back ones
// never reach the pairing, so a click held for long, or one whose release
// strayed, pairs by its press alone.
TEST(ClickPairing, TheSystemsRuleOverTheUsersPresses) {
  struct Press {
    std::uint32_t afterMs;  // since the press before
    MouseButton button;
    std::uint64_t window;
    std::int32_t dx, dy;  // from the first press
    bool windowPairs;
  };
  struct Case {
    const char* what;
    std::uint32_t startMs;
    std::vector<Press> presses;
    std::vector<bool> seconds;
  };
  constexpr MouseButton R = MouseButton::kRight;
  const Case cases[] = {
      {"two quick", 1000, {{0, R, kWindow, 0, 0, true}, {150, R, kWindow, 1, -1, true}}, {false, true}},
      {"three quick: a double click completes its pair", 1000,
       {{0, R, kWindow, 0, 0, true}, {150, R, kWindow, 0, 0, true}, {150, R, kWindow, 0, 0, true}},
       {false, true, false}},
      {"a click held long, then a quick one", 1000, {{0, R, kWindow, 0, 0, true}, {780, R, kWindow, 0, 0, true}},
       {false, false}},
      {"just within the time, and at it", 1000,
       {{0, R, kWindow, 0, 0, true}, {499, R, kWindow, 0, 0, true}, {100, R, kWindow, 0, 0, true},
        {500, R, kWindow, 0, 0, true}},
       {false, true, false, false}},
      {"two pixels off either way", 1000,
       {{0, R, kWindow, 0, 0, true}, {100, R, kWindow, 2, 0, true}, {100, R, kWindow, 2, 2, true},
        {100, R, kWindow, 2, 4, true}},
       {false, false, false, false}},
      {"on two windows", 1000, {{0, R, kWindow, 0, 0, true}, {100, R, kOther, 0, 0, true}}, {false, false}},
      {"across the tick count's wrap", 0xFFFFFF00u, {{0, R, kWindow, 0, 0, true}, {0x164, R, kWindow, 0, 0, true}},
       {false, true}},
      {"right, left, right", 1000,
       {{0, R, kWindow, 0, 0, true}, {80, MouseButton::kLeft, kWindow, 0, 0, true}, {80, R, kWindow, 0, 0, true}},
       {false, false, false}},
      {"middle and X between", 1000,
       {{0, R, kWindow, 0, 0, true}, {80, MouseButton::kMiddle, kWindow, 0, 0, true},
        {80, MouseButton::kX, kWindow, 0, 0, true}, {80, R, kWindow, 0, 0, true}, {80, R, kWindow, 0, 0, true}},
       {false, false, false, false, true}},
      {"a window that makes no double clicks: each press is a first", 1000,
       {{0, R, kWindow, 0, 0, false}, {100, R, kWindow, 0, 0, false}, {100, R, kWindow, 0, 0, false}},
       {false, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClickPairing pairing;
    std::uint32_t now = c.startMs;
    std::vector<bool> seconds;
    for (const Press& p : c.presses) {
      now += p.afterMs;
      seconds.push_back(pairing.Take(ButtonPress{p.button, p.window, now, 500 + p.dx, 400 + p.dy}, p.windowPairs, kRule));
    }
    EXPECT_EQ(seconds, c.seconds);
  }
}

}  // namespace
