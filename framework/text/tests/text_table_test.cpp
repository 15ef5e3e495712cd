#include "framework/text/text_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

using test_support::Text;

// A writable table of the given ids (each record's text 0 is its id in
// decimal), ended by the end marker.
struct OwnTable {
  explicit OwnTable(const std::vector<std::uint32_t>& ids) {
    for (auto id : ids) names.push_back(std::to_string(id & 0xFFFFu));
    for (std::size_t i = 0; i < ids.size(); ++i) records.push_back(TextRecord{ids[i], {names[i].c_str()}});
    records.push_back(TextRecord{kTextTableEnd, {}});
  }
  TextRecord* data() { return records.data(); }
  int Sort() { return SortTextTable(records.data(), sizeof(TextRecord)); }
  std::vector<std::string> names;
  std::vector<TextRecord> records;
};

TEST(SortTextTable, CountsAndSortsByLow16BitsOfTheIdWithAnyStride) {
  EXPECT_EQ(SortTextTable(nullptr, sizeof(TextRecord)), 0);
  EXPECT_EQ(OwnTable({}).Sort(), 0);
  EXPECT_EQ(OwnTable({3, 0x1FFFF, 1}).Sort(), 1);  // the end marker ignores the high bits

  OwnTable t({30, 0x10005, 20, 7, 0x2000A});
  ASSERT_EQ(t.Sort(), 5);
  std::string order;
  for (int i = 0; i < 5; ++i) order += Text(t.records[i].text[0]) + " ";  // the texts travel with their records
  EXPECT_EQ(order, "5 7 10 20 30 ");

  struct Small {
    std::uint32_t id;
    char tag;
  };
  Small rows[] = {{9, 'c'}, {2, 'a'}, {5, 'b'}, {0xFFFF, 0}};
  ASSERT_EQ(SortTextTable(rows, sizeof(Small)), 3);
  EXPECT_EQ(std::string() + rows[0].tag + rows[1].tag + rows[2].tag, "abc");
}

// Every present id is found and every absent one is not, for every table
// size: the search must look at each record, also the middle of three.
TEST(FindTextRecord, FindsEveryRecordOfEverySize) {
  for (int size = 1; size <= 40; ++size) {
    std::vector<std::uint32_t> ids;
    for (int i = 0; i < size; ++i) ids.push_back(static_cast<std::uint32_t>(10 + 3 * i));
    OwnTable t(ids);
    ASSERT_EQ(t.Sort(), size);
    for (int i = 0; i < size; ++i) {
      const TextRecord* r = FindTextRecord(t.data(), size, static_cast<std::uint16_t>(ids[i]));
      ASSERT_NE(r, nullptr) << "size " << size << " id " << ids[i];
      EXPECT_EQ(r->id, ids[i]);
    }
    for (unsigned absent : {0u, 11u, 12u, 10u + 3u * static_cast<unsigned>(size), 0xFFFEu}) {
      EXPECT_EQ(FindTextRecord(t.data(), size, static_cast<std::uint16_t>(absent)), nullptr) << "size " << size;
    }
  }
  EXPECT_EQ(FindTextRecord(nullptr, 3, 1), nullptr);
}

// The framework's table with a small product table of the test's own, which
// the framework knows nothing about.
class TextTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table.InitTextTable();
    ASSERT_EQ(table.SetTextTable(0, product.data()), kStatusOk);
  }
  OwnTable product{{140, 0, 5008}};
  CTextTable table;
};

TEST_F(TextTableTest, EveryFrameworkRecordIsFoundAfterInstalling) {
  EXPECT_EQ(table.LanguageName(0), std::string("English"));
  EXPECT_EQ(table.LanguageName(1), std::string("Deutsch"));
  EXPECT_EQ(table.LanguageName(2), nullptr);
  std::set<unsigned> seen;
  TextRecord* const base = FrameworkTextTable();
  int n = 0;
  for (; (base[n].id & 0xFFFFu) != kTextTableEnd; ++n) {
    const unsigned id = base[n].id & 0xFFFFu;
    EXPECT_GE(id, kFirstFrameworkTextId);
    EXPECT_TRUE(seen.insert(id).second) << "duplicate id " << id;
    for (unsigned index = 0; index < kTextsPerRecord; ++index) {
      const char* const stored = base[n].text[index];  // a copy: the record is packed
      EXPECT_EQ(table.GetText(id, index), stored) << id << "/" << index;
    }
    EXPECT_TRUE(n == 0 || (base[n - 1].id & 0xFFFFu) < id) << "not sorted at " << n;
  }
  EXPECT_EQ(n, 52);
  EXPECT_EQ(table.FrameworkCount(), 52);
  EXPECT_EQ(table.ProductCount(), 3);
}

TEST_F(TextTableTest, TextsAndLookupEdgeCases) {
  const struct { unsigned id, index; const char* want; } cases[] = {
      {0, 0, "0"}, {140, 0, "140"}, {140, 1, nullptr}, {5008, 0, "5008"},
      {0xF003, 0, "Error initializing the application!\nError code 0x%08X."}, {0xF00C, 11, "Update Check"},
      {0xF00C, 7, nullptr}, {0xF151, 2, "Locks the positions of the stoolbars"}, {0xF162, 0, "10%"},
      {0xF16A, 2, "90% transparency"}, {0xF200, 5, "No"}, {0xF200, 3, "Help"}, {0xF200, 6, nullptr},
      {0xF002, 1, nullptr}, {0xF002, 3, "Additional Items"}, {0xFFFF, 0, nullptr},
      {0x1F200, 3, "Help"},  // 16-bit ids
      {0, 16, nullptr}, {0, static_cast<unsigned>(-1), nullptr},
      {0xF001, 0, nullptr},  // an error code without a text
      {1, 0, nullptr}, {0xF105, 0, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Text(table.GetText(c.id, c.index)), Text(c.want)) << c.id << "/" << c.index;
  CTextTable fresh;  // nothing is found before initialising
  EXPECT_EQ(fresh.GetText(0xF200, 0), nullptr);
  EXPECT_EQ(fresh.GetText(0, 0), nullptr);
}

TEST_F(TextTableTest, SecondLanguageAndDamagedSettingsFallBackToTheFirst) {
  // Framework texts are formatted by their callers; they must never be null
  // only because the language has none of its own.
  const struct { int language; unsigned id, index; const char* want; } cases[] = {
      {1, 140, 0, "140"}, {1, 0xF003, 0, "Error initializing the application!\nError code 0x%08X."},
      {7, 0xF200, 0, "OK"}, {-1, 0, 0, "0"}};
  for (const auto& c : cases) {
    table.SetLanguage(c.language);
    EXPECT_EQ(Text(table.GetText(c.id, c.index)), c.want) << c.language;
  }
}

TEST_F(TextTableTest, SetTextTableRules) {
  OwnTable own({12, 5});
  EXPECT_EQ(table.SetTextTable(2, own.data()), kStatusNoSuchLanguage);
  EXPECT_EQ(own.records[0].id, 12u);  // not sorted: nothing was installed
  EXPECT_EQ(table.ProductCount(), 3);
  EXPECT_EQ(table.SetTextTable(0, own.data()), kStatusOk);  // slot taken: kept
  EXPECT_EQ(Text(table.GetText(0, 0)), "0");
  EXPECT_EQ(table.GetText(5, 0), nullptr);

  EXPECT_EQ(table.SetTextTable(1, own.data()), kStatusOk);
  EXPECT_EQ(table.ProductCount(), 2);
  table.SetLanguage(1);
  EXPECT_EQ(Text(table.GetText(5, 0)), "5");
  EXPECT_EQ(table.GetText(0, 0), nullptr);  // language 1 has its own table now
  table.SetLanguage(0);
  EXPECT_EQ(Text(table.GetText(5008, 0)), "5008");
}

// A null table is the table installed for language 0, not one of the
// framework's own: the framework has no product texts.
TEST(TextTable, NullProductTableIsLanguageZeros) {
  CTextTable t;
  t.InitTextTable();
  ASSERT_EQ(t.SetTextTable(0, nullptr), kStatusOk);
  EXPECT_EQ(t.ProductCount(), 0);
  EXPECT_EQ(t.GetText(0, 0), nullptr);

  OwnTable own({7});
  CTextTable u;
  u.InitTextTable();
  ASSERT_EQ(u.SetTextTable(0, own.data()), kStatusOk);
  ASSERT_EQ(u.SetTextTable(1, nullptr), kStatusOk);
  u.SetLanguage(1);
  EXPECT_EQ(Text(u.GetText(7, 0)), "7");
}

// A short table in one slot and a long one in the other: a search in the
// short one must stay within it.
TEST(TextTable, EachSlotSearchesWithinItsOwnTable) {
  std::vector<std::uint32_t> many;
  for (std::uint32_t i = 1; i <= 60; ++i) many.push_back(i * 10);
  OwnTable shortTable({10, 20}), longTable(many);
  CTextTable t;
  t.InitTextTable();
  ASSERT_EQ(t.SetTextTable(0, shortTable.data()), kStatusOk);
  ASSERT_EQ(t.SetTextTable(1, longTable.data()), kStatusOk);
  EXPECT_EQ(Text(t.GetText(20, 0)), "20");
  EXPECT_EQ(t.GetText(600, 0), nullptr);
  EXPECT_EQ(t.GetText(300, 0), nullptr);
  t.SetLanguage(1);
  EXPECT_EQ(Text(t.GetText(600, 0)), "600");
}

TEST(TextTable, SetTextReplacesOnlyWhereATableIs) {
  CTextTable t;
  t.InitTextTable();
  EXPECT_FALSE(t.SetText(10, 0, "x"));  // no product table at all
  EXPECT_EQ(t.GetText(10, 0), nullptr);

  OwnTable own({10, 20, 30});
  ASSERT_EQ(t.SetTextTable(0, own.data()), kStatusOk);
  EXPECT_TRUE(t.SetText(20, 3, "status"));
  EXPECT_EQ(Text(t.GetText(20, 3)), "status");
  EXPECT_EQ(Text(t.GetText(20, 0)), "20");
  for (unsigned id : {25u, 0xFFFFu, 0xF200u}) EXPECT_FALSE(t.SetText(id, 0, "x")) << id;  // the framework table is not searched
  EXPECT_FALSE(t.SetText(20, 16, "x"));
  EXPECT_EQ(Text(t.GetText(0xF200, 0)), "OK");

  t.SetLanguage(1);  // no table of its own: writes where reads come from
  EXPECT_TRUE(t.SetText(30, 1, "second"));
  EXPECT_EQ(Text(t.GetText(30, 1)), "second");
}

// GetText answers from the table handed over, and from nothing before: no
// table installs itself.
TEST(TextTable, GetTextReadsOnlyTheTableHandedOver) {
  EXPECT_EQ(GetText(0xF200, 1), nullptr);
  CTextTable t;
  t.InitTextTable();
  OwnTable own({10});
  ASSERT_EQ(t.SetTextTable(0, own.data()), kStatusOk);
  SetAppTextTable(&t);
  EXPECT_EQ(Text(GetText(0xF200, 1)), "Cancel");
  EXPECT_EQ(Text(GetText(10, 0)), "10");
  SetAppTextTable(nullptr);
  EXPECT_EQ(GetText(10, 0), nullptr);
}

}  // namespace
