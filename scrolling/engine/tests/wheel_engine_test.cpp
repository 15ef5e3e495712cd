#include "scrolling/engine/wheel_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "scrolling/engine/tests/fake_platform.h"

namespace {

constexpr WindowId kFocused = 0x500;
constexpr WindowId kUnderCursor = 0x600;
constexpr std::uint32_t kWheel = 0x020A;

class WheelEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetFactoryOptions();
    gOpt.iNumPar = 1;
    SetProfileDefaults(gOpt.Par[0]);  // 2..66 messages/s onto 1..15 lines
    desktop.Add(kFocused);
    desktop.Add(kUnderCursor).caption = "Under the cursor";
    desktop.windowUnderCursor = kFocused;
    wheel.SetSharedMemory(&shared);
  }

  Profile& P() { return gOpt.Par[0]; }

  // One wheel message as the hook hands it over; returns the answer.
  std::intptr_t Turn(std::uint32_t time, std::int16_t delta, std::uint16_t keyFlags = 0,
                     WindowId window = kFocused) {
    shared.wheelTime = time;
    shared.wheelWParam = WithWheelDelta(keyFlags, delta);
    shared.wheelPoint = 0x01F40320;
    return wheel.HandleMouseWheel(kWheel, window);
  }
  std::int16_t Delta() const { return WheelDelta(shared.wheelWParam); }

  FakeDesktop desktop;
  SharedMemory shared{};
  TargetSelector selector{desktop, gOpt};
  WheelEngine wheel{desktop, selector, gOpt};
};

TEST_F(WheelEngineTest, SpeedSelectsTheLinesPerNotch) {
  EXPECT_EQ(Turn(500000, 120), 0);
  EXPECT_EQ(Delta(), 120) << "the first message counts as the slowest turn";
  EXPECT_EQ(Turn(500010, 120, 0x0008), 0);  // 100 per second, above iWSmax
  EXPECT_EQ(Delta(), 1800);
  EXPECT_EQ(shared.wheelWParam & 0xFFFF, 0x0008u) << "key flags stay";
  EXPECT_EQ(Turn(501010, -120), 0);  // 1 per second, below iWSmin
  EXPECT_EQ(Delta(), -120);
  EXPECT_EQ(desktop.speeds, (std::vector<std::int32_t>{0, 100, 1}));
  EXPECT_EQ(desktop.wheelLines, (std::vector<std::int32_t>{1})) << "the selection held the lines at 1";
}

TEST_F(WheelEngineTest, TheSameMessageSeenAgainKeepsItsDelta) {
  Turn(500000, 120);
  Turn(500010, 120);
  ASSERT_EQ(Delta(), 1800);
  // The hook sees the message again with the delta it was given.
  Turn(500010, 1800);
  EXPECT_EQ(Delta(), 1800);
  Turn(500005, -120);  // older: reuses the last delta too
  EXPECT_EQ(Delta(), 1800);
  EXPECT_EQ(desktop.speeds.size(), 2u);
}

TEST_F(WheelEngineTest, ClockWrapStillMeasuresTheNewMessage) {
  Turn(0xFFFFFF00u, 120);
  Turn(0xFFFFFFF0u, 120);  // 240 ms: slow
  ASSERT_EQ(Delta(), 120);
  // 32 ms later the tick count has wrapped: a new message, measured anew,
  // and its own direction.
  Turn(0x00000010u, -120);
  EXPECT_EQ(desktop.speeds.back(), 31);
  EXPECT_LT(Delta(), 0);
  EXPECT_EQ(Delta(), AcceleratedWheelDelta(P(), 1000.0 / 32.0, -120));
}

TEST_F(WheelEngineTest, FirstMessageAtTimeZeroDividesByNothing) {
  EXPECT_EQ(Turn(0, 240), 0);
  EXPECT_EQ(Delta(), 240);
  EXPECT_EQ(desktop.speeds, (std::vector<std::int32_t>{0}));
}

TEST_F(WheelEngineTest, InvertAloneOnlyNegates) {
  P().bWheelEnable = 0;
  P().bWheelInvert = 1;
  Turn(1000, 120);
  EXPECT_EQ(Delta(), -120);
  Turn(1001, 37);
  EXPECT_EQ(Delta(), -37);
  Turn(1002, -32768);
  EXPECT_EQ(Delta(), 32767) << "the most negative delta inverts to the largest, not to itself";
  EXPECT_TRUE(desktop.speeds.empty());
}

TEST_F(WheelEngineTest, AcceleratedAndInverted) {
  P().bWheelInvert = 1;
  Turn(1000, 120);
  Turn(1010, 120);
  EXPECT_EQ(Delta(), -1800);
}

TEST_F(WheelEngineTest, ForegroundAndRedirection) {
  P().bWheelEnable = 0;
  P().bWheelForeground = 1;
  P().bWheelCursor = 1;
  desktop.windowUnderCursor = kUnderCursor;
  EXPECT_EQ(Turn(1000, 120, 0, kFocused), 1);
  EXPECT_EQ(desktop.log.back(), "foreground 0x600");
  ASSERT_EQ(desktop.sent.size(), 1u);
  EXPECT_EQ(desktop.sent[0], (SentMessage{kUnderCursor, kWheel, shared.wheelWParam, 0x01F40320}));

  // Over the message's own window nothing is redirected.
  EXPECT_EQ(Turn(1001, 120, 0, kUnderCursor), 0);
  EXPECT_EQ(desktop.sent.size(), 1u);
}

TEST_F(WheelEngineTest, NothingChangesWhenOffOrWithoutTarget) {
  P().bWheelInvert = 1;
  gOpt.bDisabled = 1;
  EXPECT_EQ(Turn(1000, 120), 0);
  EXPECT_EQ(Delta(), 120);
  gOpt.bDisabled = 0;
  EXPECT_EQ(wheel.HandleMouseWheel(0x020E, kFocused), 0);
  EXPECT_EQ(Delta(), 120);
  desktop.windows[kFocused].path.clear();
  EXPECT_EQ(Turn(1001, 120), 0);
  EXPECT_EQ(Delta(), 120);

  WheelEngine noMemory{desktop, selector, gOpt};
  EXPECT_EQ(noMemory.HandleMouseWheel(kWheel, kFocused), 0);
}

TEST(WheelCurveIndexTest, MapsTheSpeedRangeOntoTheCurve) {
  EXPECT_EQ(WheelCurveIndex(0.0, 2, 66), 0);
  EXPECT_EQ(WheelCurveIndex(2.0, 2, 66), 0);
  EXPECT_EQ(WheelCurveIndex(34.0, 2, 66), 49);
  EXPECT_EQ(WheelCurveIndex(65.9, 2, 66), 98);
  EXPECT_EQ(WheelCurveIndex(66.0, 2, 66), 99);
  EXPECT_EQ(WheelCurveIndex(1e9, 2, 66), 99);
  // Ranges that a damaged options file may hold.
  EXPECT_EQ(WheelCurveIndex(10.0, 20, 20), 0);
  EXPECT_EQ(WheelCurveIndex(30.0, 20, 20), 99);
  EXPECT_EQ(WheelCurveIndex(30.0, 50, 10), 99);
  EXPECT_EQ(WheelCurveIndex(std::numeric_limits<double>::quiet_NaN(), 2, 66), 0);
  EXPECT_EQ(WheelCurveIndex(std::numeric_limits<double>::infinity(), -2147483647 - 1, 2147483647), 99);
}

TEST(AcceleratedWheelDeltaTest, WholeUnitsSaturationAndDamagedCurves) {
  Profile p{};
  SetProfileDefaults(p);
  p.iSSmin = 2;
  p.iSSmax = 3;
  for (double& v : p.dTrafo) v = 0.5;  // 2.5 lines everywhere
  EXPECT_EQ(AcceleratedWheelDelta(p, 10.0, 30), 0) << "75 is less than one unit";
  EXPECT_EQ(AcceleratedWheelDelta(p, 10.0, 120), 240);  // 300 cut to whole units
  EXPECT_EQ(AcceleratedWheelDelta(p, 10.0, -120), -240);

  p.iSSmin = 1;
  p.iSSmax = 100;
  for (double& v : p.dTrafo) v = 1.0;
  // 360 x 100 = 36000 does not fit: the largest whole delta, same direction.
  EXPECT_EQ(AcceleratedWheelDelta(p, 100.0, 360), 32760);
  EXPECT_EQ(AcceleratedWheelDelta(p, 100.0, -360), -32760);

  p.dTrafo[99] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(AcceleratedWheelDelta(p, 1000.0, 120), 0);
}

}  // namespace
