#include "framework/app/command_table_core.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "framework/app/help_core.h"
#include "framework/app/standard_commands.h"

namespace {

int gValues[4];

std::int32_t Add(CommandTable& table, std::uint16_t id, void* value = nullptr) {
  return InsertCommandRecord(table, MakeCommandRecord(id, CommandKind::kButton, 0, 0, 0, value, 0, 0));
}

std::vector<std::uint16_t> Ids(const CommandTable& table) {
  std::vector<std::uint16_t> ids;
  for (const CommandRecord& r : table) ids.push_back(r.id);
  return ids;
}

TEST(CommandTable, AddKeepsAscendingOrderAndPutsAnEqualIdAfterTheFirst) {
  CommandTable table;
  EXPECT_EQ(FindCommandIndex(table, 5), -1);
  EXPECT_EQ(Add(table, 5, &gValues[0]), 0);
  EXPECT_EQ(Add(table, 2), 0);
  EXPECT_EQ(Add(table, 9), 2);
  EXPECT_EQ(Add(table, 5, &gValues[1]), 2);
  EXPECT_EQ(Ids(table), (std::vector<std::uint16_t>{2, 5, 5, 9}));
  EXPECT_EQ(table[1].value, &gValues[0]);
  EXPECT_EQ(table[2].value, &gValues[1]);
  EXPECT_EQ(FindCommandIndex(table, 9), 3);
  EXPECT_EQ(FindCommandIndex(table, 3), -1);
  EXPECT_EQ(FindCommand(table, 10), nullptr);
}

TEST(CommandTable, MadeRecordTakesItsOwnIdForIconAndTextAndIsEnabled) {
  const CommandRecord r = MakeCommandRecord(0xF120, CommandKind::kPopup, 384, kSameIdAsCommand, kSameIdAsCommand,
                                            &gValues[2], 1.5f, 2.5f);
  EXPECT_EQ(r.iconId, 0xF120);
  EXPECT_EQ(r.textId, 0xF120);
  EXPECT_EQ(r.flags, 384u | 0x1001u);
  EXPECT_EQ(r.kind, 3);
  EXPECT_EQ(r.value, &gValues[2]);
  EXPECT_EQ(r.param2, 2.5f);
  EXPECT_EQ(std::set<int>(std::begin(r.extra), std::end(r.extra)), std::set<int>{0});
  const CommandRecord none = MakeCommandRecord(1, CommandKind::kSeparator, 4, 0, 0xF000, nullptr, 0, 0);
  EXPECT_EQ(none.iconId, 0);
  EXPECT_EQ(none.textId, 0xF000);
}

TEST(CommandTable, ReplacingARecordKeepsItsIdAndTheOrder) {
  CommandTable table;
  for (std::uint16_t id : {2, 5, 9}) (void)Add(table, id);
  CommandRecord copy = *FindCommand(table, 5);
  copy.id = 7;  // an edited copy that names another id
  copy.flags = 0x801;
  copy.value = &gValues[3];
  EXPECT_EQ(OverwriteCommandRecord(table, 5, copy), kStatusOk);
  EXPECT_EQ(Ids(table), (std::vector<std::uint16_t>{2, 5, 9}));
  EXPECT_EQ(FindCommand(table, 5)->flags, 0x801u);
  EXPECT_EQ(FindCommand(table, 5)->value, &gValues[3]);
  EXPECT_EQ(FindCommandIndex(table, 7), -1);

  EXPECT_EQ(OverwriteCommandRecord(table, 4, copy), kStatusUnknownCommand);
  EXPECT_EQ(Ids(table), (std::vector<std::uint16_t>{2, 5, 9}));
  // The record itself as the source.
  EXPECT_EQ(OverwriteCommandRecord(table, 9, table[2]), kStatusOk);
  EXPECT_EQ(table[2].id, 9);
}

TEST(CommandTable, FlagArithmetic) {
  struct Case {
    const char* what;
    std::uint32_t got;
    std::uint32_t want;
  };
  const Case cases[] = {
      {"disable drops hot and pressed", EnabledFlags(0x1601, false), 0x1000},
      {"enable", EnabledFlags(0x800, true), 0x801},
      {"check", CheckedFlags(0x1, true), 0x801},
      {"uncheck", CheckedFlags(0x801, false), 0x1},
      {"state set and clear", ItemStateFlags(0x601, 0x800, 0x600), 0x801},
      {"enter", EnteredFlags(0x1, false), 0x201},
      {"enter with a button held", EnteredFlags(0x1, true), 0x601},
      {"re-enter without a button", EnteredFlags(0x601, false), 0x201},
      {"value item: hovering with a button adds no press", EnteredFlags(0x8001, true), 0x8201},
      {"value item: pressed survives entering", EnteredFlags(0x8401, false), 0x8601},
      {"leave", LeftFlags(0x601, false), 0x1},
      {"value item: pressed survives leaving", LeftFlags(0x8601, false), 0x8401},
      {"popup entry leaves its arrow mark", LeftFlags(0x2000601, true), 0x1},
      {"button pressed", PressedFlags(0x201, false, true), 0x601},
      {"split popup pressed on its arrow", PressedFlags(0x1000201, true, true), 0x3000201},
      {"split popup pressed beside its arrow", PressedFlags(0x3000201, true, false), 0x1000601},
      {"plain popup pressed drops an arrow mark", PressedFlags(0x2000201, true, true), 0x601},
      {"released popup entry", ReleasedFlags(0x2000601, true), 0x201},
      {"released button keeps class bits", ReleasedFlags(0x2000601, false), 0x2000201},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;

  EXPECT_TRUE(PopupOpensOnClick(0x1, false, false));
  EXPECT_FALSE(PopupOpensOnClick(kCommandSplitPopup, false, false));
  EXPECT_TRUE(PopupOpensOnClick(kCommandSplitPopup, true, false));
  EXPECT_TRUE(PopupOpensOnClick(kCommandSplitPopup, false, true));
}

TEST(CommandTable, SteppingWrapsSkipsAndNeverDividesByZero) {
  // 0 separator, 1 enabled, 2 disabled, 3 enabled, 4 separator
  const bool ok[] = {false, true, false, true, false};
  const auto qualifies = [&ok](std::int32_t i) { return ok[i]; };
  struct Case {
    std::int32_t index, step, want;
  };
  const Case cases[] = {
      {4, 1, 1},    // from the last, forward: the first qualifying item
      {3, 1, 1},    // past the end
      {1, -1, 3},   // below 0
      {-1, 1, 1},   // a start before the first
      {5, -1, 3},   // a start after the last
      {1000, 1, 1}, // a start far outside
      {1, 0, 3},    // no step counts as forward
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StepToQualifying(5, c.index, c.step, qualifies, false), c.want) << c.index << " " << c.step;
  }
  const auto never = [](std::int32_t) { return false; };
  EXPECT_EQ(StepToQualifying(5, 2, 1, never, false), 2);  // back where it started
  EXPECT_EQ(StepToQualifying(5, 2, 1, never, true), -1);
  EXPECT_EQ(StepToQualifying(0, 0, 1, qualifies, false), -1);
  EXPECT_EQ(StepToQualifying(0, -1, -1, qualifies, true), -1);
}

TEST(StandardCommands, EveryPopupListsRegisteredCommandsAndEveryIconComesFirst) {
  int count = 0;
  const StandardCommandStep* steps = StandardCommandSteps(&count);
  CommandTable table;
  std::set<std::uint16_t> icons;
  for (int i = 0; i < count; ++i) {
    const StandardCommandStep& s = steps[i];
    if (s.step != StandardStep::kCommand) {
      icons.insert(s.id);
      continue;
    }
    const CommandRecord r = MakeCommandRecord(s.id, s.kind, s.flags, s.iconId, s.textId, s.entries, 0, 0);
    if (r.iconId != 0) {
      EXPECT_TRUE(icons.count(r.iconId)) << std::hex << s.id;
    }
    EXPECT_GE(InsertCommandRecord(table, r), 0);
  }
  EXPECT_EQ(table.Count(), 41);
  EXPECT_EQ(icons.size(), 13u);
  for (const CommandRecord& r : table) {
    EXPECT_EQ(FindCommandIndex(table, r.id), &r - table.Data()) << "one record per id " << std::hex << r.id;
    if (r.value == nullptr) continue;
    for (const std::uint16_t* e = static_cast<const std::uint16_t*>(r.value); *e != kCommandListEnd; ++e) {
      EXPECT_NE(FindCommand(table, *e), nullptr) << std::hex << r.id << " lists " << *e;
    }
  }
  EXPECT_EQ(FindCommand(table, 0xF133)->flags, 0x1001001u);
  EXPECT_EQ(FindCommand(table, 0xF100)->textId, 0xF002);
  EXPECT_EQ(FindCommand(table, 0xF135)->iconId, 0xF135);
}

TEST(Help, CompiledHelpNamesAndTheViewersParameter) {
  EXPECT_TRUE(IsCompiledHelpName("Veltrano.chm"));
  EXPECT_FALSE(IsCompiledHelpName("Veltrano.CHM"));
  EXPECT_FALSE(IsCompiledHelpName(nullptr));
  char out[40];
  ASSERT_TRUE(FormatHelpParameter(out, sizeof out, "C:\\P\\V.chm", "Profiles.htm"));
  EXPECT_STREQ(out, "\"C:\\P\\V.chm::/Profiles.htm\"");
  ASSERT_TRUE(FormatHelpParameter(out, sizeof out, "C:\\P\\V.chm", ""));
  EXPECT_STREQ(out, "\"C:\\P\\V.chm\"");
  EXPECT_FALSE(FormatHelpParameter(out, 12, "C:\\P\\V.chm", nullptr));
  EXPECT_STREQ(out, "");
}

}  // namespace
