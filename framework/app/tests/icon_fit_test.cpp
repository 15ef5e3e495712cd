#include "framework/app/icon_fit.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// An icon group directory of (width, bit count, id) entries.
std::vector<std::uint8_t> Directory(const std::vector<std::array<int, 3>>& entries) {
  std::vector<std::uint8_t> d(6 + 14 * entries.size(), 0);
  d[2] = 1;
  d[4] = static_cast<std::uint8_t>(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::uint8_t* e = d.data() + 6 + 14 * i;
    e[0] = e[1] = static_cast<std::uint8_t>(entries[i][0]);
    e[6] = static_cast<std::uint8_t>(entries[i][1]);
    e[12] = static_cast<std::uint8_t>(entries[i][2]);
  }
  return d;
}

}  // namespace

TEST(IconFit, ClosestWidthFirstOfEqualsAndLowerDepths) {
  const auto mixed = Directory({{16, 8, 1}, {32, 32, 2}, {48, 32, 3}});
  const auto eightBit = Directory({{16, 8, 5}, {32, 8, 6}});
  const struct { const std::vector<std::uint8_t>* dir; int depth, size; IconChoice want; int id; } cases[] = {
      {&mixed, 3, 40, IconChoice::kChosen, 2},  // 32 and 48 are both 8 away: the first wins
      {&mixed, 3, 48, IconChoice::kChosen, 3},
      {&mixed, 3, 46, IconChoice::kChosen, 3},
      {&mixed, 3, 0, IconChoice::kChosen, 2},  // size 0: the first of the depth
      {&eightBit, 3, 32, IconChoice::kChosen, 6},
      {&eightBit, 9, 16, IconChoice::kChosen, 5},       // above 3 means 3
      {&eightBit, 1, 32, IconChoice::kSystemChoice, 0},  // asking for 4 bits never climbs up to 8
      {&eightBit, -1, 32, IconChoice::kSystemChoice, 0},
  };
  for (const auto& c : cases) {
    std::uint16_t id = 0;
    EXPECT_EQ(ChooseIconImage(c.dir->data(), c.dir->size(), c.depth, c.size, id), c.want) << c.depth << "/" << c.size;
    EXPECT_TRUE(c.want != IconChoice::kChosen || id == c.id) << c.depth << "/" << c.size << ": " << id;
  }
}

TEST(IconFit, ShortDirectoryIsRejected) {
  auto d = Directory({{32, 32, 2}, {48, 32, 3}});
  d.resize(d.size() - 1);
  std::uint16_t id = 0;
  EXPECT_EQ(ChooseIconImage(d.data(), d.size(), 3, 32, id), IconChoice::kBadDirectory);
  EXPECT_EQ(ChooseIconImage(nullptr, 0, 3, 32, id), IconChoice::kBadDirectory);
  const std::uint8_t header[5] = {0, 0, 1, 0, 0};
  EXPECT_EQ(ChooseIconImage(header, sizeof header, 3, 32, id), IconChoice::kBadDirectory);
}
