#include "framework/ui/frame_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool operator==(const MonitorRect& a, const MonitorRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::string Str(const MonitorRect& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + ")";
}

TEST(FrameStyles, FollowTheFlags) {
  struct Case {
    std::uint32_t flags, style, ex;
  } cases[] = {
      {0x10000400, 0x86C80000, 0},             // the product's main window
      {kFrameSizable, 0x86CF0000, 0},
      {kFrameBorderless | kFrameSizable, 0x86080000, 0},  // no frame to size by
      {kFrameNoCaption, 0x86480000, 0},
      {kFrameSmallCaption | kFrameMaximised, 0x87C80000, 0x80},
      {kFrameShowOnTaskbar | kFrameTopmost | kFrameAcceptFiles | kFrameLockSize, 0x86C80000, 0x40018},
  };
  for (const Case& c : cases) {
    const FrameStyles s = ComputeFrameStyles(c.flags);
    EXPECT_EQ(s.style, c.style) << std::hex << c.flags;
    EXPECT_EQ(s.exStyle, c.ex) << std::hex << c.flags;
  }
}

TEST(FramePlacement, DefaultRectangleIsCascadedAndWrappedIntoTheMonitor) {
  const MonitorRect fullHd{0, 0, 1920, 1080};
  struct Case {
    MonitorRect monitor;
    std::uint16_t id;
    std::int32_t x, y, w, h;
    MonitorRect want;
  } cases[] = {
      {fullHd, 1024, 0, 0, 0, 0, {320, 100, 1600, 820}},
      {fullHd, 0, 0, 0, 0, 0, {320, 180, 1600, 900}},
      {fullHd, 7, -50, 2000, 400, 300, {-50, 440, 350, 740}},  // given values are wrapped too
      // As wide and as high as the monitor: nothing to wrap into, no
      // division by zero.
      {fullHd, 3, 0, 0, 1920, 1080, {0, 0, 1920, 1080}},
      {{-1280, 0, 640, 1024}, 2, 100, 0, 640, 0, {0, 251, 640, 933}},
  };
  for (const Case& c : cases) {
    const FramePlacement p = DefaultFramePlacement(c.monitor, c.id, c.x, c.y, c.w, c.h, 0x42);
    EXPECT_TRUE(p.rect == c.want) << c.id << ": " << Str(p.rect);
    EXPECT_EQ(p.flags, 0x42u);
    EXPECT_EQ(p.transparency, 0);
    EXPECT_FALSE(p.ghostMode);
  }
}

TEST(FramePlacement, SavedRecordNeedsASizeAndATopCornerOnAMonitor) {
  const MonitorRect monitors[] = {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}};
  struct Case {
    std::int16_t left, top;
    std::uint16_t width, height;
    bool usable;
  } cases[] = {
      {100, 100, 800, 600, true},
      {100, 100, 0, 600, false},
      {100, 100, 800, 0, false},
      {-5000, 100, 800, 600, false},  // on a monitor that is gone
      {-780, 100, 800, 600, true},    // right corner 20 pixels in
      {-781, 100, 800, 600, false},
      {100, 1059, 800, 600, true},
      {100, 1060, 800, 600, false},
      {3800, 100, 300, 200, true},  // second monitor
  };
  for (const Case& c : cases) {
    const WindowPlacementRecord r{c.left, c.top, c.width, c.height, 0, 0};
    EXPECT_EQ(IsPlacementRecordUsable(r, monitors, 2), c.usable) << c.left << "," << c.top;
  }
}

TEST(FramePlacement, RecordKeepsRectangleFlagsTransparencyAndGhostMode) {
  const WindowPlacementRecord r = MakePlacementRecord({-10, 20, 790, 620}, 0x1102, 30, true);
  EXPECT_EQ(r.left, -10);
  EXPECT_EQ(r.width, 800);
  EXPECT_EQ(r.height, 600);
  EXPECT_EQ(r.transparencyWord, 0x101Eu);
  const FramePlacement p = PlacementFromRecord(r);
  EXPECT_TRUE(p.rect == (MonitorRect{-10, 20, 790, 620})) << Str(p.rect);
  EXPECT_EQ(p.flags, 0x1102u);
  EXPECT_EQ(p.transparency, 30);
  EXPECT_TRUE(p.ghostMode);
  // A stored percentage that is not a menu step reads as opaque.
  for (std::uint32_t word : {95u, 200u, 0x1005u}) {
    EXPECT_EQ(PlacementFromRecord(WindowPlacementRecord{0, 0, 10, 10, 0, word}).transparency, 0) << word;
  }
}

TEST(FramePlacement, TrackingHonoursTheLocks) {
  const MonitorRect placement{10, 20, 110, 220};
  const MonitorRect moved{50, 60, 350, 460};
  struct Case {
    std::uint32_t flags;
    MonitorRect want;
  } cases[] = {
      {0, {50, 60, 350, 460}},
      {kFrameLockPosition, {10, 20, 310, 420}},
      {kFrameLockSize, {50, 60, 150, 260}},
      {kFrameLockPosition | kFrameLockSize, {10, 20, 110, 220}},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(TrackPlacement(placement, moved, c.flags) == c.want) << c.flags;
  }
}

TEST(DockBays, RectanglesLieAlongTheirEdges) {
  // The frame's calls: top (0, 0, w), bottom (0, h, w), left (0, t, len), right (w, t, len).
  EXPECT_TRUE(DockBayRect(kBayTop, 0, 0, 400, 0, 24) == (MonitorRect{0, 0, 400, 24}));
  EXPECT_TRUE(DockBayRect(kBayBottom, 0, 300, 400, 0, 20) == (MonitorRect{0, 280, 400, 300}));
  EXPECT_TRUE(DockBayRect(kBayLeft, 0, 24, 0, 256, 30) == (MonitorRect{0, 24, 30, 280}));
  EXPECT_TRUE(DockBayRect(kBayRight, 400, 24, 0, 256, 16) == (MonitorRect{384, 24, 400, 280}));
  EXPECT_TRUE(DockBayRect(kBayBottom, 0, 300, 400, 0, 0) == (MonitorRect{0, 300, 400, 300}));
  EXPECT_TRUE(InnerClientRect(400, 300, 0, 0, 0, 0) == (MonitorRect{0, 0, 400, 300}));
  EXPECT_TRUE(InnerClientRect(400, 300, 24, 20, 30, 16) == (MonitorRect{30, 24, 384, 280}));
}

TEST(DockBays, SplitterBandFacesTheFrameInside) {
  const std::int32_t rows[kBayRowCount] = {20, -24, 0};
  const std::int32_t none[kBayRowCount] = {};
  struct Case {
    const std::int32_t* rows;
    int side;
    std::int32_t c;
    int want;
  } cases[] = {
      {rows, kBayTop, 40, 1},    {rows, kBayTop, 43, 1},     {rows, kBayTop, 39, -1}, {rows, kBayTop, 44, -1},
      {rows, kBayRight, 20, 1},  {rows, kBayBottom, 23, 1},  {rows, kBayBottom, 40, -1},
      {none, kBayLeft, 0, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitterRowAt(c.rows, c.side, c.c), c.want) << c.side << " " << c.c;
}

TEST(FrameDpi, ZeroIsNoDpi) {
  struct Case {
    int oldDpi, newDpi, dpi;
    double factor;
  } cases[] = {
      {96, 144, 144, 1.5},
      {0, 144, 144, 1.0},  // never shown: nothing was sized for an old DPI
      {120, 0, 120, 1.0},
      {0, 0, 0, 1.0},
  };
  for (const Case& c : cases) {
    const DpiChange d = ComputeDpiChange(c.oldDpi, c.newDpi);
    EXPECT_EQ(d.dpi, c.dpi);
    EXPECT_DOUBLE_EQ(d.factor, c.factor);
  }
}

std::vector<std::uint16_t> List(const WindowMenuModel& m) { return {m.list, m.list + m.count + 1}; }
int State(const CommandState* states, int count, std::uint16_t id) {
  for (int i = 0; i < count; ++i) {
    if (states[i].id == id) return states[i].on ? 1 : 0;
  }
  return -1;
}

TEST(WindowMenu, WithoutBarsListsTheSettingsAndDisablesTheBarLocks) {
  WindowMenuInputs in;
  in.flags = kFrameSmallCaption | kFrameLockPosition | kFrameLockSize;
  in.schemeMode = 1;
  const WindowMenuModel m = BuildWindowMenuModel(in);
  EXPECT_EQ(m.count, 7);
  EXPECT_EQ(List(m), (std::vector<std::uint16_t>{0xF110, 0xF111, 0xF120, 0xF130, 0xF140, 0xF150, 0xF160, 0xFFFF}));
  struct Expect {
    std::uint16_t id;
    int checked, enabled;
  } expects[] = {
      {0xF121, 0, -1}, {0xF122, 1, -1}, {0xF132, 1, -1}, {0xF133, 0, -1}, {0xF151, 0, 0},  {0xF152, 0, 0},
      {0xF153, 1, -1}, {0xF154, 1, -1}, {0xF155, 0, -1}, {0xF141, 1, -1}, {0xF161, 1, -1}, {0xF16B, 0, 0},
  };
  for (const Expect& e : expects) {
    EXPECT_EQ(State(m.checks, m.checkCount, e.id), e.checked) << std::hex << e.id;
    EXPECT_EQ(State(m.enables, m.enableCount, e.id), e.enabled) << std::hex << e.id;
  }
}

TEST(WindowMenu, BarsComeFirstWithTheirVisibilityAndASeparator) {
  const WindowMenuBar bars[] = {{0x5000, true}, {0x5001, false}};
  WindowMenuInputs in;
  in.flags = kFrameLockBits;
  in.transparency = 30;
  in.ghostMode = true;
  in.schemeMode = 5;
  in.customFont = true;
  in.bars = bars;
  in.barCount = 2;
  const WindowMenuModel m = BuildWindowMenuModel(in);
  EXPECT_EQ(m.count, 10);
  EXPECT_EQ(List(m)[0], 0x5000);
  EXPECT_EQ(List(m)[2], kCmdSeparator);
  struct Expect {
    std::uint16_t id;
    int checked, enabled;
  } expects[] = {
      {0x5000, 1, -1}, {0x5001, 0, -1}, {0xF151, 1, 1},  {0xF155, 1, -1}, {0xF133, 1, -1},
      {0xF142, 1, -1}, {0xF141, 0, -1}, {0xF161, 0, -1}, {0xF164, 1, -1}, {0xF16B, 1, 1},
  };
  for (const Expect& e : expects) {
    EXPECT_EQ(State(m.checks, m.checkCount, e.id), e.checked) << std::hex << e.id;
    EXPECT_EQ(State(m.enables, m.enableCount, e.id), e.enabled) << std::hex << e.id;
  }
  // More bars than the list holds: the settings and the end marker stay.
  std::vector<WindowMenuBar> many(80, WindowMenuBar{0x6000, true});
  in.bars = many.data();
  in.barCount = 80;
  const WindowMenuModel full = BuildWindowMenuModel(in);
  EXPECT_EQ(full.count, kWindowMenuSize - 1);
  EXPECT_EQ(full.list[full.count - 1], kCmdTransparencyMenu);
  EXPECT_EQ(full.list[full.count], kMenuListEnd);
}

TEST(WindowMenu, CommandArithmetic) {
  EXPECT_EQ(ToggledFlags(0x20, 0x20), 0u);
  EXPECT_EQ(ToggledFlags(0x80, 0x1080), 0u);  // any set: all cleared
  EXPECT_EQ(ToggledFlags(0x1, 0x1080), 0x1081u);
  EXPECT_TRUE(LockAllSets(0x20 | 0x80));
  EXPECT_FALSE(LockAllSets(kFrameLockBits | 0x1));
  EXPECT_EQ(WithCaptionBits(0x818 | 0x3, 0x10), 0x13u);
  const std::int32_t captions[] = {0, 0x10, 0x8, 0x800};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(CaptionBitsForCommand(static_cast<std::uint16_t>(0xF121 + i)), captions[i]);
  EXPECT_EQ(CaptionBitsForCommand(0xF125), -1);
  EXPECT_EQ(TransparencyForCommand(0xF161), 0);
  EXPECT_EQ(TransparencyForCommand(0xF16A), 90);
  EXPECT_EQ(TransparencyForCommand(0xF16B), -1);
  const int colours[] = {0, 2, 3, 4};  // index 1 is never offered
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(CustomColourIndexForCommand(static_cast<std::uint16_t>(0xF134 + i)), colours[i]);
  }
  EXPECT_EQ(CustomColourIndexForCommand(0xF133), -1);
}

std::string Shown(const CGrowArray<StatusEntry>& e) {
  const StatusEntry* s = ShownStatusEntry(e);
  return s != nullptr ? std::to_string(s->key) + ":" + s->text : "<none>";
}

TEST(StatusTexts, KeysShowInTheirOrder) {
  CGrowArray<StatusEntry> e;
  EXPECT_EQ(Shown(e), "<none>");
  ASSERT_TRUE(UpdateStatusEntries(e, kStatusKeyBase, "Ready"));
  ASSERT_TRUE(UpdateStatusEntries(e, kStatusKeyHint, "Ready"));
  EXPECT_EQ(Shown(e), "-2:Ready");
  ASSERT_TRUE(UpdateStatusEntries(e, kStatusKeyShown, "Busy"));
  ASSERT_TRUE(UpdateStatusEntries(e, 4, "Four"));
  EXPECT_EQ(Shown(e), "-1:Busy");
  ASSERT_TRUE(UpdateStatusEntries(e, kStatusKeyHint, "Hint"));  // replaced in place
  EXPECT_EQ(e.Count(), 4);
  ASSERT_TRUE(UpdateStatusEntries(e, 4, nullptr));
  // Only negative keys left: the shown text (-1) goes too.
  EXPECT_EQ(e.Count(), 2);
  EXPECT_EQ(Shown(e), "-2:Hint");
  ASSERT_TRUE(UpdateStatusEntries(e, kStatusKeyHint, ""));
  EXPECT_EQ(Shown(e), "-3:Ready");
  const std::string longText(3000, 'x');
  ASSERT_TRUE(UpdateStatusEntries(e, 9, longText.c_str()));
  EXPECT_EQ(std::string(ShownStatusEntry(e)->text), longText.substr(0, kStatusTextSize - 1));
}

TEST(TabOrder, WrapsAtBothEnds) {
  struct Case {
    int count, current, step, want;
  } cases[] = {
      {3, -1, 1, 0}, {3, -1, -1, 0}, {3, 0, -1, 2}, {3, 2, 1, 0}, {3, 1, 1, 2}, {0, -1, 1, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(NextTabStop(c.count, c.current, c.step), c.want);
}

TEST(PreTranslation, ResizeZonesOfA100By80Window) {
  const struct { int x, y, zone; } cases[] = {
      {4, 3, 1},  {0, 40, 2}, {4, 75, 3},  {50, 79, 4}, {95, 75, 5}, {99, 40, 6}, {95, 0, 7}, {50, 4, 8},
      {5, 5, 0},  {94, 74, 0}, {50, 40, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseResizeZone(c.x, c.y, 100, 80), c.zone) << c.x << "," << c.y;
}

TEST(PreTranslation, DraggedZoneMovesOnlyItsEdges) {
  const MonitorRect start{100, 200, 300, 400};
  const ResizeGrip grip = GripAt(3, 2, 200, 200);  // grabbed 3 px right of the left edge, 2 below the top
  const struct { int zone; MonitorRect r; } cases[] = {
      {1, {47, 58, 300, 400}}, {2, {47, 200, 300, 400}}, {3, {47, 200, 300, 258}}, {4, {100, 200, 300, 258}},
      {5, {100, 200, 247, 258}}, {6, {100, 200, 247, 400}}, {7, {100, 58, 247, 400}}, {8, {100, 58, 300, 400}},
  };
  for (const auto& c : cases) {
    const MonitorRect r = ResizedRect(start, c.zone, grip, 50, 60);
    EXPECT_TRUE(r.left == c.r.left && r.top == c.r.top && r.right == c.r.right && r.bottom == c.r.bottom)
        << c.zone << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
}

}  // namespace
