#include "scrolling/engine/scroll_drag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "scrolling/engine/button_actions.h"
#include "scrolling/engine/tests/fake_platform.h"

namespace {

constexpr WindowId kParent = 0x100;
constexpr WindowId kTarget = 0x200;
constexpr WindowId kOtherWindow = 0x300;
constexpr ScreenPoint kStart{500, 400};

std::int16_t HighWord(std::uintptr_t wParam) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(wParam >> 16));
}

class ScrollDragTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetFactoryOptions();
    gOpt.iNumPar = 1;
    SetProfileDefaults(gOpt.Par[0]);
    Profile& p = gOpt.Par[0];
    p.bUseCtrl = 0;
    p.bSwapCtrl = 1;  // no modifier needed: every press may drag
    p.iTriggerDistance = 5;
    p.dSpeedX = 1.0;
    p.dSpeedY = 1.0;
    for (std::int32_t* mode : {&p.iUpMode, &p.iDownMode, &p.iLeftMode, &p.iRightMode}) *mode = 0;

    desktop.Add(kParent) = DesktopWindow{"C:\\Apps\\app.exe", "Frame", "AppFrame", 0, {0, 0, 1000, 800}, 0, true};
    desktop.Add(kTarget) =
        DesktopWindow{"C:\\Apps\\app.exe", "View", "AppView", kWsVScroll | kWsHScroll, {100, 100, 700, 600}, kParent, true};
    desktop.Add(kOtherWindow) = DesktopWindow{"C:\\Other\\other.exe", "Other", "OtherView", 0, {0, 0, 10, 10}, 0, true};
    desktop.windowUnderCursor = kTarget;
    desktop.cursor = kStart;
  }

  Profile& P() { return gOpt.Par[0]; }

  std::intptr_t Press(std::uint32_t message = kWmRButtonDown) { return engine.HandleMouseEvent(message); }
  std::intptr_t Release(std::uint32_t message = kWmRButtonUp) { return engine.HandleMouseEvent(message); }
  std::intptr_t MoveTo(std::int32_t x, std::int32_t y) {
    desktop.cursor = ScreenPoint{x, y};
    return engine.HandleMouseEvent(kWmMouseMove);
  }
  std::intptr_t MoveBy(std::int32_t dx, std::int32_t dy) { return MoveTo(desktop.cursor.x + dx, desktop.cursor.y + dy); }

  // Presses, moves past the trigger distance and swallows the injected
  // release: the drag scrolls from the current cursor position on.
  void StartScrolling(std::uint32_t down = kWmRButtonDown, std::uint32_t up = kWmRButtonUp) {
    ASSERT_EQ(engine.HandleMouseEvent(down), 1);
    ASSERT_EQ(MoveBy(0, 10), 1);
    ASSERT_EQ(engine.State(), DragState::SkipInjectedUp);
    ASSERT_EQ(engine.HandleMouseEvent(up), 1);
    ASSERT_EQ(engine.State(), DragState::Scrolling);
    desktop.sent.clear();
  }

  int CountSent(WindowId window, std::uint32_t message, std::uintptr_t wParam) const {
    int n = 0;
    for (const SentMessage& m : desktop.sent) n += m.window == window && m.message == message && m.wParam == wParam;
    return n;
  }

  FakeDesktop desktop;
  TargetSelector selector{desktop, gOpt};
  ScrollEngine engine{desktop, selector, gOpt};
};

TEST_F(ScrollDragTest, ClickWithoutDragIsReplayedAsAnOrdinaryClick) {
  EXPECT_EQ(Press(), 1);
  EXPECT_EQ(engine.State(), DragState::Armed);
  EXPECT_EQ(desktop.log.back(), "foreground 0x200");
  EXPECT_EQ(MoveBy(4, -4), 0);  // below the trigger distance on both axes
  EXPECT_EQ(engine.State(), DragState::Armed);

  EXPECT_EQ(Release(), 1);
  EXPECT_EQ(engine.State(), DragState::ReplayingClick);
  EXPECT_EQ(desktop.injected, (std::vector<std::uint32_t>{kMouseRightDown, kMouseRightUp}));
  // The replayed press and release pass; the release ends the replay.
  EXPECT_EQ(Press(), 0);
  EXPECT_EQ(MoveBy(20, 0), 0);
  EXPECT_EQ(Release(), 0);
  EXPECT_EQ(engine.State(), DragState::Idle);
  EXPECT_TRUE(desktop.sent.empty());
  EXPECT_FALSE(selector.DragInProgress());
}

TEST_F(ScrollDragTest, ReplayAndInjectedReleaseUseTheButtonThatDrags) {
  engine.SetButtonsSwapped(true);
  ASSERT_EQ(Press(), 1);
  ASSERT_EQ(Release(), 1);
  EXPECT_EQ(desktop.injected, (std::vector<std::uint32_t>{kMouseLeftDown, kMouseLeftUp}));
  ASSERT_EQ(Release(), 0);

  desktop.injected.clear();
  P().bUseMiddle = 1;
  selector.ResetTargetCache();
  EXPECT_EQ(Press(kWmRButtonDown), 0);  // the right button no longer drags
  StartScrolling(kWmMButtonDown, kWmMButtonUp);
  EXPECT_EQ(desktop.injected, (std::vector<std::uint32_t>{kMouseMiddleUp}));
  EXPECT_EQ(Release(kWmRButtonUp), 0);
  EXPECT_EQ(engine.State(), DragState::Scrolling);
  EXPECT_EQ(Release(kWmMButtonUp), 1);
  EXPECT_EQ(engine.State(), DragState::Idle);
}

TEST_F(ScrollDragTest, TriggerCapturesInjectsReleaseAndScrollsNothingYet) {
  ASSERT_EQ(Press(), 1);
  EXPECT_EQ(MoveTo(kStart.x + 4, kStart.y), 0);
  EXPECT_EQ(MoveTo(kStart.x, kStart.y - 5), 1);
  EXPECT_EQ(engine.State(), DragState::SkipInjectedUp);
  EXPECT_EQ(engine.Anchor().y, kStart.y - 5);
  EXPECT_EQ(desktop.injected, (std::vector<std::uint32_t>{kMouseRightUp}));
  EXPECT_NE(std::find(desktop.log.begin(), desktop.log.end(), "capture 0x200"), desktop.log.end());
  EXPECT_TRUE(desktop.sent.empty());

  // Moves before the injected release returns already scroll.
  EXPECT_EQ(MoveBy(0, 2), 1);
  EXPECT_EQ(CountSent(kTarget, kWmVScroll, kSbLineDown), 2);
  EXPECT_EQ(Release(), 1);  // the injected release is swallowed
  EXPECT_EQ(engine.State(), DragState::Scrolling);
  EXPECT_EQ(Press(), 1);
  EXPECT_EQ(Release(), 1);  // the real release ends the drag
  EXPECT_EQ(engine.State(), DragState::Idle);
  EXPECT_EQ(desktop.log.back(), "release");
}

TEST_F(ScrollDragTest, TriggerDistanceZeroStartsOnTheFirstMove) {
  P().iTriggerDistance = 0;
  ASSERT_EQ(Press(), 1);
  EXPECT_EQ(MoveBy(1, 0), 1);
  EXPECT_EQ(engine.State(), DragState::SkipInjectedUp);
}

TEST_F(ScrollDragTest, FractionsCarryOverAndAreDroppedOnReversal) {
  P().dSpeedY = 0.3;
  StartScrolling();
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(MoveBy(0, 1), 1);
    EXPECT_TRUE(desktop.sent.empty()) << "move " << i;
  }
  EXPECT_EQ(MoveBy(0, 1), 1);  // 1.2: one line, 0.2 kept
  ASSERT_EQ(desktop.sent.size(), 1u);
  EXPECT_EQ(desktop.sent[0], (SentMessage{kTarget, kWmVScroll, kSbLineDown, 0}));
  EXPECT_EQ(MoveBy(0, 1), 1);  // 0.5 kept
  EXPECT_EQ(desktop.sent.size(), 1u);

  // Upwards the carry starts from 0: with 0.5 kept the fourth move up would
  // not yet reach a line, without it the fourth does.
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(MoveBy(0, -1), 1);
  EXPECT_EQ(desktop.sent.size(), 1u);
  EXPECT_EQ(MoveBy(0, -1), 1);
  ASSERT_EQ(desktop.sent.size(), 2u);
  EXPECT_EQ(desktop.sent[1], (SentMessage{kTarget, kWmVScroll, kSbLineUp, 0}));
}

TEST_F(ScrollDragTest, OneMoveScrollsAtMostOneHundredLines) {
  StartScrolling();
  EXPECT_EQ(MoveBy(0, 1000), 1);
  EXPECT_EQ(CountSent(kTarget, kWmVScroll, kSbLineDown), 100);
  EXPECT_EQ(desktop.sent.size(), 100u);
  desktop.sent.clear();
  EXPECT_EQ(MoveBy(-7, 0), 1);
  EXPECT_EQ(CountSent(kTarget, kWmHScroll, kSbLineUp), 7);
}

TEST_F(ScrollDragTest, WheelModeWaitsForWholeLinesFineWheelSendsEveryMove) {
  P().dSpeedY = 0.3;
  P().iDownMode = ModeValue(VerticalMode::Wheel);
  P().iUpMode = ModeValue(VerticalMode::WheelFine);
  StartScrolling();
  for (int i = 0; i < 3; ++i) MoveBy(0, 1);
  EXPECT_TRUE(desktop.sent.empty());
  MoveBy(0, 1);
  ASSERT_EQ(desktop.sent.size(), 1u);
  EXPECT_EQ(desktop.sent[0].window, kTarget);
  EXPECT_EQ(desktop.sent[0].message, kWmMouseWheel);
  EXPECT_EQ(HighWord(desktop.sent[0].wParam), -120);  // down the page: negative wheel
  EXPECT_EQ(desktop.sent[0].wParam & 0xFFFF, 0u);
  EXPECT_EQ(desktop.sent[0].lParam, static_cast<std::intptr_t>((static_cast<std::uint32_t>(desktop.cursor.y) << 16) |
                                                               static_cast<std::uint32_t>(desktop.cursor.x)));

  desktop.sent.clear();
  MoveBy(0, -1);
  MoveBy(0, -1);
  ASSERT_EQ(desktop.sent.size(), 2u);
  EXPECT_EQ(HighWord(desktop.sent[0].wParam), 36);  // (int)(-0.3 x -120)
  EXPECT_EQ(HighWord(desktop.sent[1].wParam), 36);
}

TEST_F(ScrollDragTest, HorizontalWheelAndKeysFollowTheirModes) {
  P().iRightMode = ModeValue(HorizontalMode::HWheel);
  P().iLeftMode = ModeValue(HorizontalMode::HWheelFine);
  P().dSpeedX = 0.5;
  P().iDownMode = ModeValue(VerticalMode::Keys);
  P().hkDown = 0x0228;  // Ctrl+Down
  StartScrolling();
  MoveBy(4, 0);
  ASSERT_EQ(desktop.sent.size(), 1u);
  EXPECT_EQ(desktop.sent[0].message, kWmMouseHWheel);
  EXPECT_EQ(HighWord(desktop.sent[0].wParam), 240);
  MoveBy(-1, 0);
  ASSERT_EQ(desktop.sent.size(), 2u);
  EXPECT_EQ(HighWord(desktop.sent[1].wParam), -60);

  MoveBy(0, 3);
  ASSERT_EQ(desktop.keyBatches.size(), 3u);  // one combination per line
  EXPECT_EQ(desktop.keyBatches[0].size(), 4u);  // Ctrl down, key down, key up, Ctrl up
}

TEST_F(ScrollDragTest, InvertedAxesScrollTheOtherWay) {
  P().bInvertY = 1;
  P().bInvertX = 1;
  StartScrolling();
  MoveBy(2, 3);
  EXPECT_EQ(CountSent(kTarget, kWmVScroll, kSbLineUp), 3);
  EXPECT_EQ(CountSent(kTarget, kWmHScroll, kSbLineUp), 2);
}

TEST_F(ScrollDragTest, LockedAxisIsChosenAtTheTrigger) {
  P().bLockOneAxis = 1;
  P().iTriggerDistance = 5;
  ASSERT_EQ(Press(), 1);
  MoveTo(kStart.x + 5, kStart.y - 5);  // a tie chooses horizontal
  EXPECT_EQ(engine.Locked(), LockedAxis::HorizontalOnly);
  MoveBy(3, 9);
  EXPECT_EQ(CountSent(kTarget, kWmHScroll, kSbLineDown), 3);
  EXPECT_EQ(CountSent(kTarget, kWmVScroll, kSbLineDown), 0);
  ASSERT_EQ(Release(), 1);
  ASSERT_EQ(Release(), 1);

  ASSERT_EQ(Press(), 1);
  EXPECT_EQ(engine.Locked(), LockedAxis::None);
  MoveBy(5, -6);
  EXPECT_EQ(engine.Locked(), LockedAxis::VerticalOnly);
  desktop.sent.clear();
  MoveBy(8, 2);
  EXPECT_EQ(desktop.sent.size(), 2u);
  EXPECT_EQ(CountSent(kTarget, kWmVScroll, kSbLineDown), 2);
}

TEST_F(ScrollDragTest, FrozenCursorReturnsToTheTriggerPointWhileScrollingFollows) {
  P().bFreezeCursor = 1;
  StartScrolling();
  const ScreenPoint anchor = engine.Anchor();
  for (int i = 0; i < 3; ++i) {
    MoveTo(anchor.x, anchor.y + 4);
    EXPECT_EQ(desktop.cursorMovedTo.y, anchor.y);
  }
  EXPECT_EQ(desktop.cursorMoves, 3);
  EXPECT_EQ(CountSent(kTarget, kWmVScroll, kSbLineDown), 12);
}

TEST_F(ScrollDragTest, ModifierRuleDecidesWhetherAPressDrags) {
  // Defaults: Ctrl required, not swapped: a plain press drags, Ctrl+press passes.
  P().bUseCtrl = 1;
  P().bSwapCtrl = 0;
  desktop.keysDown = {kVkControl};
  EXPECT_EQ(Press(), 0);
  EXPECT_EQ(engine.State(), DragState::Idle);
  desktop.keysDown.clear();
  EXPECT_EQ(Press(), 1);
  EXPECT_EQ(engine.State(), DragState::Armed);
}

TEST_F(ScrollDragTest, WithoutRequiredModifiersOnlyTheSwappedRuleDrags) {
  P().bSwapCtrl = 0;  // and no modifier required: the modifiers "are down", so never a drag
  EXPECT_EQ(Press(), 0);
  P().bSwapCtrl = 1;
  selector.ResetTargetCache();
  EXPECT_EQ(Press(), 1);
}

TEST_F(ScrollDragTest, CheckModifierKeysNeedsEveryRequiredKey) {
  Profile p{};
  EXPECT_TRUE(CheckModifierKeys(desktop, p));
  p.bUseAlt = 1;
  p.bUseShift = 1;
  desktop.keysDown = {kVkMenu};
  EXPECT_FALSE(CheckModifierKeys(desktop, p));
  desktop.keysDown = {kVkMenu, kVkShift};
  EXPECT_TRUE(CheckModifierKeys(desktop, p));
}

TEST_F(ScrollDragTest, HiddenCursorsComeBackAtTheEndAndWhenSwitchedOff) {
  P().bHideCursor = 1;
  StartScrolling();
  EXPECT_TRUE(engine.CursorsHidden());
  EXPECT_EQ(std::count(desktop.log.begin(), desktop.log.end(), "blank cursors"), 1);
  ASSERT_EQ(Release(), 1);
  EXPECT_EQ(desktop.log.back(), "restore cursors");
  EXPECT_FALSE(engine.CursorsHidden());

  // Switched off in the middle of a drag: capture and cursors are given back.
  desktop.log.clear();
  StartScrolling();
  gOpt.bDisabled = 1;
  EXPECT_EQ(MoveBy(0, 5), 0);
  EXPECT_EQ(engine.State(), DragState::Idle);
  EXPECT_NE(std::find(desktop.log.begin(), desktop.log.end(), "release"), desktop.log.end());
  EXPECT_EQ(desktop.log.back(), "restore cursors");
  EXPECT_TRUE(desktop.sent.empty());
  EXPECT_EQ(Press(), 0);
}

TEST_F(ScrollDragTest, MiddleButtonActionsRunAndSwallowThePress) {
  P().iMiddleMode = ModeValue(MiddleMode::Keys);
  P().hkMiddle = 0x0457;  // Shift+W
  EXPECT_EQ(Press(kWmMButtonDown), 1);
  EXPECT_EQ(engine.State(), DragState::Idle);
  ASSERT_EQ(desktop.keyBatches.size(), 1u);
  EXPECT_EQ(desktop.log.back(), "activate 0x200");
  EXPECT_EQ(Release(kWmMButtonUp), 0);

  P().iMiddleMode = ModeValue(MiddleMode::CommandLine);
  std::strcpy(P().szMiddleCmd, "notepad.exe  readme.txt");
  selector.ResetTargetCache();
  EXPECT_EQ(Press(kWmMButtonDown), 1);
  EXPECT_EQ(desktop.log.back(), "run 0x200 [notepad.exe] [readme.txt]");

  P().iMiddleMode = ModeValue(MiddleMode::Middle);
  selector.ResetTargetCache();
  EXPECT_EQ(Press(kWmMButtonDown), 0);  // not the dragging button: passes
}

TEST_F(ScrollDragTest, OtherButtonPassesDuringADrag) {
  StartScrolling();
  EXPECT_EQ(Release(kWmMButtonUp), 0);
  EXPECT_EQ(Press(kWmMButtonDown), 1);  // a press during the drag never reaches the program
  EXPECT_EQ(engine.State(), DragState::Scrolling);
}

TEST_F(ScrollDragTest, NoTargetOrNoScrollingLetsThePressPass) {
  desktop.windows[kTarget].path.clear();  // process that cannot be opened
  EXPECT_EQ(Press(), 0);
  EXPECT_EQ(engine.State(), DragState::Idle);
  desktop.windows[kTarget].path = "C:\\Apps\\app.exe";
  P().bScrollEnable = 0;
  EXPECT_EQ(Press(), 0);
  EXPECT_EQ(MoveBy(50, 50), 0);
  EXPECT_EQ(Release(), 0);
  EXPECT_TRUE(desktop.injected.empty());
}

TEST_F(ScrollDragTest, DragKeepsItsProfileAndWindowWhileTheCursorLeaves) {
  StartScrolling();
  desktop.windowUnderCursor = kOtherWindow;
  EXPECT_EQ(selector.FindTargetWindow(), kTarget);
  ASSERT_EQ(Release(), 1);
  EXPECT_EQ(selector.FindTargetWindow(), kOtherWindow);
}

TEST_F(ScrollDragTest, MessagePointPacksNegativeCoordinates) {
  P().iDownMode = ModeValue(VerticalMode::WheelFine);
  P().bEnableX = 0;
  desktop.cursor = ScreenPoint{-40, -30};
  StartScrolling();
  MoveTo(-5, -3);
  ASSERT_EQ(desktop.sent.size(), 1u);
  EXPECT_EQ(desktop.sent[0].message, kWmMouseWheel);
  EXPECT_EQ(static_cast<std::uint32_t>(desktop.sent[0].lParam), 0xFFFDFFFBu);
}

// --- Scroll bars of a target that has none of its own ---

class SiblingScrollBarTest : public ScrollDragTest {
 protected:
  void SetUp() override {
    ScrollDragTest::SetUp();
    desktop.windows[kTarget].style = 0;
  }
  void AddBar(WindowId id, ScreenRect rect, std::uint32_t style = 0, bool visible = true,
              const char* cls = "SCROLLBAR") {
    desktop.Add(id) = DesktopWindow{"C:\\Apps\\app.exe", "", cls, style, rect, kParent, visible};
  }
};

TEST_F(SiblingScrollBarTest, BarsOnTheTargetWinOverAdjacentOnes) {
  AddBar(0x401, {703, 100, 720, 600});             // vertical, 3 px right of the target
  AddBar(0x402, {680, 100, 697, 580});             // vertical, on the target
  AddBar(0x403, {100, 604, 680, 621});             // horizontal, 4 px below
  AddBar(0x404, {100, 580, 680, 597}, kSbsSizeGrip);  // a size grip never counts
  AddBar(0x405, {100, 560, 680, 577}, 0, false);      // nor an invisible bar
  AddBar(0x406, {100, 540, 680, 557}, 0, true, "Static");
  ASSERT_EQ(Press(), 1);
  EXPECT_EQ(engine.VerticalScrollWindow(), 0x402u);
  EXPECT_EQ(engine.HorizontalScrollWindow(), 0x403u);

  MoveBy(0, 10);
  ASSERT_EQ(Release(), 1);
  desktop.sent.clear();
  MoveBy(2, 3);
  // A bar control does not scroll on its own: its parent gets the lines,
  // and the bar is named in lParam.
  ASSERT_EQ(desktop.sent.size(), 5u);
  EXPECT_EQ(CountSent(kParent, kWmVScroll, kSbLineDown), 3);
  EXPECT_EQ(CountSent(kParent, kWmHScroll, kSbLineDown), 2);
  for (const SentMessage& m : desktop.sent) {
    EXPECT_EQ(m.lParam, static_cast<std::intptr_t>(m.message == kWmVScroll ? 0x402 : 0x403));
  }
}

TEST_F(SiblingScrollBarTest, DirectionWithoutABarKeepsTheTarget) {
  AddBar(0x401, {706, 100, 723, 600});  // 6 px away: too far
  AddBar(0x402, {100, 604, 680, 621});
  ASSERT_EQ(Press(), 1);
  EXPECT_EQ(engine.VerticalScrollWindow(), kTarget);
  EXPECT_EQ(engine.HorizontalScrollWindow(), 0x402u);
}

TEST_F(SiblingScrollBarTest, TargetWithItsOwnBarsOrNoParentLooksNoFurther) {
  desktop.windows[kTarget].style = kWsVScroll;
  AddBar(0x401, {680, 100, 697, 580});
  ASSERT_EQ(Press(), 1);
  EXPECT_EQ(engine.VerticalScrollWindow(), kTarget);
  EXPECT_EQ(desktop.enumerations, 0);
  ASSERT_EQ(Release(), 1);
  ASSERT_EQ(Release(), 0);

  desktop.windows[kTarget].style = 0;
  desktop.windows[kTarget].parent = 0;
  desktop.windows[0x401].parent = 0;
  selector.ResetTargetCache();
  ASSERT_EQ(Press(), 1);
  EXPECT_EQ(desktop.enumerations, 0);
  EXPECT_EQ(engine.VerticalScrollWindow(), kTarget);
}

TEST(ClassifyScrollBarTest, AdjacencyLengthAndOverlapRules) {
  const ScreenRect target{100, 100, 400, 300};
  ScrollBarCandidate c{};
  // Vertical bar right of the target: gap measured from the target's right.
  EXPECT_TRUE(ClassifyScrollBar(1, {405, 100, 420, 300}, target, c));
  EXPECT_EQ(c.adjacent, 1);
  EXPECT_EQ(c.vertical, 1);
  EXPECT_FALSE(ClassifyScrollBar(1, {406, 100, 420, 300}, target, c));
  // Left of the target: gap from the bar's right to the target's left.
  EXPECT_TRUE(ClassifyScrollBar(1, {80, 100, 95, 300}, target, c));
  EXPECT_FALSE(ClassifyScrollBar(1, {80, 100, 94, 300}, target, c));
  // Inside: not adjacent; too short is refused anyway.
  EXPECT_TRUE(ClassifyScrollBar(1, {380, 100, 400, 300}, target, c));
  EXPECT_EQ(c.adjacent, 0);
  EXPECT_FALSE(ClassifyScrollBar(1, {380, 100, 400, 131}, target, c));
  EXPECT_TRUE(ClassifyScrollBar(1, {380, 100, 400, 132}, target, c));
  // Horizontal: below or above, and it must overlap the target's width.
  EXPECT_TRUE(ClassifyScrollBar(1, {100, 303, 400, 318}, target, c));
  EXPECT_EQ(c.vertical, 0);
  EXPECT_TRUE(ClassifyScrollBar(1, {100, 80, 400, 96}, target, c));
  EXPECT_FALSE(ClassifyScrollBar(1, {500, 303, 800, 318}, target, c));
  // A bar beside the target but far above it does not overlap vertically.
  EXPECT_FALSE(ClassifyScrollBar(1, {402, -500, 417, 50}, target, c));
  // Extreme coordinates neither overflow nor pass.
  EXPECT_FALSE(ClassifyScrollBar(1, {2147483600, -2147483600, 2147483647, 2147483600}, target, c));
}

}  // namespace
