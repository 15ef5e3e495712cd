#include "scrolling/engine/target_selector.h"

#include <gtest/gtest.h>

#include "scrolling/engine/tests/fake_platform.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct FakeWindow {
  std::string path;
  std::string caption;
  std::string windowClass;
  bool pathReadable = true;
};

class FakePlatform : public RecordingPlatform {
 public:
  bool GetCursorPosition(ScreenPoint& out) override {
    if (!cursorReadable) return false;
    out = cursor;
    return true;
  }
  WindowId WindowAtPoint(ScreenPoint point) override {
    lastPoint = point;
    return windowUnderCursor;
  }
  bool GetWindowProcessPath(WindowId window, char* buffer, std::size_t size) override {
    ++pathQueries;
    buffer[0] = '\0';
    auto it = windows.find(window);
    if (it == windows.end() || !it->second.pathReadable) return false;
    CopyOut(it->second.path, buffer, size);
    return true;
  }
  void GetWindowCaption(WindowId window, char* buffer, std::size_t size) override {
    CopyOut(windows[window].caption, buffer, size);
  }
  void GetWindowClass(WindowId window, char* buffer, std::size_t size) override {
    CopyOut(windows[window].windowClass, buffer, size);
  }
  void SetSystemWheelScrollLines(std::int32_t lines) override { wheelLineCalls.push_back(lines); }
  void WriteBackFwdFlag(std::uint32_t value) override { backFwdWrites.push_back(value); }

  bool cursorReadable = true;
  ScreenPoint cursor{100, 200};
  ScreenPoint lastPoint{};
  WindowId windowUnderCursor = 0;
  std::map<WindowId, FakeWindow> windows;
  int pathQueries = 0;
  std::vector<std::int32_t> wheelLineCalls;
  std::vector<std::uint32_t> backFwdWrites;
};

void Set(char* field, std::size_t size, const char* text) {
  std::memset(field, 0, size);
  std::strncpy(field, text, size - 1);
}

class TargetSelectorTest : public ::testing::Test {
 protected:
  static constexpr WindowId kEditor = 0x1001;
  static constexpr WindowId kBrowser = 0x2002;
  static constexpr WindowId kOther = 0x3003;

  void SetUp() override {
    SetStartupWheelLines(4);
    SetFactoryOptions();  // gOpt: the program's real record
    platform.windows[kEditor] = {"C:\\Tools\\EDITOR.EXE", "notes.txt - Editor", "EditorFrame"};
    platform.windows[kBrowser] = {"C:\\Web\\browser.exe", "Start page", "MozillaWindowClass"};
    platform.windows[kOther] = {"C:\\x\\other.exe", "Other", "OtherClass"};
  }
  void TearDown() override { SetStartupWheelLines(kDefaultWheelLines); }

  // Puts a profile with the given patterns at the head of the list.
  Profile& AddFirst(const char* name, const char* path, const char* caption, const char* cls) {
    std::memmove(&gOpt.Par[1], &gOpt.Par[0], sizeof(Profile) * static_cast<std::size_t>(gOpt.iNumPar));
    ++gOpt.iNumPar;
    Profile& p = gOpt.Par[0];
    SetProfileDefaults(p);
    Set(p.szParName, sizeof p.szParName, name);
    Set(p.szPrgPath, sizeof p.szPrgPath, path);
    Set(p.szWndCaption, sizeof p.szWndCaption, caption);
    Set(p.szWndClass, sizeof p.szWndClass, cls);
    return p;
  }
  // Leaves only the first count profiles in use (drops the catch-all).
  void KeepProfiles(int count) { gOpt.iNumPar = count; }

  WindowId PointAt(WindowId w) {
    platform.windowUnderCursor = w;
    return selector.FindTargetWindow();
  }

  FakePlatform platform;
  TargetSelector selector{platform, gOpt};
};

TEST_F(TargetSelectorTest, SelectsFirstMatchingProfileAndCopiesIt) {
  AddFirst("Editor", "editor.exe", "", "");  // lower case against an upper-case path
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(gOpt.iCurPar, 0);
  EXPECT_EQ(std::memcmp(&selector.CurrentProfile(), &gOpt.Par[0], sizeof(Profile)), 0);
  EXPECT_EQ(selector.CachedWindow(), kEditor);

  // The factory profiles follow: "Firefox" claims the browser before "(All Others)".
  EXPECT_EQ(PointAt(kBrowser), kBrowser);
  EXPECT_EQ(gOpt.iCurPar, 4);
  EXPECT_STREQ(selector.CurrentProfile().szParName, "Firefox");
  EXPECT_EQ(PointAt(kOther), kOther);
  EXPECT_STREQ(selector.CurrentProfile().szParName, "(All Others)");
  EXPECT_EQ(gOpt.iCurPar, 11);
}

TEST_F(TargetSelectorTest, EarlierOfTwoMatchingProfilesWins) {
  AddFirst("Second", "", "", "EditorFrame");
  AddFirst("First", "EDITOR", "", "");
  PointAt(kEditor);
  EXPECT_EQ(gOpt.iCurPar, 0);
  EXPECT_STREQ(selector.CurrentProfile().szParName, "First");
}

TEST_F(TargetSelectorTest, EmptyCaptionDoesNotStopAMatch) {
  platform.windows[kEditor].caption = "";
  AddFirst("Captioned", "editor", "Some caption", "EditorFrame");
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_STREQ(selector.CurrentProfile().szParName, "Captioned");
}

TEST_F(TargetSelectorTest, CursorPointIsReportedAndUsed) {
  platform.windowUnderCursor = kOther;
  platform.cursor = {-300, 40};
  ScreenPoint anchor{1, 1};
  EXPECT_EQ(selector.FindTargetWindow(&anchor), kOther);
  EXPECT_EQ(anchor.x, -300);
  EXPECT_EQ(anchor.y, 40);
  EXPECT_EQ(platform.lastPoint.x, -300);
  EXPECT_EQ(platform.lastPoint.y, 40);
}

TEST_F(TargetSelectorTest, NoCursorOrNoWindowGivesNoTargetAndKeepsTheCache) {
  EXPECT_EQ(PointAt(kOther), kOther);
  EXPECT_EQ(PointAt(0), 0u);
  EXPECT_EQ(selector.CachedWindow(), kOther);
  platform.cursorReadable = false;
  platform.windowUnderCursor = kOther;
  EXPECT_EQ(selector.FindTargetWindow(), 0u);
  EXPECT_EQ(gOpt.iCurPar, 10);
}

TEST_F(TargetSelectorTest, ScrollBarIsNeverATarget) {
  PointAt(kOther);
  const int queries = platform.pathQueries;
  for (const char* cls : {"ScrollBar", "SCROLLBAR", "scrollbar"}) {
    platform.windows[0x4004] = {"C:\\x\\other.exe", "", cls};
    EXPECT_EQ(PointAt(0x4004), 0u) << cls;
    EXPECT_EQ(selector.CachedWindow(), 0u);
  }
  EXPECT_EQ(platform.pathQueries, queries + 3);  // each time asked afresh: not cached
  EXPECT_EQ(gOpt.iCurPar, 10);                  // the profile of before stays
  platform.windows[0x4004].windowClass = "ScrollBarEx";
  EXPECT_EQ(PointAt(0x4004), 0x4004u);
}

TEST_F(TargetSelectorTest, UnreadableProcessIsNeverATarget) {
  platform.windows[kEditor].pathReadable = false;
  EXPECT_EQ(PointAt(kEditor), 0u);
  EXPECT_EQ(selector.CachedWindow(), 0u);
  EXPECT_EQ(PointAt(kEditor), 0u);
  EXPECT_EQ(platform.pathQueries, 2);
  EXPECT_TRUE(platform.backFwdWrites.empty());
}

TEST_F(TargetSelectorTest, CacheAnswersUntilReset) {
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(platform.pathQueries, 1);
  // A profile edited meanwhile is not seen while the cursor stays.
  AddFirst("New", "editor", "", "");
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(platform.pathQueries, 1);
  EXPECT_STREQ(selector.CurrentProfile().szParName, "(All Others)");

  selector.ResetTargetCache();
  EXPECT_EQ(selector.CachedWindow(), 0u);
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(platform.pathQueries, 2);
  EXPECT_STREQ(selector.CurrentProfile().szParName, "New");
}

TEST_F(TargetSelectorTest, BackForwardFlagIsPublished) {
  AddFirst("Remap", "editor", "", "").bEnableBackFwd = 1;
  PointAt(kEditor);
  PointAt(kEditor);  // cached: no second write
  PointAt(kBrowser);
  PointAt(kOther);
  EXPECT_EQ(platform.backFwdWrites, (std::vector<std::uint32_t>{1, 0, 0}));
  gOpt.Par[11].bEnableBackFwd = 9;  // any nonzero value is a 1 for the hook
  selector.ResetTargetCache();
  PointAt(kOther);
  EXPECT_EQ(platform.backFwdWrites.back(), 1u);
}

TEST_F(TargetSelectorTest, WheelLinesHeldAtOneWhileAccelerating) {
  AddFirst("Plain", "editor", "", "").bWheelEnable = 0;
  gOpt.Par[0].iWheelDefLines = 7;
  PointAt(kBrowser);  // Firefox: accelerates
  EXPECT_EQ(platform.wheelLineCalls, (std::vector<std::int32_t>{1}));
  EXPECT_TRUE(selector.WheelLinesSetToOne());
  PointAt(kOther);  // accelerating too: no call
  EXPECT_EQ(platform.wheelLineCalls.size(), 1u);
  PointAt(kEditor);  // not accelerating: its own default lines
  EXPECT_EQ(platform.wheelLineCalls, (std::vector<std::int32_t>{1, 7}));
  EXPECT_FALSE(selector.WheelLinesSetToOne());
  selector.ResetTargetCache();
  PointAt(kEditor);  // still not accelerating: no call
  EXPECT_EQ(platform.wheelLineCalls.size(), 2u);
}

TEST_F(TargetSelectorTest, RestoreStartupWheelLinesOnlyAfterAChange) {
  selector.RestoreStartupWheelLines();
  EXPECT_TRUE(platform.wheelLineCalls.empty());
  PointAt(kOther);
  selector.RestoreStartupWheelLines();
  EXPECT_EQ(platform.wheelLineCalls, (std::vector<std::int32_t>{1, 4}));
  EXPECT_FALSE(selector.WheelLinesSetToOne());
}

TEST_F(TargetSelectorTest, NoMatchingProfileMeansNothingApplies) {
  AddFirst("Remap", "editor", "", "").bEnableBackFwd = 1;
  KeepProfiles(1);  // no catch-all
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_TRUE(selector.WheelLinesSetToOne());

  EXPECT_EQ(PointAt(kOther), 0u);
  EXPECT_EQ(gOpt.iCurPar, -1);
  Profile zero;
  std::memset(&zero, 0, sizeof zero);
  EXPECT_EQ(std::memcmp(&selector.CurrentProfile(), &zero, sizeof zero), 0);
  EXPECT_EQ(platform.backFwdWrites, (std::vector<std::uint32_t>{1, 0}));
  EXPECT_EQ(platform.wheelLineCalls, (std::vector<std::int32_t>{1, 4}));  // the user's value back
  EXPECT_FALSE(selector.WheelLinesSetToOne());

  // The same window again: still no target, and no new query.
  const int queries = platform.pathQueries;
  EXPECT_EQ(PointAt(kOther), 0u);
  EXPECT_EQ(platform.pathQueries, queries);
  EXPECT_EQ(selector.CachedWindow(), kOther);

  // Another window without a profile: nothing to put back a second time.
  EXPECT_EQ(PointAt(kBrowser), 0u);
  EXPECT_EQ(platform.wheelLineCalls.size(), 2u);
}

TEST_F(TargetSelectorTest, NoProfilesAtAll) {
  KeepProfiles(0);
  EXPECT_EQ(PointAt(kEditor), 0u);
  EXPECT_EQ(gOpt.iCurPar, -1);
  EXPECT_TRUE(platform.wheelLineCalls.empty());
  EXPECT_EQ(platform.backFwdWrites, (std::vector<std::uint32_t>{0}));
}

TEST_F(TargetSelectorTest, SwitchedOffProgramNeverSetsWheelLinesToOne) {
  gOpt.bDisabled = 1;
  EXPECT_EQ(PointAt(kBrowser), kBrowser);  // still selected: the profile is known
  EXPECT_EQ(gOpt.iCurPar, 3);
  EXPECT_TRUE(platform.wheelLineCalls.empty());
  EXPECT_FALSE(selector.WheelLinesSetToOne());

  gOpt.bDisabled = 0;
  PointAt(kOther);
  EXPECT_EQ(platform.wheelLineCalls, (std::vector<std::int32_t>{1}));
  gOpt.bDisabled = 1;  // switched off while the lines are at 1: put back
  PointAt(kBrowser);
  EXPECT_EQ(platform.wheelLineCalls, (std::vector<std::int32_t>{1, gOpt.Par[3].iWheelDefLines}));
  EXPECT_FALSE(selector.WheelLinesSetToOne());
}

TEST_F(TargetSelectorTest, DragKeepsItsWindowAndProfile) {
  EXPECT_EQ(PointAt(kBrowser), kBrowser);
  selector.SetDragInProgress(true);
  const int queries = platform.pathQueries;
  ScreenPoint anchor{};
  platform.cursor = {5, 6};
  platform.windowUnderCursor = kEditor;
  EXPECT_EQ(selector.FindTargetWindow(&anchor), kBrowser);
  EXPECT_EQ(anchor.x, 5);
  EXPECT_EQ(gOpt.iCurPar, 3);
  EXPECT_STREQ(selector.CurrentProfile().szParName, "Firefox");
  EXPECT_EQ(platform.pathQueries, queries);
  EXPECT_EQ(platform.backFwdWrites.size(), 1u);

  selector.SetDragInProgress(false);
  EXPECT_FALSE(selector.DragInProgress());
  EXPECT_EQ(selector.FindTargetWindow(), kEditor);
  EXPECT_STREQ(selector.CurrentProfile().szParName, "(All Others)");
}

TEST_F(TargetSelectorTest, LongWindowTextsAreCutNotOverrun) {
  platform.windows[kOther].caption = std::string(300, 'c');
  platform.windows[kOther].windowClass = std::string(300, 'k');
  platform.windows[kOther].path = std::string(1000, 'p');
  AddFirst("Long", "", std::string(63, 'C').c_str(), "");
  EXPECT_EQ(PointAt(kOther), kOther);
  EXPECT_STREQ(selector.CurrentProfile().szParName, "Long");
}

}  // namespace
