#include "framework/util/monitors_core.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

TEST(ChooseMonitor, OneMonitorAlwaysGivesZero) {
  const MonitorRect one[] = {{0, 0, 1920, 1080}};
  EXPECT_EQ(ChooseMonitor(one, 1, 1920, 1080), 0);  // on the outer edge
  EXPECT_EQ(ChooseMonitor(one, 1, -50000, 3), 0);
  EXPECT_EQ(ChooseMonitor(nullptr, 0, 0, 0), 0);
}

TEST(ChooseMonitor, ContainmentExcludesRightAndBottomEdges) {
  const MonitorRect two[] = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
  EXPECT_EQ(ChooseMonitor(two, 2, 0, 0), 0);
  EXPECT_EQ(ChooseMonitor(two, 2, 1919, 1079), 0);
  EXPECT_EQ(ChooseMonitor(two, 2, 1920, 0), 1);     // right edge of 0 is monitor 1
  EXPECT_EQ(ChooseMonitor(two, 2, 3199, 1023), 1);
  EXPECT_EQ(ChooseMonitor(two, 2, 2500, 1024), 1);  // just below 1: nearest corner
  // The first containing monitor wins where rectangles overlap.
  const MonitorRect overlap[] = {{0, 0, 100, 100}, {50, 50, 150, 150}};
  EXPECT_EQ(ChooseMonitor(overlap, 2, 60, 60), 0);
}

TEST(ChooseMonitor, GapGoesToTheNearestCorner) {
  // Two monitors with a 100-pixel gap between them.
  const MonitorRect gap[] = {{0, 0, 1000, 800}, {1100, 0, 2100, 800}};
  EXPECT_EQ(ChooseMonitor(gap, 2, 1030, 0), 0);   // 30 from (1000,0), 70 from (1100,0)
  EXPECT_EQ(ChooseMonitor(gap, 2, 1070, 799), 1);
  EXPECT_EQ(ChooseMonitor(gap, 2, 1050, 400), 0);  // equally near: the lower index
  // Corners are compared, not edges: a point beside the middle of an edge
  // can be nearer to another monitor's corner.
  const MonitorRect tall[] = {{0, 0, 1000, 3000}, {1200, 1000, 2200, 2000}};
  EXPECT_EQ(ChooseMonitor(tall, 2, 1010, 1500), 1);
}

TEST(ChooseMonitor, FarPointGivesMonitorZero) {
  const MonitorRect two[] = {{0, 0, 100, 100}, {5000, 5000, 5100, 5100}};
  EXPECT_EQ(ChooseMonitor(two, 2, 5100 + 999, 5100), 1);
  EXPECT_EQ(ChooseMonitor(two, 2, 5100 + 1000, 5100), 0);  // exactly 1000 away
  EXPECT_EQ(ChooseMonitor(two, 2, 5100 + 708, 5100 + 708), 0);  // 1001.3 away
}

TEST(ChooseMonitor, HugeCoordinatesDoNotOverflow) {
  // 32-bit squares would wrap around and make a far monitor look near.
  const MonitorRect far[] = {{0, 0, 100, 100}, {INT32_MIN, INT32_MIN, INT32_MIN + 10, INT32_MIN + 10},
                             {70000, 0, 70100, 100}};
  EXPECT_EQ(ChooseMonitor(far, 3, 69600, 50), 2);
  EXPECT_EQ(ChooseMonitor(far, 3, INT32_MAX, INT32_MAX), 0);
  EXPECT_EQ(ChooseMonitor(far, 3, 70000 - 65536, 0), 0);  // 65536^2 is 0 in 32 bits
  EXPECT_EQ(ChooseMonitor(far, 3, INT32_MIN + 12, INT32_MIN + 12), 1);
}

TEST(ChooseMonitor, CountIsClampedToTheTable) {
  MonitorRect many[kMaxMonitors] = {};
  for (int i = 0; i < kMaxMonitors; ++i) many[i] = {i * 100, 0, i * 100 + 100, 100};
  EXPECT_EQ(ChooseMonitor(many, kMaxMonitors, 1550, 50), 15);
  EXPECT_EQ(ChooseMonitor(many, 40, 1650, 50), 15);  // reads no 17th entry
}

TEST(WorkAreaOrMonitor, EmptyWorkAreaTakesTheMonitor) {
  const MonitorRect monitor{0, 0, 800, 600};
  const MonitorRect work{0, 0, 800, 560};
  EXPECT_EQ(WorkAreaOrMonitor(work, monitor).bottom, 560);
  EXPECT_EQ(WorkAreaOrMonitor(MonitorRect{}, monitor).bottom, 600);
  EXPECT_EQ(WorkAreaOrMonitor(MonitorRect{10, 10, 10, 500}, monitor).right, 800);
}

TEST(CenterPosition, CentresOnTheReference) {
  const MonitorRect work{0, 0, 1920, 1040};
  const WindowPosition p = CenterPosition({100, 100, 901, 700}, 200, 101, work);
  EXPECT_EQ(p.x, 100 + (801 - 200) / 2);
  EXPECT_EQ(p.y, 100 + (600 - 101) / 2);
  // Integer division toward zero for a window larger than the reference.
  const WindowPosition q = CenterPosition({500, 500, 600, 600}, 201, 103, work);
  EXPECT_EQ(q.x, 500 - 50);
  EXPECT_EQ(q.y, 500 - 1);
}

TEST(CenterPosition, KeptInsideTheWorkArea) {
  const MonitorRect work{-1280, 0, 0, 1000};  // a monitor left of the primary
  EXPECT_EQ(CenterPosition({-1300, -200, -1200, -100}, 300, 200, work).x, -1280);
  EXPECT_EQ(CenterPosition({-1300, -200, -1200, -100}, 300, 200, work).y, 0);
  EXPECT_EQ(CenterPosition({-10, 950, 10, 1100}, 300, 200, work).x, -300);
  EXPECT_EQ(CenterPosition({-10, 950, 10, 1100}, 300, 200, work).y, 800);
}

TEST(CenterPosition, WiderThanTheWorkAreaMeetsTheNearerEdge) {
  const MonitorRect work{0, 0, 1000, 800};
  // Centred at -150: the near edge (0) is 150 away, the far one (-200) 50.
  EXPECT_EQ(CenterPosition({-100, 0, 1000, 800}, 1200, 100, work).x, -200);
  // Centred at -70: the near edge is closer.
  EXPECT_EQ(CenterPosition({60, 0, 1000, 800}, 1200, 100, work).x, 0);
  // Exactly between: the near edge.
  EXPECT_EQ(CenterPosition({0, 0, 1000, 800}, 1200, 100, work).x, 0);
  // Taller than the work area.
  EXPECT_EQ(CenterPosition({0, -300, 100, 300}, 10, 900, work).y, -100);
}

TEST(StripDeviceName, DropsLeadingBackslashesAndDots) {
  char out[kMonitorDeviceSize];
  StripDeviceName("\\\\.\\DISPLAY1", out, sizeof out);
  EXPECT_STREQ(out, "DISPLAY1");
  StripDeviceName("DISPLAY2\\.x", out, sizeof out);
  EXPECT_STREQ(out, "DISPLAY2\\.x");
  StripDeviceName("\\\\.\\", out, sizeof out);
  EXPECT_STREQ(out, "");
  StripDeviceName(nullptr, out, sizeof out);
  EXPECT_STREQ(out, "");
  const std::string longName = "\\\\.\\" + std::string(50, 'D');
  std::memset(out, 'x', sizeof out);
  StripDeviceName(longName.c_str(), out, sizeof out);
  EXPECT_EQ(std::string(out), std::string(31, 'D'));
}

TEST(AsciiEqualNoCase, WholeTextsIgnoringCase) {
  EXPECT_TRUE(AsciiEqualNoCase("OrvoPhantom", "orvophantom"));
  EXPECT_TRUE(AsciiEqualNoCase("", ""));
  EXPECT_FALSE(AsciiEqualNoCase("OrvoPhantom", "OrvoPhantom2"));
  EXPECT_FALSE(AsciiEqualNoCase("OrvoPhanto", "OrvoPhantom"));
  EXPECT_FALSE(AsciiEqualNoCase("[", "{"));
  EXPECT_FALSE(AsciiEqualNoCase(nullptr, "a"));
}

}  // namespace
