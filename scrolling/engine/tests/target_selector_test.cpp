#include "scrolling/engine/target_selector.h"

#include <gtest/gtest.h>

#include "scrolling/engine/tests/fake_platform.h"
#include "scrolling/options/options_storage.h"
#include "tests/support/product/use_product_texts.h"
#include "tests/support/store/memory_record_store.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::int32_t>;
using Flags = std::vector<std::uint32_t>;

class TargetSelectorTest : public ::testing::Test {
 protected:
  static constexpr WindowId kEditor = 0x1001;
  static constexpr WindowId kBrowser = 0x2002;
  static constexpr WindowId kOther = 0x3003;

  void SetUp() override {
    UseProductTexts();
    SetStartupWheelLines(4);
    SetFactoryOptions();  // gOpt: the program's real record
    platform.cursor = {100, 200};
    platform.Add(kEditor) = {"C:\\Tools\\EDITOR.EXE", "notes.txt - Editor", "EditorFrame"};
    platform.Add(kBrowser) = {"C:\\Web\\browser.exe", "Start page", "MozillaWindowClass"};
    platform.Add(kOther) = {"C:\\x\\other.exe", "Other", "OtherClass"};
  }
  void TearDown() override { SetStartupWheelLines(kDefaultWheelLines); }

  // Puts a profile with the given patterns at the head of the list.
  Profile& AddFirst(const char* name, const char* path, const char* caption, const char* cls) {
    std::memmove(&gOpt.Par[1], &gOpt.Par[0], sizeof(Profile) * static_cast<std::size_t>(gOpt.iNumPar));
    ++gOpt.iNumPar;
    Profile& p = gOpt.Par[0];
    SetProfileDefaults(p);
    std::strncpy(p.szParName, name, sizeof p.szParName - 1);
    std::strncpy(p.szPrgPath, path, sizeof p.szPrgPath - 1);
    std::strncpy(p.szWndCaption, caption, sizeof p.szWndCaption - 1);
    std::strncpy(p.szWndClass, cls, sizeof p.szWndClass - 1);
    return p;
  }

  WindowId PointAt(WindowId w) {
    platform.windowUnderCursor = w;
    return selector.FindTargetWindow();
  }
  std::string Chosen() const { return selector.CurrentProfile().szParName; }

  FakeDesktop platform;
  TargetSelector selector{platform, gOpt};
};

TEST_F(TargetSelectorTest, FirstMatchingProfileIsChosenAndCopied) {
  AddFirst("Second", "", "", "EditorFrame");
  AddFirst("First", "editor.exe", "", "");  // lower case against an upper-case path
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(gOpt.iCurPar, 0);
  EXPECT_EQ(std::memcmp(&selector.CurrentProfile(), &gOpt.Par[0], sizeof(Profile)), 0);
  EXPECT_EQ(selector.CachedWindow(), kEditor);

  // The factory profiles follow: "Firefox" claims the browser before "(All Others)".
  EXPECT_EQ(PointAt(kBrowser), kBrowser);
  EXPECT_EQ(gOpt.iCurPar, 5);
  EXPECT_EQ(Chosen(), "Firefox");
  EXPECT_EQ(PointAt(kOther), kOther);
  EXPECT_EQ(Chosen(), "(All Others)");
  EXPECT_EQ(gOpt.iCurPar, 12);

  // The cursor point is reported and used.
  platform.cursor = {-300, 40};
  ScreenPoint anchor{1, 1};
  EXPECT_EQ(selector.FindTargetWindow(&anchor), kOther);
  EXPECT_EQ((std::vector<int>{anchor.x, anchor.y, platform.lastPoint.x, platform.lastPoint.y}),
            (std::vector<int>{-300, 40, -300, 40}));
}

TEST_F(TargetSelectorTest, EmptyCaptionPassesAndLongTextsAreCutNotOverrun) {
  platform.windows[kEditor].caption = "";
  AddFirst("Captioned", "editor", "Some caption", "EditorFrame");
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(Chosen(), "Captioned");

  platform.windows[kOther] = {std::string(1000, 'p'), std::string(300, 'c'), std::string(300, 'k')};
  AddFirst("Long", "", std::string(63, 'C').c_str(), "");
  EXPECT_EQ(PointAt(kOther), kOther);
  EXPECT_EQ(Chosen(), "Long");
}

TEST_F(TargetSelectorTest, NoCursorNoWindowScrollBarOrUnreadableProcessIsNoTarget) {
  EXPECT_EQ(PointAt(kOther), kOther);
  EXPECT_EQ(PointAt(0), 0u);
  EXPECT_EQ(selector.CachedWindow(), kOther);  // kept
  platform.cursorReadable = false;
  EXPECT_EQ(PointAt(kOther), 0u);
  platform.cursorReadable = true;

  // Neither is cached: each time asked afresh. The profile of before stays.
  int queries = platform.pathQueries;
  for (const char* cls : {"ScrollBar", "SCROLLBAR", "scrollbar"}) {
    platform.windows[0x4004] = {"C:\\x\\other.exe", "", cls};
    EXPECT_EQ(PointAt(0x4004), 0u) << cls;
    EXPECT_EQ(selector.CachedWindow(), 0u);
  }
  EXPECT_EQ(platform.pathQueries, queries + 3);
  platform.windows[kEditor].path.clear();
  queries = platform.pathQueries;
  EXPECT_EQ(PointAt(kEditor), 0u);
  EXPECT_EQ(PointAt(kEditor), 0u);
  EXPECT_EQ(platform.pathQueries, queries + 2);
  EXPECT_EQ(gOpt.iCurPar, 10);
  EXPECT_EQ(platform.backFwdWrites, Flags{0});

  platform.windows[0x4004].windowClass = "ScrollBarEx";
  EXPECT_EQ(PointAt(0x4004), 0x4004u);
}

TEST_F(TargetSelectorTest, CacheAnswersUntilReset) {
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(platform.pathQueries, 1);
  // A profile edited meanwhile is not seen while the cursor stays.
  AddFirst("New", "editor", "", "");
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(platform.pathQueries, 1);
  EXPECT_EQ(Chosen(), "(All Others)");

  selector.ResetTargetCache();
  EXPECT_EQ(selector.CachedWindow(), 0u);
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(platform.pathQueries, 2);
  EXPECT_EQ(Chosen(), "New");
}

// Patterns are searched in an index of their own; it must never answer for
// a list that has changed since it was made.
TEST_F(TargetSelectorTest, ChangedProfilesAreSeenAtTheNextSelection) {
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(Chosen(), "(All Others)");
  // Edited in place, as the settings pages do, and announced.
  std::strcpy(gOpt.Par[3].szWndClass, "EDITORframe");
  NoteProfilesChanged();
  EXPECT_EQ(PointAt(kOther), kOther);
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(Chosen(), "Firefox");
  // Or followed by a reset of the cache, as re-installing the hooks does.
  std::strcpy(gOpt.Par[3].szWndClass, "Nothing");
  selector.ResetTargetCache();
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(Chosen(), "(All Others)");
  // A shorter list is never searched at its old length.
  gOpt.iNumPar = 3;
  EXPECT_EQ(PointAt(kOther), 0u);

  // Options loaded from the file need no notice at all.
  test_support::CMemoryRecordStore store;
  SetFactoryOptions();
  std::strcpy(gOpt.Par[3].szWndClass, "EditorFrame");
  ASSERT_EQ(LoadSaveOptionsWith(store, gOpt, 1), 1);
  SetFactoryOptions();
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(Chosen(), "(All Others)");
  ASSERT_EQ(LoadSaveOptionsWith(store, gOpt, 0), 1);
  EXPECT_EQ(PointAt(kOther), kOther);
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_EQ(Chosen(), "Firefox");
}

TEST_F(TargetSelectorTest, BackForwardFlagIsPublished) {
  AddFirst("Remap", "editor", "", "").bEnableBackFwd = 1;
  PointAt(kEditor);
  PointAt(kEditor);  // cached: no second write
  PointAt(kBrowser);
  PointAt(kOther);
  EXPECT_EQ(platform.backFwdWrites, (Flags{1, 0, 0}));
  gOpt.Par[11].bEnableBackFwd = 9;  // any nonzero value is a 1 for the hook
  selector.ResetTargetCache();
  PointAt(kOther);
  EXPECT_EQ(platform.backFwdWrites.back(), 1u);
}

TEST_F(TargetSelectorTest, WheelLinesHeldAtOneWhileAcceleratingAndPutBackAfterAChange) {
  selector.RestoreStartupWheelLines();  // nothing changed yet: nothing to put back
  EXPECT_TRUE(platform.wheelLines.empty());
  AddFirst("Plain", "editor", "", "").bWheelEnable = 0;
  gOpt.Par[0].iWheelDefLines = 7;
  PointAt(kBrowser);  // Firefox: accelerates
  EXPECT_EQ(platform.wheelLines, Lines{1});
  EXPECT_TRUE(selector.WheelLinesSetToOne());
  PointAt(kOther);  // accelerating too: no call
  PointAt(kEditor);  // not accelerating: its own default lines
  EXPECT_EQ(platform.wheelLines, (Lines{1, 7}));
  EXPECT_FALSE(selector.WheelLinesSetToOne());
  selector.ResetTargetCache();
  PointAt(kEditor);  // still not accelerating: no call
  PointAt(kOther);
  selector.RestoreStartupWheelLines();
  EXPECT_EQ(platform.wheelLines, (Lines{1, 7, 1, 4}));
  // Only the 1 is for this run alone; the values put back are the user's.
  EXPECT_EQ(platform.wheelLinesSaved, (std::vector<bool>{false, true, false, true}));
  EXPECT_FALSE(selector.WheelLinesSetToOne());
}

TEST_F(TargetSelectorTest, NoMatchingProfileMeansNothingApplies) {
  AddFirst("Remap", "editor", "", "").bEnableBackFwd = 1;
  gOpt.iNumPar = 1;  // no catch-all
  EXPECT_EQ(PointAt(kEditor), kEditor);
  EXPECT_TRUE(selector.WheelLinesSetToOne());

  EXPECT_EQ(PointAt(kOther), 0u);
  EXPECT_EQ(gOpt.iCurPar, -1);
  Profile zero;
  std::memset(&zero, 0, sizeof zero);
  EXPECT_EQ(std::memcmp(&selector.CurrentProfile(), &zero, sizeof zero), 0);
  EXPECT_EQ(platform.backFwdWrites, (Flags{1, 0}));
  EXPECT_EQ(platform.wheelLines, (Lines{1, 4}));  // the user's value back
  EXPECT_FALSE(selector.WheelLinesSetToOne());

  // The same window again: still no target, and no new query.
  const int queries = platform.pathQueries;
  EXPECT_EQ(PointAt(kOther), 0u);
  EXPECT_EQ(platform.pathQueries, queries);
  EXPECT_EQ(selector.CachedWindow(), kOther);
  // Another window without a profile: nothing to put back a second time.
  EXPECT_EQ(PointAt(kBrowser), 0u);
  EXPECT_EQ(platform.wheelLines.size(), 2u);

  gOpt.iNumPar = 0;  // no profiles at all
  selector.ResetTargetCache();
  const std::size_t writes = platform.backFwdWrites.size();
  EXPECT_EQ(PointAt(kEditor), 0u);
  EXPECT_EQ(platform.wheelLines.size(), 2u);
  EXPECT_EQ(platform.backFwdWrites.size(), writes + 1);
  EXPECT_EQ(platform.backFwdWrites.back(), 0u);
}

TEST_F(TargetSelectorTest, SwitchedOffProgramNeverSetsWheelLinesToOne) {
  gOpt.bDisabled = 1;
  EXPECT_EQ(PointAt(kBrowser), kBrowser);  // still selected: the profile is known
  EXPECT_EQ(gOpt.iCurPar, 3);
  EXPECT_TRUE(platform.wheelLines.empty());
  EXPECT_FALSE(selector.WheelLinesSetToOne());

  gOpt.bDisabled = 0;
  PointAt(kOther);
  EXPECT_EQ(platform.wheelLines, Lines{1});
  gOpt.bDisabled = 1;  // switched off while the lines are at 1: put back
  PointAt(kBrowser);
  EXPECT_EQ(platform.wheelLines, (Lines{1, gOpt.Par[3].iWheelDefLines}));
  EXPECT_FALSE(selector.WheelLinesSetToOne());

  // Switched with the cursor resting on one window: in force at once, with
  // no new window to select.
  gOpt.bDisabled = 0;
  selector.ApplyProgramSwitch();
  EXPECT_EQ(platform.wheelLines, (Lines{1, 4, 1}));
  gOpt.bDisabled = 1;
  selector.ApplyProgramSwitch();
  EXPECT_EQ(platform.wheelLines, (Lines{1, 4, 1, 4}));
  EXPECT_FALSE(selector.WheelLinesSetToOne());
  EXPECT_EQ(PointAt(kBrowser), kBrowser);
  EXPECT_EQ(platform.wheelLines.size(), 4u);
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
  EXPECT_EQ(Chosen(), "Firefox");
  EXPECT_EQ(platform.pathQueries, queries);
  EXPECT_EQ(platform.backFwdWrites.size(), 1u);

  selector.SetDragInProgress(false);
  EXPECT_FALSE(selector.DragInProgress());
  EXPECT_EQ(selector.FindTargetWindow(), kEditor);
  EXPECT_EQ(Chosen(), "(All Others)");
}

}  // namespace
