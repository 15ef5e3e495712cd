// The framework's stored records: the settings record "(Orvo)App" and the
// installation record that the installer writes to the registry. Both are
// little-endian, byte-packed and identical in the 32-bit and 64-bit builds.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

struct AppSettingsRecord {
  std::uint32_t languageIndex;
  std::uint32_t settingsVersion;
  std::uint8_t colorSchemeMode;  // 255 automatic, 0 classic, 1 derived, above 1 custom
  std::uint32_t customColor1;    // COLORREF values
  std::uint32_t customColor2;
  std::uint32_t customColor3;
  std::uint32_t customColor4;
  std::uint32_t customColor5;
  std::uint32_t customColor6;
  char uiFontFace[260];
  std::uint32_t uiFontSize;  // points, 0 = default
};

struct InstallRecord {
  std::uint8_t reserved0[16];
  std::uint16_t customDataPath;
  std::uint16_t perUserDataPath;
  char installFolder[260];
  char dataPath[260];
  std::uint8_t reserved1[260];
  char updateCheckUrl[260];
  char downloadUrl[260];
  std::uint8_t reserved2[6];
};

#pragma pack(pop)

static_assert(sizeof(AppSettingsRecord) == 297);
static_assert(offsetof(AppSettingsRecord, languageIndex) == 0);
static_assert(offsetof(AppSettingsRecord, settingsVersion) == 4);
static_assert(offsetof(AppSettingsRecord, colorSchemeMode) == 8);
static_assert(offsetof(AppSettingsRecord, customColor1) == 9);
static_assert(offsetof(AppSettingsRecord, customColor2) == 13);
static_assert(offsetof(AppSettingsRecord, customColor3) == 17);
static_assert(offsetof(AppSettingsRecord, customColor4) == 21);
static_assert(offsetof(AppSettingsRecord, customColor5) == 25);
static_assert(offsetof(AppSettingsRecord, customColor6) == 29);
static_assert(offsetof(AppSettingsRecord, uiFontFace) == 33);
static_assert(offsetof(AppSettingsRecord, uiFontSize) == 293);

static_assert(sizeof(InstallRecord) == 1326);
static_assert(offsetof(InstallRecord, customDataPath) == 16);
static_assert(offsetof(InstallRecord, perUserDataPath) == 18);
static_assert(offsetof(InstallRecord, installFolder) == 20);
static_assert(offsetof(InstallRecord, dataPath) == 280);
static_assert(offsetof(InstallRecord, updateCheckUrl) == 800);
static_assert(offsetof(InstallRecord, downloadUrl) == 1060);
static_assert(offsetof(InstallRecord, reserved2) == 1320);

inline constexpr std::uint8_t kColorSchemeAutomatic = 255;

// The settings a new data folder starts with.
inline AppSettingsRecord DefaultAppSettings() noexcept {
  AppSettingsRecord s{};
  s.colorSchemeMode = kColorSchemeAutomatic;
  s.customColor1 = 0x00EE6E18u;
  s.customColor3 = 0x0055ADFFu;
  return s;
}

// Applies what start-up does to a settings record just read: an unknown
// language slot falls back to the first, the font face (read from a file) is
// cut to its field, and the record takes the running program's settings
// version. Returns true when the stored version differed.
inline bool NormalizeAppSettings(AppSettingsRecord& s, std::uint32_t settingsVersion) noexcept {
  const bool changed = s.settingsVersion != settingsVersion;
  s.settingsVersion = settingsVersion;
  if (s.languageIndex >= 2) s.languageIndex = 0;
  s.uiFontFace[sizeof s.uiFontFace - 1] = '\0';
  return changed;
}
