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

TEST(InstallRecord, FieldsSitWhereTheInstallerPutsThem) {
  unsigned char raw[1326] = {};
  raw[16] = 1;
  raw[18] = 1;
  std::memcpy(raw + 20, "C:\\Program Files\\V", 19);
  std::memcpy(raw + 280, "D:\\Data", 8);
  std::memcpy(raw + 800, "http://u", 9);
  std::memcpy(raw + 1060, "http://d", 9);
  InstallRecord r;
  std::memcpy(&r, raw, sizeof r);
  EXPECT_EQ(+r.customDataPath, 1);
  EXPECT_EQ(+r.perUserDataPath, 1);
  EXPECT_STREQ(r.installFolder, "C:\\Program Files\\V");
  EXPECT_STREQ(r.dataPath, "D:\\Data");
  EXPECT_STREQ(r.updateCheckUrl, "http://u");
  EXPECT_STREQ(r.downloadUrl, "http://d");
}
