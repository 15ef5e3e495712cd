#include "framework/app/app_records.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(AppSettings, DefaultsAndStoredBytes) {
  const AppSettingsRecord s = DefaultAppSettings();
  unsigned char bytes[sizeof s];
  std::memcpy(bytes, &s, sizeof s);
  EXPECT_EQ(bytes[8], 255);  // automatic colour scheme
  // customColor1 0x00EE6E18 little-endian at offset 9, customColor3 at 17.
  EXPECT_EQ(bytes[9], 0x18);
  EXPECT_EQ(bytes[10], 0x6E);
  EXPECT_EQ(bytes[11], 0xEE);
  EXPECT_EQ(bytes[12], 0x00);
  EXPECT_EQ(bytes[17], 0xFF);
  EXPECT_EQ(bytes[18], 0xAD);
  EXPECT_EQ(bytes[19], 0x55);
  EXPECT_EQ(+s.customColor2, 0u);
  EXPECT_EQ(+s.uiFontSize, 0u);
  EXPECT_EQ(s.uiFontFace[0], '\0');
}

TEST(AppSettings, NormalizeResetsLanguageAndTakesVersion) {
  AppSettingsRecord s = DefaultAppSettings();
  s.languageIndex = 5;
  s.settingsVersion = 7;
  EXPECT_TRUE(NormalizeAppSettings(s, 1));
  EXPECT_EQ(+s.languageIndex, 0u);
  EXPECT_EQ(+s.settingsVersion, 1u);
  s.languageIndex = 1;
  EXPECT_FALSE(NormalizeAppSettings(s, 1));
  EXPECT_EQ(+s.languageIndex, 1u);
}
