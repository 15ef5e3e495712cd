#include "framework/hotkey/key_names.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>
#include <string>

namespace {

std::array<KeyNameEntry, kKeyNameCount> CopyOfTable() {
  std::array<KeyNameEntry, kKeyNameCount> copy{};
  std::memcpy(copy.data(), KeyNameTable(), sizeof copy);
  return copy;
}

TEST(KeyNameTable, RowsAsStored) {
  struct Row {
    unsigned code;
    const char* vkName;
    const char* description;
    const char* display;
  };
  const Row rows[] = {
      {0x00, "NONE", "None", ""},
      {0x07, "0x07", "Undefined", ""},
      {0x08, "VK_BACK", "BACKSPACE key", "Backspace"},
      {0x15, "VK_KANA_HANGUL", "IME Kana / Hangul mode", ""},
      {0x16, "0x16", "Undefined", ""},
      {0x19, "VK_HANJA_KANJI", "IME Hanja / Kanji mode", ""},
      {0x2C, "VK_SNAPSHOT", "PRINT SCREEN key", "Print Screen"},
      {0x30, "0", "0 key", "0"},
      {0x5A, "Z", "Z key", "Z"},
      {0x5B, "VK_LWIN", "Left Windows key", "Left Win"},
      {0x69, "VK_NUMPAD9", "Numeric keypad 9 key", "Numpad 9"},
      {0x70, "VK_F1", "F1 key", "F1"},
      {0x87, "VK_F24", "F24 key", "F24"},
      {0x88, "0x88", "Unassigned", ""},
      {0xA1, "VK_RSHIFT", "Right SHIFT key, FALSE", "Right Shift"},
      {0xBB, "VK_OEM_PLUS", "The '+' key in every layout", ""},
      {0xDF, "VK_OEM_8", "Keyboard specific", ""},
      {0xE2, "VK_OEM_102", "Keyboard specific", ""},
      {0xE7, "VK_PACKET", "Used to pass Unicode characters", ""},
      {0xF5, "0xF5", "OEM specific", ""},
      {0xFE, "VK_OEM_CLEAR", "Clear key", ""},
  };
  for (const Row& r : rows) {
    const KeyNameEntry* e = FindKeyName(r.code);
    ASSERT_NE(e, nullptr) << r.code;
    EXPECT_EQ(e->code, r.code);
    EXPECT_STREQ(e->vkName, r.vkName) << r.code;
    EXPECT_STREQ(e->description, r.description) << r.code;
    EXPECT_STREQ(e->displayName, r.display) << r.code;
    EXPECT_EQ(e->localName[0], '\0');
  }
  EXPECT_EQ(FindKeyName(255), nullptr);
}

TEST(KeyNameTable, CodesWithoutNameByCategory) {
  std::map<std::string, int> counts;
  for (unsigned code = 0; code < kKeyNameCount; ++code) {
    const KeyNameEntry* e = FindKeyName(code);
    const bool hexName = std::strncmp(e->vkName, "0x", 2) == 0;
    if (hexName) {
      char expected[5];
      std::snprintf(expected, sizeof expected, "0x%02X", code);
      EXPECT_STREQ(e->vkName, expected);
      ++counts[e->description];
    }
  }
  const std::map<std::string, int> expected = {
      {"Undefined", 12}, {"Reserved", 29}, {"Unassigned", 21}, {"OEM specific", 22}};
  EXPECT_EQ(counts, expected);
}

TEST(KeyNameTable, DisplayNames) {
  std::map<unsigned, std::string> expected = {
      {3, "Break"}, {8, "Backspace"}, {9, "Tab"}, {12, "Clear"}, {13, "Enter"}, {16, "Shift"}, {17, "Ctrl"},
      {18, "Alt"}, {19, "Pause"}, {20, "Caps Lock"}, {27, "Esc"}, {32, "Spacebar"}, {33, "Page Up"},
      {34, "Page Down"}, {35, "End"}, {36, "Home"}, {37, "Left"}, {38, "Up"}, {39, "Right"}, {40, "Down"},
      {41, "Select"}, {42, "Print"}, {43, "Excute"}, {44, "Print Screen"}, {45, "Ins"}, {46, "Del"},
      {47, "Help"}, {91, "Left Win"}, {92, "Right Win"}, {93, "Applications"}, {95, "Sleep"},
      {106, "Numpad *"}, {107, "Numpad +"}, {108, "Separator"}, {109, "Numpad -"}, {110, "Numpad ,"},
      {111, "Numpad /"}, {144, "Num Lock"}, {145, "Scroll Lock"}, {160, "Left Shift"}, {161, "Right Shift"},
      {162, "Left Ctrl"}, {163, "Right Ctrl"}, {164, "Left Alt"}, {165, "Right Alt"}, {166, "Browser Back"},
      {167, "Browser Forward"}, {168, "Browser Refresh"}, {169, "Browser Stop"}, {170, "Browser Search"},
      {171, "Browser Favorites"}, {172, "Browser Home"}, {173, "Volume Mute"}, {174, "Volume Down"},
      {175, "Volume Up"}, {176, "Media Next Track"}, {177, "Media Previous Track"}, {178, "Media Stop"},
      {179, "Media Play / Pause"}, {180, "Start Mail"}, {181, "Select Media"}, {182, "Start Application 1"},
      {183, "Start Application 2"}};
  for (unsigned c = '0'; c <= '9'; ++c) expected[c] = std::string(1, static_cast<char>(c));
  for (unsigned c = 'A'; c <= 'Z'; ++c) expected[c] = std::string(1, static_cast<char>(c));
  for (unsigned n = 0; n <= 9; ++n) expected[96 + n] = "Numpad " + std::to_string(n);
  for (unsigned n = 1; n <= 24; ++n) expected[111 + n] = "F" + std::to_string(n);
  for (unsigned code = 0; code < kKeyNameCount; ++code) {
    const auto it = expected.find(code);
    EXPECT_EQ(FindKeyName(code)->displayName, it == expected.end() ? std::string() : it->second) << code;
  }
}

// A keyboard layout of the test's own: characters and names by code, the
// extended-key name only when asked with bit 24.
std::map<std::uint32_t, std::int32_t> gCharacters;
std::map<std::int32_t, std::string> gNames;  // by lParam

std::int32_t FakeCharacter(std::uint32_t code) {
  const auto it = gCharacters.find(code);
  return it == gCharacters.end() ? 0 : it->second;
}
std::uint32_t FakeScan(std::uint32_t code) { return code == 0x3D ? 0 : code + 1; }
int FakeName(std::int32_t lParam, char* out, int capacity) {
  const auto it = gNames.find(lParam);
  if (it == gNames.end()) return 0;
  std::snprintf(out, static_cast<std::size_t>(capacity), "%s", it->second.c_str());
  return static_cast<int>(it->second.size());
}
std::int32_t Plain(std::uint32_t code) { return static_cast<std::int32_t>((code + 1) << 16); }

TEST(KeyNameTable, CompletionFromTheLayout) {
  gCharacters = {{0xBA, ';'}, {'A', 'a'}, {0xDE, -1}, {0x0D, '\r'}, {0xE2, 0xE4}};
  const std::string longName(40, 'n');
  gNames = {{Plain('A'), "A-Taste"}, {Plain(0x2D) | (1 << 24), "Einfg"}, {Plain(0x13), longName},
            {0, "Mute"}, {1 << 24, "Mute"}};
  auto table = CopyOfTable();
  CompleteKeyNameTable(table.data(), {FakeCharacter, FakeScan, FakeName});

  const std::string cut(31, 'n');
  struct Row {
    unsigned code;
    const char* display;
    const char* local;
  };
  const Row rows[] = {
      {0xBA, ";", ""},                  // empty display name takes the character
      {'A', "A", "A-Taste"},            // a display name is kept
      {0xDE, "", ""},                   // a dead key gives no character
      {0x0D, "Enter", ""},              // not printable
      {0xE2, "\xE4", ""},               // a character of the code page's upper half
      {0x2D, "Ins", "Einfg"},           // named only as an extended key
      {0x13, "Pause", cut.c_str()},  // cut to the field
      {0x3D, "", ""},                // no scan code: the layout has no such key
  };
  for (const Row& r : rows) {
    EXPECT_STREQ(table[r.code].displayName, r.display) << r.code;
    EXPECT_STREQ(table[r.code].localName, r.local) << r.code;
  }
  EXPECT_EQ(table[0x08].vkNameLength, 7);  // "VK_BACK"
  EXPECT_EQ(table[0x41].vkNameLength, 1);
  EXPECT_EQ(table[0x07].vkNameLength, 4);
}

TEST(KeyNameTable, ShownNameFallsBackToTheLayoutsThenTheKeysName) {
  auto& row = KeyNameTable()[0xBA];
  const KeyNameEntry saved = row;
  EXPECT_STREQ(KeyShownName(0xBA), "VK_OEM_1");
  std::strcpy(row.localName, "Semicolon");
  EXPECT_STREQ(KeyShownName(0xBA), "Semicolon");
  std::strcpy(row.displayName, ";");
  EXPECT_STREQ(KeyShownName(0xBA), ";");
  row = saved;
  EXPECT_EQ(KeyShownName(255), nullptr);
}

}  // namespace
