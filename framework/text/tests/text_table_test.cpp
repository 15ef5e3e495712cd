#include "framework/text/text_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

std::string Text(const char* p) { return p != nullptr ? std::string(p) : std::string("<null>"); }

// A writable table of the given ids (each record's text 0 is its id in
// decimal), ended by the end marker.
struct OwnTable {
  explicit OwnTable(const std::vector<std::uint32_t>& ids) {
    names.reserve(ids.size());
    for (auto id : ids) names.push_back(std::to_string(id & 0xFFFFu));
    for (std::size_t i = 0; i < ids.size(); ++i) {
      TextRecord r{};
      r.id = ids[i];
      r.text[0] = names[i].c_str();
      records.push_back(r);
    }
    TextRecord end{};
    end.id = kTextTableEnd;
    records.push_back(end);
  }
  TextRecord* data() { return records.data(); }
  std::vector<std::string> names;
  std::vector<TextRecord> records;
};

TEST(SortTextTable, CountsAndSortsByLow16BitsOfTheId) {
  EXPECT_EQ(SortTextTable(nullptr, sizeof(TextRecord)), 0);
  OwnTable empty({});
  EXPECT_EQ(SortTextTable(empty.data(), sizeof(TextRecord)), 0);

  OwnTable t({30, 0x10005, 20, 7, 0x2000A});
  ASSERT_EQ(SortTextTable(t.data(), sizeof(TextRecord)), 5);
  std::vector<unsigned> order;
  for (int i = 0; i < 5; ++i) order.push_back(t.records[i].id & 0xFFFFu);
  EXPECT_EQ(order, (std::vector<unsigned>{5, 7, 10, 20, 30}));
  // The texts travel with their records.
  EXPECT_EQ(Text(t.records[0].text[0]), "5");
  EXPECT_EQ(Text(t.records[4].text[0]), "30");
}

TEST(SortTextTable, EndMarkerIgnoresTheHighBits) {
  OwnTable t({3, 0x1FFFF, 1});
  EXPECT_EQ(SortTextTable(t.data(), sizeof(TextRecord)), 1);
}

TEST(SortTextTable, WorksWithAnyRecordStride) {
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
    ASSERT_EQ(SortTextTable(t.data(), sizeof(TextRecord)), size);
    for (int i = 0; i < size; ++i) {
      const TextRecord* r = FindTextRecord(t.data(), size, static_cast<std::uint16_t>(ids[i]));
      ASSERT_NE(r, nullptr) << "size " << size << " id " << ids[i];
      EXPECT_EQ(r->id, ids[i]);
    }
    for (std::uint16_t absent : {std::uint16_t{0}, std::uint16_t{11}, std::uint16_t{12},
                                 static_cast<std::uint16_t>(10 + 3 * size), std::uint16_t{0xFFFE}}) {
      EXPECT_EQ(FindTextRecord(t.data(), size, absent), nullptr) << "size " << size;
    }
  }
  EXPECT_EQ(FindTextRecord(nullptr, 3, 1), nullptr);
}

class TextTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table.InitTextTable();
    ASSERT_EQ(table.SetTextTable(0, nullptr), kTextOk);
  }
  CTextTable table;
};

TEST_F(TextTableTest, EveryBuiltInRecordIsFoundAfterInstalling) {
  EXPECT_EQ(table.LanguageName(0), std::string("English"));
  EXPECT_EQ(table.LanguageName(1), std::string("Deutsch"));
  EXPECT_EQ(table.LanguageName(2), nullptr);

  std::set<unsigned> seen;
  for (TextRecord* base : {FrameworkTextTable(), ProductTextTable()}) {
    int n = 0;
    for (; (base[n].id & 0xFFFFu) != kTextTableEnd; ++n) {
      const unsigned id = base[n].id & 0xFFFFu;
      EXPECT_TRUE(seen.insert(id).second) << "duplicate id " << id;
      for (unsigned index = 0; index < kTextsPerRecord; ++index) {
        const char* const stored = base[n].text[index];  // a copy: the record is packed
        EXPECT_EQ(table.GetText(id, index), stored) << id << "/" << index;
      }
      if (n > 0) {
        EXPECT_LT(base[n - 1].id & 0xFFFFu, id) << "not sorted at " << n;
      }
    }
    EXPECT_GT(n, 0);
  }
  EXPECT_EQ(table.FrameworkCount(), 51);
  EXPECT_EQ(table.ProductCount(), 13);
}

TEST(TextTable, NothingIsFoundBeforeInitialising) {
  CTextTable fresh;
  EXPECT_EQ(fresh.GetText(0xF200, 0), nullptr);
  EXPECT_EQ(fresh.GetText(0, 0), nullptr);
}

TEST_F(TextTableTest, LookupEdgeCases) {
  EXPECT_EQ(Text(table.GetText(0xF200, 3)), "Help");
  EXPECT_EQ(table.GetText(0xF200, 6), nullptr);
  EXPECT_EQ(table.GetText(0xF002, 1), nullptr);
  EXPECT_EQ(Text(table.GetText(0xF002, 3)), "Additional Items");
  EXPECT_EQ(table.GetText(0xFFFF, 0), nullptr);
  EXPECT_EQ(table.GetText(0x1F200, 3), table.GetText(0xF200, 3));  // 16-bit ids
  EXPECT_EQ(table.GetText(0, 16), nullptr);
  EXPECT_EQ(table.GetText(0, static_cast<unsigned>(-1)), nullptr);
  EXPECT_EQ(table.GetText(0xF001, 0), nullptr);  // error code without a text
  EXPECT_EQ(table.GetText(1, 0), nullptr);
  EXPECT_EQ(Text(table.GetText(0xF105, 0)), "");
}

TEST_F(TextTableTest, TextsAreExact) {
  EXPECT_EQ(Text(table.GetText(0, 0)), "Veltrano");
  EXPECT_EQ(Text(table.GetText(0, 1)), "(All Others)");
  const char filter[] = "Executable Files (.EXE)\0*.EXE\0All Files (*.*)\0*.*\0";
  ASSERT_NE(table.GetText(0, 2), nullptr);
  EXPECT_EQ(std::memcmp(table.GetText(0, 2), filter, sizeof filter), 0);
  EXPECT_EQ(Text(table.GetText(110, 2)), "Mouse wheel (fine)");
  EXPECT_EQ(Text(table.GetText(120, 2)), "Horizontal mouse wheel (fine)");
  EXPECT_EQ(Text(table.GetText(130, 3)), "Command line");
  EXPECT_EQ(Text(table.GetText(140, 0)), "Middle button");
  EXPECT_EQ(table.GetText(140, 3), nullptr);
  EXPECT_EQ(Text(table.GetText(5008, 0)),
            "Could not set system hooks!\nPlease restart the computer if the problem persists.");
  EXPECT_EQ(Text(table.GetText(0x1393, 0)), "The Hot-Key could not be set!");
  EXPECT_EQ(Text(table.GetText(0xF003, 0)), "Error initializing the application!\nError code 0x%08X.");
  EXPECT_EQ(Text(table.GetText(0xF00C, 11)), "Update Check");
  EXPECT_EQ(table.GetText(0xF00C, 7), nullptr);
  EXPECT_EQ(Text(table.GetText(0xF151, 2)), "Locks the positions of the stoolbars");
  EXPECT_EQ(Text(table.GetText(0xF162, 0)), "10%");
  EXPECT_EQ(Text(table.GetText(0xF16A, 2)), "90% transparency");
  EXPECT_EQ(Text(table.GetText(0xF200, 5)), "No");
}

TEST_F(TextTableTest, SecondLanguageFallsBackToTheFirst) {
  table.SetLanguage(1);
  EXPECT_EQ(Text(table.GetText(0, 1)), "(All Others)");
  // Framework texts are formatted by their callers; they must never be null
  // only because the language has none of its own.
  EXPECT_EQ(Text(table.GetText(0xF003, 0)), "Error initializing the application!\nError code 0x%08X.");
  table.SetLanguage(7);  // a damaged settings record
  EXPECT_EQ(Text(table.GetText(0xF200, 0)), "OK");
  table.SetLanguage(-1);
  EXPECT_EQ(Text(table.GetText(0, 0)), "Veltrano");
}

TEST_F(TextTableTest, SetTextTableRules) {
  OwnTable own({12, 5});
  EXPECT_EQ(table.SetTextTable(2, own.data()), kTextErrorLanguage);
  EXPECT_EQ(own.records[0].id, 12u);  // not sorted: nothing was installed
  EXPECT_EQ(table.ProductCount(), 13);

  EXPECT_EQ(table.SetTextTable(0, own.data()), kTextOk);  // slot taken: kept
  EXPECT_EQ(Text(table.GetText(0, 0)), "Veltrano");
  EXPECT_EQ(table.GetText(5, 0), nullptr);

  EXPECT_EQ(table.SetTextTable(1, own.data()), kTextOk);
  EXPECT_EQ(table.ProductCount(), 2);
  table.SetLanguage(1);
  EXPECT_EQ(Text(table.GetText(5, 0)), "5");
  EXPECT_EQ(table.GetText(0, 0), nullptr);  // language 1 has its own table now
  table.SetLanguage(0);
  EXPECT_EQ(Text(table.GetText(0x138E, 0)), "Could not create main window!");
}

// A short table in one slot and a long one in the other: a search in the
// short one must stay within it.
TEST(TextTable, EachSlotSearchesWithinItsOwnTable) {
  std::vector<std::uint32_t> many;
  for (std::uint32_t i = 1; i <= 60; ++i) many.push_back(i * 10);
  OwnTable shortTable({10, 20});
  OwnTable longTable(many);
  CTextTable t;
  t.InitTextTable();
  ASSERT_EQ(t.SetTextTable(0, shortTable.data()), kTextOk);
  ASSERT_EQ(t.SetTextTable(1, longTable.data()), kTextOk);
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
  ASSERT_EQ(t.SetTextTable(0, own.data()), kTextOk);
  EXPECT_TRUE(t.SetText(20, 3, "status"));
  EXPECT_EQ(Text(t.GetText(20, 3)), "status");
  EXPECT_EQ(Text(t.GetText(20, 0)), "20");
  EXPECT_FALSE(t.SetText(25, 0, "x"));
  EXPECT_FALSE(t.SetText(20, 16, "x"));
  EXPECT_FALSE(t.SetText(0xFFFF, 0, "x"));
  EXPECT_FALSE(t.SetText(0xF200, 0, "x"));  // the framework table is not searched
  EXPECT_EQ(Text(t.GetText(0xF200, 0)), "OK");

  t.SetLanguage(1);  // no table of its own: writes where reads come from
  EXPECT_TRUE(t.SetText(30, 1, "second"));
  EXPECT_EQ(Text(t.GetText(30, 1)), "second");
}

TEST(ProcessTextTable, IsReadyOnFirstUse) {
  EXPECT_EQ(Text(GetText(0, 0)), "Veltrano");
  EXPECT_EQ(Text(GetText(0, 1)), "(All Others)");
  EXPECT_EQ(Text(GetText(0xF200, 1)), "Cancel");
  EXPECT_EQ(&ProcessTextTable(), &ProcessTextTable());
}

}  // namespace
