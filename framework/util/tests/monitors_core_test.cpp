#include "framework/util/monitors_core.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

TEST(ChooseMonitor, ContainmentGapsTiesAndDistances) {
  const MonitorRect one[] = {{0, 0, 1920, 1080}};
  const MonitorRect two[] = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
  const MonitorRect overlap[] = {{0, 0, 100, 100}, {50, 50, 150, 150}};
  const MonitorRect gap[] = {{0, 0, 1000, 800}, {1100, 0, 2100, 800}};  // a 100-pixel gap
  const MonitorRect tall[] = {{0, 0, 1000, 3000}, {1200, 1000, 2200, 2000}};
  const MonitorRect apart[] = {{0, 0, 100, 100}, {5000, 5000, 5100, 5100}};
  // 32-bit squares would wrap around and make a far monitor look near.
  const MonitorRect far[] = {
      {0, 0, 100, 100}, {INT32_MIN, INT32_MIN, INT32_MIN + 10, INT32_MIN + 10}, {70000, 0, 70100, 100}};
  MonitorRect many[kMaxMonitors] = {};
  for (int i = 0; i < kMaxMonitors; ++i) many[i] = {i * 100, 0, i * 100 + 100, 100};
  const struct { const MonitorRect* monitors; int count; std::int32_t x, y; int want; } cases[] = {
      {one, 1, 1920, 1080, 0}, {one, 1, -50000, 3, 0}, {nullptr, 0, 0, 0, 0},  // one or none: always 0
      {two, 2, 0, 0, 0}, {two, 2, 1919, 1079, 0},
      {two, 2, 1920, 0, 1},     // the right edge of 0 is monitor 1
      {two, 2, 3199, 1023, 1},
      {two, 2, 2500, 1024, 1},  // just below 1: nearest corner
      {overlap, 2, 60, 60, 0},  // the first containing monitor wins
      {gap, 2, 1030, 0, 0},     // 30 from (1000,0), 70 from (1100,0)
      {gap, 2, 1070, 799, 1},
      {gap, 2, 1050, 400, 0},   // equally near: the lower index
      {tall, 2, 1010, 1500, 1},  // corners are compared, not edges
      {apart, 2, 5100 + 999, 5100, 1},
      {apart, 2, 5100 + 1000, 5100, 0},       // exactly 1000 away
      {apart, 2, 5100 + 708, 5100 + 708, 0},  // 1001.3 away
      {far, 3, 69600, 50, 2}, {far, 3, INT32_MAX, INT32_MAX, 0},
      {far, 3, 70000 - 65536, 0, 0},  // 65536^2 is 0 in 32 bits
      {far, 3, INT32_MIN + 12, INT32_MIN + 12, 1},
      {many, kMaxMonitors, 1550, 50, 15},
      {many, 40, 1650, 50, 15},  // the count is clamped: no 17th entry is read
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ") among " << c.count);
    EXPECT_EQ(ChooseMonitor(c.monitors, c.count, c.x, c.y), c.want);
  }
}

TEST(CenterPosition, CentredOnTheReferenceAndKeptInsideTheWorkArea) {
  const MonitorRect work{0, 0, 1920, 1040};
  const MonitorRect left{-1280, 0, 0, 1000};  // a monitor left of the primary
  const MonitorRect small{0, 0, 1000, 800};
  const struct { MonitorRect reference; std::int32_t width, height; MonitorRect work; std::int32_t x, y; } cases[] = {
      {{100, 100, 901, 700}, 200, 101, work, 100 + (801 - 200) / 2, 100 + (600 - 101) / 2},
      {{500, 500, 600, 600}, 201, 103, work, 500 - 50, 500 - 1},  // division toward zero
      {{-1300, -200, -1200, -100}, 300, 200, left, -1280, 0},
      {{-10, 950, 10, 1100}, 300, 200, left, -300, 800},
      // Wider than the work area: flush with the edge nearer the centred
      // position, the near edge on a tie.
      {{-100, 0, 1000, 800}, 1200, 100, small, -200, 350},
      {{60, 0, 1000, 800}, 1200, 100, small, 0, 350},
      {{0, 0, 1000, 800}, 1200, 100, small, 0, 350},
      {{0, -300, 100, 300}, 10, 900, small, 45, -100},  // taller than the work area
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " at " << c.reference.left);
    const WindowPosition p = CenterPosition(c.reference, c.width, c.height, c.work);
    EXPECT_EQ(p.x, c.x);
    EXPECT_EQ(p.y, c.y);
  }
  const MonitorRect monitor{0, 0, 800, 600};
  EXPECT_EQ(WorkAreaOrMonitor(MonitorRect{0, 0, 800, 560}, monitor).bottom, 560);
  EXPECT_EQ(WorkAreaOrMonitor(MonitorRect{}, monitor).bottom, 600);  // empty: the monitor
  EXPECT_EQ(WorkAreaOrMonitor(MonitorRect{10, 10, 10, 500}, monitor).right, 800);
}

TEST(MonitorNames, StripDeviceNameAndCompare) {
  char out[kMonitorDeviceSize];
  const std::string longName = "\\\\.\\" + std::string(50, 'D');
  const struct { const char* name; std::string want; } cases[] = {{"\\\\.\\DISPLAY1", "DISPLAY1"}, {"DISPLAY2\\.x", "DISPLAY2\\.x"}, {"\\\\.\\", ""}, {nullptr, ""},
               {longName.c_str(), std::string(31, 'D')}};
  for (const auto& c : cases) {
    std::memset(out, 'x', sizeof out);
    StripDeviceName(c.name, out, sizeof out);
    EXPECT_EQ(std::string(out), c.want);
  }
  EXPECT_TRUE(AsciiEqualNoCase("OrvoPhantom", "orvophantom"));
  EXPECT_TRUE(AsciiEqualNoCase("", ""));
  EXPECT_FALSE(AsciiEqualNoCase("OrvoPhantom", "OrvoPhantom2"));
  EXPECT_FALSE(AsciiEqualNoCase("OrvoPhanto", "OrvoPhantom"));
  EXPECT_FALSE(AsciiEqualNoCase("[", "{"));
  EXPECT_FALSE(AsciiEqualNoCase(nullptr, "a"));
}

}  // namespace
