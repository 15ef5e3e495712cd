#include "scrolling/settings/profile_dialog_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(ProfileNameFromPath, TakesTheFileNameCutToTheField) {
  const std::string longName(80, 'a');
  const struct {
    std::string path;
    std::size_t size;
    std::string name;
  } cases[] = {
      {"C:\\Tools\\app.exe", 64, "app.exe"},
      {"app.exe", 64, "app.exe"},  // no folder: the whole path
      {"C:\\Tools\\", 64, ""},     // ends in a folder: nothing after it
      {"C:\\x\\" + longName, 64, std::string(63, 'a')},
      {"C:/x/app.exe", 6, "C:/x/"},  // only the backslash separates
  };
  for (const auto& c : cases) {
    char name[64];
    std::memset(name, 'z', sizeof name);
    ProfileNameFromPath(c.path, name, c.size);
    EXPECT_EQ(std::string(name), c.name) << c.path;
  }
  char untouched = 'z';
  ProfileNameFromPath("app.exe", &untouched, 0);
  EXPECT_EQ(untouched, 'z');
}

TEST(DecidePickerStep, EndsWhenTheButtonsAreUpAndFollowsNewWindows) {
  EXPECT_EQ(DecidePickerStep(false, 5, 7), PickerStep::kEnd);
  EXPECT_EQ(DecidePickerStep(false, 5, 5), PickerStep::kEnd);
  EXPECT_EQ(DecidePickerStep(true, 5, 7), PickerStep::kNewWindow);
  EXPECT_EQ(DecidePickerStep(true, 0, 7), PickerStep::kNewWindow);  // left the last window for none
  EXPECT_EQ(DecidePickerStep(true, 5, 5), PickerStep::kSameWindow);
}

TEST(OverlayFrame, StripsLineTheEdgesAndTheInsideIsLeftOpen) {
  const auto strips = OverlayFrameStrips(100, 50, 5);
  EXPECT_EQ(strips[0], (FrameBox{0, 0, 5, 50}));
  EXPECT_EQ(strips[1], (FrameBox{0, 0, 100, 5}));
  EXPECT_EQ(strips[2], (FrameBox{0, 45, 100, 50}));
  EXPECT_EQ(strips[3], (FrameBox{95, 0, 100, 50}));
  EXPECT_EQ(OverlayFrameInside(100, 50, 5), (FrameBox{5, 5, 95, 45}));
  // Too small for an inside: the strips stay within the area and cover it.
  const struct { int w, h; } small[] = {{10, 50}, {50, 10}, {3, 3}, {-4, 20}};
  for (const auto& s : small) {
    const FrameBox inside = OverlayFrameInside(s.w, s.h, 5);
    EXPECT_TRUE(inside.left == inside.right || inside.top == inside.bottom) << s.w << "x" << s.h;
    for (const FrameBox& r : OverlayFrameStrips(s.w, s.h, 5)) {
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom) << s.w << "x" << s.h;
      EXPECT_TRUE(r.right <= (s.w > 0 ? s.w : 0) && r.bottom <= (s.h > 0 ? s.h : 0)) << s.w << "x" << s.h;
    }
  }
}

}  // namespace
