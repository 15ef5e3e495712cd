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

TEST(IconTint, NoOpaquePixelLeavesTheIcon) {
  std::vector<std::uint8_t> colour = {10, 20, 30, 255, 40, 50, 60, 255};
  const std::vector<std::uint8_t> mask(8, 0xFF);
  const auto before = colour;
  EXPECT_FALSE(TintIconPixels(colour.data(), mask.data(), 2, 0xFFFFFF, 0));
  EXPECT_EQ(colour, before);
}

TEST(IconTint, MidGreyLandsBetweenTheColoursAndAlphaStays) {
  // One opaque grey pixel (blue 128 = the centre, so offset 0) and one
  // transparent pixel that must not change.
  std::vector<std::uint8_t> colour = {128, 128, 128, 200, 1, 2, 3, 4};
  const std::vector<std::uint8_t> mask = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  // light = white, shadow = 0x00102030 (red 0x30, green 0x20, blue 0x10)
  ASSERT_TRUE(TintIconPixels(colour.data(), mask.data(), 2, 0x00FFFFFF, 0x00102030));
  const double x = 384.0 / 765.0;
  EXPECT_EQ(colour[0], static_cast<int>(255 * x + 0x10 * (1 - x)));  // blue
  EXPECT_EQ(colour[1], static_cast<int>(255 * x + 0x20 * (1 - x)));  // green
  EXPECT_EQ(colour[2], static_cast<int>(255 * x + 0x30 * (1 - x)));  // red
  EXPECT_EQ(colour[3], 200);
  EXPECT_EQ((std::vector<std::uint8_t>(colour.begin() + 4, colour.end())), (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

TEST(IconTint, ExtremesAreClampedNotWrapped) {
  // Dark average, one bright pixel: x goes above 1 and the light channel
  // would pass 255; with the shadow brighter than the light, below 0.
  std::vector<std::uint8_t> colour = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0};
  const std::vector<std::uint8_t> mask(16, 0);
  ASSERT_TRUE(TintIconPixels(colour.data(), mask.data(), 4, 0x00FFFFFF, 0x00000000));
  EXPECT_EQ(colour[12], 255);
  EXPECT_EQ(colour[13], 255);
  EXPECT_EQ(colour[14], 255);

  std::vector<std::uint8_t> again = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0};
  ASSERT_TRUE(TintIconPixels(again.data(), mask.data(), 4, 0x00000000, 0x00FFFFFF));
  EXPECT_EQ(again[12], 0);
}
