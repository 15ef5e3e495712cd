#include "framework/base/app_records.h"

#include <gtest/gtest.h>

#include <cstring>

// The layout is held by the header's static_asserts; these are the values a
// new data folder starts with and what start-up does to a record read back.
TEST(AppSettings, DefaultsAndNormalizing) {
  AppSettingsRecord s = DefaultAppSettings();
  EXPECT_EQ(+s.colorSchemeMode, 255u);  // automatic
  EXPECT_EQ(+s.customColor1, 0x00EE6E18u);
  EXPECT_EQ(+s.customColor3, 0x0055ADFFu);
  EXPECT_EQ(+s.customColor2 | s.uiFontSize | static_cast<unsigned>(s.uiFontFace[0]), 0u);

  s.languageIndex = 5;
  s.settingsVersion = 7;
  EXPECT_TRUE(NormalizeAppSettings(s, 1));
  EXPECT_EQ(+s.languageIndex, 0u);
  EXPECT_EQ(+s.settingsVersion, 1u);
  s.languageIndex = 1;
  EXPECT_FALSE(NormalizeAppSettings(s, 1));
  EXPECT_EQ(+s.languageIndex, 1u);
  // A face that fills its whole field in the file is cut, not read past.
  std::memset(s.uiFontFace, 'F', sizeof s.uiFontFace);
  (void)NormalizeAppSettings(s, 1);
  EXPECT_EQ(std::strlen(s.uiFontFace), sizeof s.uiFontFace - 1);
}
