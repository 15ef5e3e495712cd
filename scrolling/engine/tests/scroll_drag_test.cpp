#include "scrolling/engine/scroll_drag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "scrolling/engine/button_actions.h"
#include "scrolling/engine/tests/fake_platform.h"

namespace {

constexpr WindowId kParent = 0x100;
constexpr WindowId kTarget = 0x200;
constexpr WindowId kOtherWindow = 0x300;
constexpr ScreenPoint kStart{500, 400};

class ScrollDragTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetFactoryOptions();
    gOpt.iNumPar = 1;
    SetUpProfile();

    desktop.Add(kParent) = DesktopWindow{"C:\\Apps\\app.exe", "Frame", "AppFrame", 0, {0, 0, 1000, 800}, 0, true};
    desktop.Add(kTarget) =
        DesktopWindow{"C:\\Apps\\app.exe", "View", "AppView", kWsVScroll | kWsHScroll, {100, 100, 700, 600}, kParent, true};
    desktop.Add(kOtherWindow) = DesktopWindow{"C:\\Other\\other.exe", "Other", "OtherView", 0, {0, 0, 10, 10}, 0, true};
    desktop.windowUnderCursor = kTarget;
    desktop.cursor = kStart;
  }

  Profile& P() { return gOpt.Par[0]; }
  void SetUpProfile() {
    Profile& p = P();
    SetProfileDefaults(p);
    p.bUseCtrl = 0;
    p.bSwapCtrl = 1;  // no modifier needed: every press may drag
    p.iUpMode = p.iDownMode = p.iLeftMode = p.iRightMode = 0;
    selector.ResetTargetCache();
  }

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

struct ButtonCase {
  const char* name;
  bool swapped, middle;
  std::uint32_t down, up, otherDown, otherUp, flagDown, flagUp;
};
const ButtonCase kButtons[] = {
    {"right", false, false, kWmRButtonDown, kWmRButtonUp, kWmMButtonDown, kWmMButtonUp, kMouseRightDown, kMouseRightUp},
    {"right, swapped", true, false, kWmRButtonDown, kWmRButtonUp, kWmMButtonDown, kWmMButtonUp, kMouseLeftDown,
     kMouseLeftUp},
    {"middle", false, true, kWmMButtonDown, kWmMButtonUp, kWmRButtonDown, kWmRButtonUp, kMouseMiddleDown,
     kMouseMiddleUp}};

TEST_F(ScrollDragTest, ClickIsReplayedAndADragInjectsTheReleaseOfTheButtonThatDrags) {
  for (const ButtonCase& b : kButtons) {
    SCOPED_TRACE(b.name);
    engine.SetButtonsSwapped(b.swapped);
    P().bUseMiddle = b.middle;
    selector.ResetTargetCache();
    desktop.injected.clear();
    desktop.cursor = kStart;
    EXPECT_EQ(Press(b.otherDown), 0);  // not the dragging button
    EXPECT_EQ(Press(b.down), 1);
    EXPECT_EQ(engine.State(), DragState::Armed);
    EXPECT_EQ(desktop.log.back(), "foreground 0x200");
    EXPECT_EQ(MoveBy(4, -4), 0);  // below the trigger distance on both axes

    // Released without a drag: one press and release for the program.
    EXPECT_EQ(Release(b.up), 1);
    EXPECT_EQ(engine.State(), DragState::ReplayingClick);
    EXPECT_EQ(desktop.injected, (std::vector<std::uint32_t>{b.flagDown, b.flagUp}));
    // The replayed press and release pass; the release ends the replay.
    EXPECT_EQ(Press(b.down), 0);
    EXPECT_EQ(MoveBy(20, 0), 0);
    EXPECT_EQ(Release(b.up), 0);
    EXPECT_EQ(engine.State(), DragState::Idle);
    EXPECT_FALSE(selector.DragInProgress());

    // A drag: the program saw no press, so it gets the release at once.
    desktop.injected.clear();
    StartScrolling(b.down, b.up);
    EXPECT_EQ(desktop.injected, std::vector<std::uint32_t>{b.flagUp});
    desktop.windowUnderCursor = kOtherWindow;  // the drag keeps its window and profile
    EXPECT_EQ(selector.FindTargetWindow(), kTarget);
    desktop.windowUnderCursor = kTarget;
    EXPECT_EQ(Release(b.otherUp), 0);
    EXPECT_EQ(Press(b.otherDown), 1);  // a press during the drag never reaches the program
    EXPECT_EQ(engine.State(), DragState::Scrolling);
    EXPECT_EQ(Release(b.up), 1);  // the real release ends the drag
    EXPECT_EQ(engine.State(), DragState::Idle);
    EXPECT_EQ(desktop.log.back(), "release");
    EXPECT_FALSE(selector.DragInProgress());
    EXPECT_TRUE(desktop.sent.empty());
  }
}

// The hook reports a press as a double click where the user's own presses
// make one: such a press may start a drag like any other, and a click given
// back carries what it was, so that it reaches the window as the second
// click of a double click.
TEST_F(ScrollDragTest, APressReportedAsADoubleClickDragsAndIsGivenBackAsOne) {
  struct Case {
    bool middle;
    std::uint32_t down, up, flagDown, flagUp;
  };
  for (const Case& c : {Case{false, kWmRButtonDblClk, kWmRButtonUp, kMouseRightDown, kMouseRightUp},
                        Case{true, kWmMButtonDblClk, kWmMButtonUp, kMouseMiddleDown, kMouseMiddleUp}}) {
    SCOPED_TRACE(c.middle ? "middle" : "right");
    P().bUseMiddle = c.middle;
    selector.ResetTargetCache();
    // A press, a double click, a press: each given back as it came.
    for (const std::uint32_t first : {c.down - 2, c.down, c.down - 2}) {
      desktop.injected.clear();
      desktop.injectedMarks.clear();
      ASSERT_EQ(Press(first), 1);
      ASSERT_EQ(Release(c.up), 1);
      const std::uint32_t mark = first == c.down ? kInjectedDoubleClickMark : kInjectedInputMark;
      EXPECT_EQ(desktop.injected, (std::vector<std::uint32_t>{c.flagDown, c.flagUp}));
      EXPECT_EQ(desktop.injectedMarks, (std::vector<std::uint32_t>{mark, mark}));
      EXPECT_EQ(Press(first), 0);  // the given-back click passes
      EXPECT_EQ(Release(c.up), 0);
    }
    StartScrolling(c.down, c.up);
    EXPECT_EQ(MoveBy(0, 30), 1);
    EXPECT_FALSE(desktop.sent.empty());
    EXPECT_EQ(Release(c.up), 1);
    EXPECT_EQ(engine.State(), DragState::Idle);
  }
}

TEST_F(ScrollDragTest, TriggerDistanceOnEitherAxis) {
  struct Case {
    std::int16_t distance;
    std::int32_t dx, dy;
    bool triggers;
  };
  for (const Case& c : {Case{5, 4, 0, false}, Case{5, 4, -4, false}, Case{5, 0, -5, true}, Case{5, -5, 0, true},
                        Case{0, 1, 0, true}}) {
    SCOPED_TRACE(testing::Message() << c.distance << ": " << c.dx << "," << c.dy);
    P().iTriggerDistance = c.distance;
    selector.ResetTargetCache();
    desktop.cursor = kStart;
    ASSERT_EQ(Press(), 1);
    EXPECT_EQ(MoveBy(c.dx, c.dy), c.triggers ? 1 : 0);
    EXPECT_EQ(engine.State(), c.triggers ? DragState::SkipInjectedUp : DragState::Armed);
    EXPECT_TRUE(desktop.sent.empty());
    if (c.triggers) {
      // The window is captured and the drag starts here; moves before the
      // injected release returns already scroll.
      EXPECT_EQ(desktop.log.back(), "capture 0x200");
      EXPECT_EQ(engine.Anchor().x, desktop.cursor.x);
      EXPECT_EQ(engine.Anchor().y, desktop.cursor.y);
      EXPECT_EQ(MoveBy(0, 2), 1);
      EXPECT_EQ(desktop.sent, (std::vector<SentMessage>(2, {kTarget, kWmVScroll, kSbLineDown, 0})));
      desktop.sent.clear();
    }
    engine.EndScrolling();
  }
}

TEST_F(ScrollDragTest, FractionsCarryOverAndAreDroppedOnReversal) {
  P().dSpeedY = 0.3;
  StartScrolling();
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(MoveBy(0, 1), 1);
  EXPECT_TRUE(desktop.sent.empty());
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

// A wheel wParam, and a screen point packed as the system packs it.
std::uintptr_t Wheel(int delta) { return static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16; }
std::intptr_t At(int x, int y) {
  return static_cast<std::intptr_t>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) |
                                    static_cast<std::uint16_t>(x));
}

TEST_F(ScrollDragTest, EachDirectionSendsWhatItsModeSays) {
  struct Case {
    const char* name;
    void (*setup)(Profile&);
    ScreenPoint start;  // the drag starts 10 pixels below
    std::vector<ScreenPoint> moves;
    std::vector<SentMessage> sent;
    std::size_t keyCombinations;
  };
  const Case cases[] = {
      {"wheel waits for whole lines",
       [](Profile& p) { p.dSpeedY = 0.3, p.iDownMode = ModeValue(VerticalMode::Wheel); }, kStart,
       {{0, 1}, {0, 1}, {0, 1}, {0, 1}},
       {{kTarget, kWmMouseWheel, Wheel(-120), At(500, 414)}}, 0},  // down the page: negative wheel
      {"fine wheel sends every move",
       [](Profile& p) { p.dSpeedY = 0.3, p.iUpMode = ModeValue(VerticalMode::WheelFine); }, kStart,
       {{0, -1}, {0, -1}},
       {{kTarget, kWmMouseWheel, Wheel(36), At(500, 409)}, {kTarget, kWmMouseWheel, Wheel(36), At(500, 408)}}, 0},
      {"horizontal wheels",
       [](Profile& p) {
         p.dSpeedX = 0.5, p.iRightMode = ModeValue(HorizontalMode::HWheel);
         p.iLeftMode = ModeValue(HorizontalMode::HWheelFine);
       },
       kStart, {{4, 0}, {-1, 0}},
       {{kTarget, kWmMouseHWheel, Wheel(240), At(504, 410)}, {kTarget, kWmMouseHWheel, Wheel(-60), At(503, 410)}}, 0},
      {"keys, one combination a line",
       [](Profile& p) { p.iDownMode = ModeValue(VerticalMode::Keys), p.hkDown = 0x0228; }, kStart, {{0, 3}}, {}, 3},
      {"inverted axes", [](Profile& p) { p.bInvertX = p.bInvertY = 1; }, kStart, {{2, 3}},
       {{kTarget, kWmVScroll, kSbLineUp, 0}, {kTarget, kWmVScroll, kSbLineUp, 0}, {kTarget, kWmVScroll, kSbLineUp, 0},
        {kTarget, kWmHScroll, kSbLineUp, 0}, {kTarget, kWmHScroll, kSbLineUp, 0}}, 0},
      {"negative coordinates",
       [](Profile& p) { p.iDownMode = ModeValue(VerticalMode::WheelFine), p.bEnableX = 0; }, {-40, -30},
       {{35, 17}}, {{kTarget, kWmMouseWheel, Wheel(-2040), static_cast<std::intptr_t>(0xFFFDFFFBu)}}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUpProfile();
    c.setup(P());
    desktop.cursor = c.start;
    desktop.keyBatches.clear();
    StartScrolling();
    for (const ScreenPoint& m : c.moves) EXPECT_EQ(MoveBy(m.x, m.y), 1);
    EXPECT_EQ(desktop.sent, c.sent);
    EXPECT_EQ(desktop.keyBatches.size(), c.keyCombinations);
    for (const auto& keys : desktop.keyBatches) EXPECT_EQ(keys.size(), 4u);  // Ctrl and the key, down and up
    engine.EndScrolling();
  }
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
  EXPECT_EQ(std::count_if(desktop.log.begin(), desktop.log.end(),
                          [](const std::string& e) { return e.rfind("cursor ", 0) == 0; }),
            3);
  EXPECT_EQ(CountSent(kTarget, kWmVScroll, kSbLineDown), 12);
}

// Normally a press drags without the required modifiers; swapped, only with
// all of them (and so always when none is required).
TEST_F(ScrollDragTest, ModifierRuleDecidesWhetherAPressDrags) {
  struct Case {
    std::uint8_t ctrl, alt, shift, swapped;
    std::set<int> down;
    bool drags;
  };
  const Case cases[] = {{1, 0, 0, 0, {}, true},          {1, 0, 0, 0, {kVkControl}, false},
                        {1, 0, 0, 1, {kVkControl}, true}, {0, 0, 0, 0, {}, false},
                        {0, 0, 0, 1, {}, true},           {0, 1, 1, 1, {kVkMenu}, false},
                        {0, 1, 1, 1, {kVkMenu, kVkShift}, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int{c.ctrl} << int{c.alt} << int{c.shift} << int{c.swapped} << " "
                                    << c.down.size());
    P().bUseCtrl = c.ctrl, P().bUseAlt = c.alt, P().bUseShift = c.shift, P().bSwapCtrl = c.swapped;
    selector.ResetTargetCache();
    desktop.keysDown = c.down;
    EXPECT_EQ(Press(), c.drags ? 1 : 0);
    EXPECT_EQ(engine.State(), c.drags ? DragState::Armed : DragState::Idle);
    engine.EndScrolling();
  }
}

TEST_F(ScrollDragTest, CursorsHiddenByTheDragComeBackAtTheEndAndWhenSwitchedOff) {
  StartScrolling();
  ASSERT_EQ(Release(), 1);
  EXPECT_FALSE(desktop.Logged("blank cursors") || desktop.Logged("restore cursors"));

  P().bHideCursor = 1;
  selector.ResetTargetCache();
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
  EXPECT_EQ(desktop.log, (std::vector<std::string>{"foreground 0x200", "capture 0x200", "blank cursors", "release",
                                                   "restore cursors"}));
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

// Bars on the target win over bars beside it; invisible bars and other
// classes never count (the geometry is ClassifyScrollBar's, below).
TEST_F(SiblingScrollBarTest, VisibleBarControlsStandInAndTheirParentGetsTheLines) {
  AddBar(0x401, {703, 100, 720, 600});               // vertical, 3 px right of the target
  AddBar(0x402, {680, 100, 697, 580}, 0, false);     // vertical, on the target, invisible
  AddBar(0x403, {100, 604, 680, 621});               // horizontal, 4 px below
  AddBar(0x404, {100, 540, 680, 557}, 0, true, "Static");
  AddBar(0x405, {100, 560, 680, 577}, 0, true, "ScrollBar");  // horizontal, on the target
  ASSERT_EQ(Press(), 1);
  EXPECT_EQ(engine.VerticalScrollWindow(), 0x401u);
  EXPECT_EQ(engine.HorizontalScrollWindow(), 0x405u);
  MoveBy(0, 10);
  ASSERT_EQ(Release(), 1);
  desktop.sent.clear();
  MoveBy(2, 1);
  // A bar control does not scroll on its own: its parent gets the lines,
  // and the bar is named in lParam.
  EXPECT_EQ(desktop.sent, (std::vector<SentMessage>{{kParent, kWmVScroll, kSbLineDown, 0x401},
                                                    {kParent, kWmHScroll, kSbLineDown, 0x405},
                                                    {kParent, kWmHScroll, kSbLineDown, 0x405}}));
}

TEST_F(SiblingScrollBarTest, TargetWithItsOwnBarsOrNoParentLooksNoFurther) {
  desktop.windows[kTarget].style = kWsVScroll;
  AddBar(0x401, {680, 100, 697, 580});
  ASSERT_EQ(Press(), 1);
  EXPECT_EQ(engine.VerticalScrollWindow(), kTarget);
  EXPECT_EQ(desktop.enumerations, 0);
  engine.EndScrolling();

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
  struct Case {
    const char* name;
    ScreenRect bar;
    bool fits;
    int vertical, adjacent;
  };
  const Case cases[] = {
      {"right, 5 px from the target's right", {405, 100, 420, 300}, true, 1, 1},
      {"right, 6 px", {406, 100, 420, 300}, false, 0, 0},
      {"left, 5 px from the bar's right", {80, 100, 95, 300}, true, 1, 1},
      {"left, 6 px", {80, 100, 94, 300}, false, 0, 0},
      {"inside", {380, 100, 400, 300}, true, 1, 0},
      {"inside, 31 px long", {380, 100, 400, 131}, false, 0, 0},
      {"inside, 32 px long", {380, 100, 400, 132}, true, 1, 0},
      {"below", {100, 303, 400, 318}, true, 0, 1},
      {"above", {100, 80, 400, 96}, true, 0, 1},
      {"below, beside the target's width", {500, 303, 800, 318}, false, 0, 0},
      {"beside, far above", {402, -500, 417, 50}, false, 0, 0},
      {"extreme coordinates", {2147483600, -2147483600, 2147483647, 2147483600}, false, 0, 0},
  };
  for (const Case& c : cases) {
    ScrollBarCandidate got{};
    EXPECT_EQ(ClassifyScrollBar(7, c.bar, target, got), c.fits) << c.name;
    if (!c.fits) continue;
    EXPECT_EQ((std::vector<int>{static_cast<int>(got.window), got.vertical, got.adjacent}),
              (std::vector<int>{7, c.vertical, c.adjacent})) << c.name;
  }
}

}  // namespace
