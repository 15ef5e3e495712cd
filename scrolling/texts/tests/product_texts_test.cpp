#include "scrolling/texts/product_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "tests/support/product/use_product_texts.h"
#include "tests/support/test_support.h"

namespace {

using test_support::Text;

// The product's records, installed as start-up installs them, each found
// under its own id and none among the framework's.
TEST(ProductTexts, EveryRecordIsFoundAfterInstalling) {
  const CTextTable& table = UseProductTexts();
  std::set<unsigned> seen;
  TextRecord* const base = ProductTexts();
  int n = 0;
  for (; (base[n].id & 0xFFFFu) != kTextTableEnd; ++n) {
    const unsigned id = base[n].id & 0xFFFFu;
    EXPECT_LT(id, kFirstFrameworkTextId);
    EXPECT_TRUE(seen.insert(id).second) << "duplicate id " << id;
    for (unsigned index = 0; index < kTextsPerRecord; ++index) {
      const char* const stored = base[n].text[index];  // a copy: the record is packed
      EXPECT_EQ(GetText(id, index), stored) << id << "/" << index;
    }
  }
  EXPECT_EQ(n, 16);
  EXPECT_EQ(table.ProductCount(), 16);
}

TEST(ProductTexts, Texts) {
  UseProductTexts();
  const struct { unsigned id, index; const char* want; } cases[] = {
      {0, 0, "Veltrano"}, {0, 1, "(All Others)"}, {110, 2, "Mouse wheel (fine)"},
      {120, 2, "Horizontal mouse wheel (fine)"}, {130, 3, "Command line"}, {140, 0, "Middle button"}, {140, 3, nullptr},
      {5008, 0, "Could not set system hooks!\nPlease restart the computer if the problem persists."},
      {0x1393, 0, "The Hot-Key could not be set!"}, {1, 0, nullptr}, {0xF200, 3, "Help"},
  };
  for (const auto& c : cases) EXPECT_EQ(Text(GetText(c.id, c.index)), Text(c.want)) << c.id << "/" << c.index;
  const char filter[] = "Executable Files (.EXE)\0*.EXE\0All Files (*.*)\0*.*\0";
  ASSERT_NE(GetText(0, 2), nullptr);
  EXPECT_EQ(std::memcmp(GetText(0, 2), filter, sizeof filter), 0);
}

}  // namespace
