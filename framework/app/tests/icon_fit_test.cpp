#include "framework/app/icon_fit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
struct Entry {
  std::uint8_t width;
  std::uint16_t bits;
  std::uint16_t id;
};

std::vector<std::uint8_t> Directory(const std::vector<Entry>& entries) {
  std::vector<std::uint8_t> d(6 + 14 * entries.size(), 0);
  d[2] = 1;
  d[4] = static_cast<std::uint8_t>(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::uint8_t* e = d.data() + 6 + 14 * i;
    e[0] = entries[i].width;
    e[1] = entries[i].width;
    e[6] = static_cast<std::uint8_t>(entries[i].bits);
    e[7] = static_cast<std::uint8_t>(entries[i].bits >> 8);
    e[12] = static_cast<std::uint8_t>(entries[i].id);
    e[13] = static_cast<std::uint8_t>(entries[i].id >> 8);
  }
  return d;
}

IconChoice Choose(const std::vector<std::uint8_t>& d, int depth, int size, std::uint16_t& id) {
  return ChooseIconImage(d.data(), d.size(), depth, size, id);
}
}  // namespace

TEST(IconFit, ClosestWidthFirstOfEquals) {
  const auto d = Directory({{16, 8, 1}, {32, 32, 2}, {48, 32, 3}});
  std::uint16_t id = 0;
  ASSERT_EQ(Choose(d, 3, 40, id), IconChoice::kChosen);
  EXPECT_EQ(id, 2);  // 32 and 48 are both 8 away: the first wins
  ASSERT_EQ(Choose(d, 3, 48, id), IconChoice::kChosen);
  EXPECT_EQ(id, 3);
  ASSERT_EQ(Choose(d, 3, 46, id), IconChoice::kChosen);
  EXPECT_EQ(id, 3);
  ASSERT_EQ(Choose(d, 3, 0, id), IconChoice::kChosen);
  EXPECT_EQ(id, 2);  // size 0: the first of the depth
}

TEST(IconFit, FallsBackToLowerDepthsThenToTheSystem) {
  const auto eightBit = Directory({{16, 8, 5}, {32, 8, 6}});
  std::uint16_t id = 0;
  ASSERT_EQ(Choose(eightBit, 3, 32, id), IconChoice::kChosen);
  EXPECT_EQ(id, 6);
  // Asking for 4 bits never climbs up to 8.
  EXPECT_EQ(Choose(eightBit, 1, 32, id), IconChoice::kSystemChoice);
  EXPECT_EQ(Choose(eightBit, -1, 32, id), IconChoice::kSystemChoice);
  ASSERT_EQ(Choose(eightBit, 9, 16, id), IconChoice::kChosen);  // above 3 means 3
  EXPECT_EQ(id, 5);
}

TEST(IconFit, ShortDirectoryIsRejected) {
  auto d = Directory({{32, 32, 2}, {48, 32, 3}});
  d.resize(d.size() - 1);
  std::uint16_t id = 0;
  EXPECT_EQ(Choose(d, 3, 32, id), IconChoice::kBadDirectory);
  EXPECT_EQ(ChooseIconImage(nullptr, 0, 3, 32, id), IconChoice::kBadDirectory);
  const std::uint8_t header[5] = {0, 0, 1, 0, 0};
  EXPECT_EQ(ChooseIconImage(header, sizeof header, 3, 32, id), IconChoice::kBadDirectory);
}

