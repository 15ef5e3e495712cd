#include "framework/util/crc32.h"

#include <gtest/gtest.h>

#include <string>

TEST(Crc32, KnownCheckValues) {
  EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Crc32("abc", 3), 0x352441C2u);
  EXPECT_EQ(Crc32("123456789", kCrc32String), 0xCBF43926u);
  EXPECT_EQ(Crc32("", kCrc32String), 0u);
  EXPECT_EQ(Crc32(nullptr, 4), 0u);
}

TEST(Crc32, PiecewiseUpdateEqualsWhole) {
  const std::string text = "The quick brown fox jumps over the lazy dog";
  std::uint32_t crc = 0;
  for (std::size_t i = 0; i < text.size(); i += 7) {
    crc = UpdateCrc32(crc, text.data() + i, std::min<std::size_t>(7, text.size() - i));
  }
  EXPECT_EQ(crc, 0x414FA339u);
  EXPECT_EQ(crc, Crc32(text.data(), text.size()));
}
