#include "scrolling/settings/settings_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "scrolling/settings/res/settings_ids.h"

namespace {

// Options of n profiles named "0", "1", ...; on the heap (3 MB).
std::unique_ptr<Options> WithProfiles(int n) {
  auto options = std::make_unique<Options>();
  std::memset(options.get(), 0, sizeof(Options));
  for (int i = 0; i < n; ++i) std::snprintf(options->Par[i].szParName, kNameSize, "%d", i);
  options->iNumPar = n;
  return options;
}

std::string Names(const Options& o) {
  std::string out;
  for (int i = 0; i < o.iNumPar; ++i) out += std::string(o.Par[i].szParName) + (i + 1 < o.iNumPar ? "," : "");
  return out;
}

enum class Op { Insert, Delete, Up, Down };

TEST(SettingsCore, ListEditsMoveTheSelectionAndNoteEveryChange) {
  struct Case {
    Op op;
    int count;
    int selected;
    bool done;
    const char* names;
    int selectedAfter;
  };
  const Case cases[] = {
      {Op::Insert, 3, 1, true, "0,N,1,2", 1},
      {Op::Insert, 0, -1, true, "N", 0},
      {Op::Insert, 3, 7, true, "0,1,N,2", 2},  // a selection past the end is the last profile
      {Op::Insert, kMaxProfiles, 5, false, "", 5},
      {Op::Delete, 3, 1, true, "0,2", 1},
      {Op::Delete, 3, 2, true, "0,1", 1},
      {Op::Delete, 1, 0, true, "", -1},
      {Op::Delete, 0, -1, false, "", -1},
      {Op::Up, 3, 2, true, "0,2,1", 1},
      {Op::Up, 3, 0, false, "0,1,2", 0},
      {Op::Up, 0, -1, false, "", -1},
      {Op::Down, 3, 0, true, "1,0,2", 1},
      {Op::Down, 3, 2, false, "0,1,2", 2},
      {Op::Down, kMaxProfiles, kMaxProfiles - 1, false, "", kMaxProfiles - 1},
      {Op::Down, 0, -1, false, "", -1},
  };
  Profile added{};
  std::strcpy(added.szParName, "N");
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.op) << " on " << c.count << " at " << c.selected);
    auto o = WithProfiles(c.count);
    int selected = c.selected;
    const std::uint64_t before = ProfilesGeneration();
    bool done = false;
    switch (c.op) {
      case Op::Insert: done = InsertProfile(*o, selected, added); break;
      case Op::Delete: done = DeleteProfile(*o, selected); break;
      case Op::Up: done = MoveProfileUp(*o, selected); break;
      case Op::Down: done = MoveProfileDown(*o, selected); break;
    }
    EXPECT_EQ(done, c.done);
    EXPECT_EQ(ProfilesGeneration() != before, c.done);
    EXPECT_EQ(selected, c.selectedAfter);
    EXPECT_EQ(c.count < kMaxProfiles ? Names(*o) : std::string(), c.names);
    EXPECT_EQ(o->iNumPar, c.count + (c.done ? (c.op == Op::Insert ? 1 : c.op == Op::Delete ? -1 : 0) : 0));
  }
}

TEST(SettingsCore, ListButtonsFollowCountAndSelection) {
  const struct {
    int count;
    int selected;
    const char* enabled;  // New, Delete (and Copy), Up, Down
  } cases[] = {{0, -1, "N---"}, {1, 0, "ND--"}, {3, 0, "ND-v"}, {3, 1, "ND^v"}, {3, 2, "ND^-"},
               {kMaxProfiles, kMaxProfiles - 1, "-D^-"}};
  for (const auto& c : cases) {
    const ListButtons b = ListButtonsFor(c.count, c.selected);
    const std::string enabled{b.newProfile ? 'N' : '-', b.remove ? 'D' : '-', b.up ? '^' : '-', b.down ? 'v' : '-'};
    EXPECT_EQ(enabled, c.enabled) << c.count << " at " << c.selected;
  }
  EXPECT_EQ(CorrectedSelection(4, -1), 0);
}

std::set<int> Enabled(SettingsPage page, const Profile& p) {
  const PageEnables e = PageEnablesFor(page, p);
  std::set<int> on;
  for (std::size_t i = 0; i < e.count; ++i) {
    if (e.items[i].enabled) on.insert(e.items[i].id);
  }
  return on;
}

TEST(SettingsCore, EnableRulesGiveTheEnabledControlsOfEachPage) {
  struct Case {
    const char* what;
    SettingsPage page;
    void (*set)(Profile&);
    std::set<int> enabled;
  };
  const std::set<int> kScrollBase = {1070, 1053, 1051, 1009, 1010, 1071, 1117, 1118,
                                     1119, 1015, 1011, 1017, 1081, 1032, 1016};
  const std::set<int> kCurve = {1082, 1088, 1035, 1089, 1086, 1034, 1087, 1079, 1031, 1080, 1077, 1030,
                                1078, 1085, 1033, 1083, 1061, 1062, 1063, 1064, 1065, 1066, 1023, 1056};
  auto with = [](std::set<int> a, std::set<int> b) {
    a.insert(b.begin(), b.end());
    return a;
  };
  const Case cases[] = {
      {"scroll off", SettingsPage::Scroll, [](Profile& p) { p.bEnableX = p.bEnableY = 1; p.iUpMode = 3; }, {}},
      {"scroll on, no axis", SettingsPage::Scroll, [](Profile& p) { p.bScrollEnable = 1; p.iUpMode = 3; }, kScrollBase},
      {"x axis, left keys", SettingsPage::Scroll,
       [](Profile& p) { p.bScrollEnable = p.bEnableX = 1; p.iLeftMode = p.iUpMode = 3; },
       with(kScrollBase, {1012, 1091, 1036, 1074, 1097, 1075, 1098, 1045})},
      {"y axis, up and down keys", SettingsPage::Scroll,
       [](Profile& p) { p.bScrollEnable = p.bEnableY = 1; p.iUpMode = p.iDownMode = p.iRightMode = 3; },
       with(kScrollBase, {1013, 1094, 1037, 1076, 1095, 1072, 1096, 1047, 1044})},
      {"wheel on", SettingsPage::Wheel, [](Profile& p) { p.bWheelEnable = 1; }, kCurve},
      {"wheel off", SettingsPage::Wheel, [](Profile&) {}, {1084, 1036, 1090}},
      {"buttons off, middle keys", SettingsPage::Button,
       [](Profile& p) { p.iBackMode = 2; p.bBackCursor = 1; p.iMiddleMode = 1; }, {1113}},
      {"back keys, forward command, cursor", SettingsPage::Button,
       [](Profile& p) { p.bEnableBackFwd = p.bBackCursor = 1; p.iBackMode = p.iMiddleMode = 2; p.iForwardMode = 3; },
       {1097, 1100, 1101, 1103, 1099, 1098, 1102, 1109, 1110, 1114, 1115}},
      {"back command", SettingsPage::Button,
       [](Profile& p) { p.bEnableBackFwd = 1; p.iBackMode = 3; p.iForwardMode = 2; },
       {1097, 1100, 1101, 1103, 1099, 1107, 1108, 1104}},
  };
  for (const Case& c : cases) {
    Profile p{};
    c.set(p);
    EXPECT_EQ(Enabled(c.page, p), c.enabled) << c.what;
  }
}

TEST(SettingsCore, PageFieldsReachTheirProfileMembers) {
  Profile p{};
  const struct {
    SettingsPage page;
    int id;
    std::int32_t value;
    std::int32_t (*stored)(const Profile&);
  } cases[] = {
      {SettingsPage::Wheel, IDC_WHL_WSMAX, 77, [](const Profile& q) -> std::int32_t { return q.iWSmax; }},
      {SettingsPage::Wheel, IDC_WHL_DEFLINES, 9, [](const Profile& q) -> std::int32_t { return q.iWheelDefLines; }},
      {SettingsPage::Scroll, IDC_SCR_TRIGGER, -5, [](const Profile& q) -> std::int32_t { return q.iTriggerDistance; }},
      {SettingsPage::Scroll, IDC_SCR_LOCK_AXIS, 7, [](const Profile& q) -> std::int32_t { return q.bLockOneAxis; }},
      {SettingsPage::Scroll, IDC_SCR_LEFT_MODE, 2, [](const Profile& q) -> std::int32_t { return q.iLeftMode; }},
      {SettingsPage::Button, IDC_BTN_FWD_KEYS, 0x0241, [](const Profile& q) -> std::int32_t { return q.hkForward; }},
      {SettingsPage::Button, IDC_BTN_MIDDLE_MODE, 2, [](const Profile& q) -> std::int32_t { return q.iMiddleMode; }},
  };
  for (const auto& c : cases) {
    const PageField* f = FindPageField(c.page, c.id);
    ASSERT_NE(f, nullptr) << c.id;
    SetFieldInt(p, *f, c.value);
    const std::int32_t expected = f->kind == FieldKind::Check ? 1 : c.value;
    EXPECT_EQ(c.stored(p), expected) << c.id;
    EXPECT_EQ(FieldInt(p, *f), expected) << c.id;
  }
  // The same number names different fields on different pages.
  EXPECT_EQ(FindPageField(SettingsPage::Wheel, 1036)->offset, offsetof(Profile, iWheelDefLines));
  EXPECT_EQ(FindPageField(SettingsPage::Scroll, 1036)->offset, offsetof(Profile, dSpeedX));
  EXPECT_EQ(FindPageField(SettingsPage::Button, 1108)->size, kCommandSize);
}

}  // namespace
