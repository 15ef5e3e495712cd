#include "scrolling/engine/wheel_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

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

// Each sequence starts afresh; the first message counts as the slowest turn.
TEST_F(WheelEngineTest, DeltasFollowTheSpeedAndTheInversion) {
  struct Turn {
    std::uint32_t time;
    std::int16_t delta, want;
    std::uint16_t keyFlags;
  };
  struct Sequence {
    const char* name;
    std::uint8_t accelerate, invert;
    std::vector<Turn> turns;
    std::vector<std::int32_t> speeds;  // messages per second, as measured
  };
  Profile defaults;
  SetProfileDefaults(defaults);
  const std::int16_t wrapped = AcceleratedWheelDelta(defaults, 1000.0 / 32.0, -120);
  ASSERT_LT(wrapped, -120);
  const Sequence sequences[] = {
      // 100 per second is above iWSmax, 1 per second below iWSmin; key flags stay.
      {"speed selects the lines", 1, 0, {{500000, 120, 120, 0}, {500010, 120, 1800, 8}, {501010, -120, -120, 0}},
       {0, 100, 1}},
      // The hook sees a message again with the delta it was given and keeps
      // it; an older message is measured afresh, as the slowest turn, in its
      // own direction.
      {"a message seen again", 1, 0,
       {{500000, 120, 120, 0}, {500010, 120, 1800, 0}, {500010, 1800, 1800, 0}, {500005, -120, -120, 0}},
       {0, 100, 0}},
      // 30 days on, the tick count reads as older than the last message: the
      // wheel is measured afresh, and the next turn against that one.
      {"a pause of weeks", 1, 0,
       {{1000, 120, 120, 0}, {1010, 120, 1800, 0}, {2592001010u, 120, 120, 0}, {2592001020u, -120, -1800, 0}},
       {1, 100, 0, 100}},
      {"first at time zero", 1, 0, {{0, 240, 240, 0}}, {0}},
      // 240 ms: slow; 32 ms later the tick count has wrapped: a new message,
      // measured anew, in its own direction.
      {"clock wrap", 1, 0, {{0xFFFFFF00u, 120, 120, 0}, {0xFFFFFFF0u, 120, 120, 0}, {0x10, -120, wrapped, 0}},
       {0, 4, 31}},
      {"accelerated and inverted", 1, 1, {{1000, 120, -120, 0}, {1010, 120, -1800, 0}}, {1, 100}},
      // The most negative delta inverts to the largest, not to itself.
      {"inverted only", 0, 1, {{1000, 120, -120, 0}, {1001, 37, -37, 0}, {1002, -32768, 32767, 0}}, {}},
  };
  for (const Sequence& q : sequences) {
    SCOPED_TRACE(q.name);
    P().bWheelEnable = q.accelerate;
    P().bWheelInvert = q.invert;
    selector.ResetTargetCache();
    desktop.speeds.clear();
    WheelEngine fresh{desktop, selector, gOpt};
    fresh.SetSharedMemory(&shared);
    for (const Turn& t : q.turns) {
      shared.wheelTime = t.time;
      shared.wheelWParam = WithWheelDelta(t.keyFlags, t.delta);
      EXPECT_EQ(fresh.HandleMouseWheel(kWheel, kFocused), 0);
      EXPECT_EQ(Delta(), t.want) << t.time;
      EXPECT_EQ(shared.wheelWParam & 0xFFFF, t.keyFlags);
    }
    EXPECT_EQ(desktop.speeds, q.speeds);
    EXPECT_EQ(desktop.wheelLines.back(), q.accelerate ? 1 : 3) << "accelerating, the selection holds the lines at 1";
  }
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
  struct Case {
    double speed;
    std::int32_t min, max;
    int index;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {{0.0, 2, 66, 0},  {2.0, 2, 66, 0},    {34.0, 2, 66, 49}, {65.9, 2, 66, 98},
                        {66.0, 2, 66, 99}, {1e9, 2, 66, 99},   {nan, 2, 66, 0},
                        // Ranges that a damaged options file may hold.
                        {10.0, 20, 20, 0}, {30.0, 20, 20, 99}, {30.0, 50, 10, 99}, {inf, INT32_MIN, INT32_MAX, 99}};
  for (const Case& c : cases) {
    EXPECT_EQ(WheelCurveIndex(c.speed, c.min, c.max), c.index) << c.speed << " in " << c.min << ".." << c.max;
  }
}

TEST(AcceleratedWheelDeltaTest, WholeUnitsSaturationAndDamagedCurves) {
  struct Case {
    std::int32_t ssMin, ssMax;
    double curve, speed;
    std::int16_t delta, want;
  };
  const Case cases[] = {
      {2, 3, 0.5, 10.0, 30, 0},  // 2.5 lines: 75 is less than one unit
      {2, 3, 0.5, 10.0, 120, 240},  // 300 cut to whole units
      {2, 3, 0.5, 10.0, -120, -240},
      // 360 x 100 = 36000 does not fit: the largest whole delta, same direction.
      {1, 100, 1.0, 100.0, 360, 32760},
      {1, 100, 1.0, 100.0, -360, -32760},
      {1, 100, std::numeric_limits<double>::quiet_NaN(), 1000.0, 120, 0},
  };
  for (const Case& c : cases) {
    Profile p{};
    SetProfileDefaults(p);
    p.iSSmin = c.ssMin;
    p.iSSmax = c.ssMax;
    for (double& v : p.dTrafo) v = c.curve;
    EXPECT_EQ(AcceleratedWheelDelta(p, c.speed, c.delta), c.want) << c.ssMax << " " << c.delta;
  }
}

}  // namespace
