#include "framework/hotkey/hotkey_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace hotkey_vk;

TEST(HotKeyCore, KeystrokeValues) {
  struct Row {
    unsigned key;
    std::uint8_t modifiers;
    int expected;  // -1: the value stays as it was
  };
  const Row rows[] = {
      {kBack, 0, 0},                          // Backspace clears
      {kBack, kModCtrl | kModAlt, 0x0300},    // with modifiers held they stay
      {kControl, kModCtrl, -1},               // modifier keys alone change nothing
      {kShift, kModShift, -1},
      {kMenu, kModAlt, -1},
      {kLWin, kModWin, -1},
      {kRWin, 0, kRWin},                      // the right Windows key is a key of its own
      {'A', kModCtrl, 0x0241},
      {'A', 0, 'A'},                          // A released after Ctrl
      {kLControl, kModCtrl, 0x02A2},          // the sided codes are ordinary keys here
  };
  for (const Row& r : rows) {
    const auto v = HotKeyFromKeystroke(r.key, r.modifiers);
    EXPECT_EQ(v.has_value() ? int{*v} : -1, r.expected) << r.key;
  }
}

std::vector<unsigned> gDown;
bool IsDown(unsigned key) { return std::count(gDown.begin(), gDown.end(), key) > 0; }

TEST(HotKeyCore, HeldModifiersTestTheLeftWindowsKeyOnly) {
  gDown = {kControl, kMenu, kRWin};
  EXPECT_EQ(HeldModifiers(&IsDown), kModCtrl | kModAlt);
  gDown = {kShift, kLWin};
  EXPECT_EQ(HeldModifiers(&IsDown), kModShift | kModWin);
}

TEST(HotKeyCore, DialogChoice) {
  struct Row {
    std::vector<std::uint32_t> codes;
    std::uint8_t boxes;
    std::uint16_t expected;
  };
  const Row rows[] = {
      {{}, kModCtrl, 0},                                   // nothing selected
      {{kLControl, kLMenu}, 0, 0x02A4},                    // Left Alt with Ctrl
      {{'A', kLControl, 'B'}, kModShift, 0x0442},          // the last ordinary key, the boxes alone
      {{kRWin, kShift, kRControl, kMenu}, kModWin, 0x075C},// Windows as the key, the others added
      {{kLWin}, kModWin | kModAlt, 0x015B},                // its own box dropped
      {{kRMenu, kLShift, kLControl}, kModAlt, 0x06A5},
      {{kRShift, kLShift, kControl}, kModShift, 0x02A1},   // the first of a kind counts
      {{kRControl, kLControl}, kModCtrl | kModAlt, 0x01A3},
      {{0}, 0, 0},                                         // "NONE" as the key
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ChooseKeyCombination(r.codes.data(), static_cast<int>(r.codes.size()), r.boxes), r.expected)
        << r.codes.size() << " codes, first " << (r.codes.empty() ? 0 : r.codes[0]);
  }
}

constexpr std::uint32_t kPress = 0x00010001;
constexpr std::uint32_t kRelease = 0xC0010001;

TEST(HotKeyCore, DialogKeyEvents) {
  struct Step {
    unsigned key;
    std::uint32_t flags;
    std::uint8_t modifiers;
    const char* actions;  // c: cancel, b: boxes, f: fill
  };
  const Step steps[] = {
      {kControl, kPress, kModCtrl, "f"},          // a modifier lists but leaves the boxes
      {kControl, kPress, kModCtrl, ""},           // the same event again: nothing
      {'A', kPress, kModCtrl, "bf"},
      {'A', kRelease, kModCtrl, ""},              // same key and modifiers
      {kControl, kRelease, 0, ""},                // changed, but a release lists nothing
      {kSnapshot, kRelease, 0, "bf"},             // Print Screen is seen on its release only
      {kEscape, kPress, 0, "bf"},                 // 1
      {kEscape, kPress, 0, ""},                   // a repeat does not count
      {kEscape, kRelease, 0, ""},                 // 2
      {kEscape, kPress, 0, ""},                   // 3
      {kEscape, kRelease, 0, "c"},                // finds three before it
      {kEscape, kPress, 0, ""},                   // counting starts again
      {kEscape, kRelease, 0, ""},
      {'B', kPress, 0, "bf"},                     // another key resets the count
      {kEscape, kPress, 0, "bf"},
      {kEscape, kRelease, 0, ""},
      {kEscape, kPress, 0, ""},
      {kEscape, kRelease, 0, "c"},
  };
  CKeyComboFilter filter;
  int i = 0;
  for (const Step& s : steps) {
    const KeyComboAction a = filter.OnKey(s.key, s.flags, s.modifiers);
    std::string got = std::string(a.cancel ? "c" : "") + (a.setBoxes ? "b" : "") + (a.fill ? "f" : "");
    EXPECT_EQ(got, s.actions) << "step " << i++;
  }
  filter.ForgetKey();
  EXPECT_TRUE(filter.OnKey(kEscape, kPress, 0).fill);  // listed again though the key is the same
  filter.Reset();
  EXPECT_TRUE(filter.OnKey(kEscape, kPress, 0).fill);  // the same event is new after a reset
}

TEST(HotKeyCore, ListedCandidates) {
  std::uint8_t state[256] = {};
  bool candidate[kKeyNameCount];
  const auto count = [&] { return std::count(candidate, candidate + kKeyNameCount, true); };
  state[kLControl] = 0x81;
  state['Q'] = 0x01;  // toggled, not down
  state[0xFF] = 0x80;  // beyond the table
  EXPECT_FALSE(KeyComboCandidates(state, 0, candidate));
  EXPECT_EQ(count(), kKeyNameCount);
  EXPECT_TRUE(KeyComboCandidates(state, 'A', candidate));
  EXPECT_EQ(count(), 2);
  EXPECT_TRUE(candidate['A'] && candidate[kLControl]);
}

TEST(HotKeyCore, FormattedNames) {
  KeyNameEntry* table = KeyNameTable();
  const std::vector<KeyNameEntry> saved(table, table + kKeyNameCount);
  std::strcpy(table[kControl].localName, "Strg");
  std::strcpy(table[kShift].localName, "Umschalt");
  std::strcpy(table[kMenu].localName, "Alt");
  std::strcpy(table[kLWin].localName, "Win");
  struct Row {
    std::uint16_t value;
    const char* text;
  };
  const Row rows[] = {
      {0, "NONE"},
      {0x0241, "Strg + A"},
      {0x0F5C, "Strg + Umschalt + Alt + Win + Right Win"},  // fixed order of the modifiers
      {0x0300, "Strg + Alt + NONE"},
      {0x04FF, "Umschalt + "},  // modifiers only
      {0x0007, "0x07"},         // no display or layout name: the virtual-key name
  };
  for (const Row& r : rows) EXPECT_STREQ(FormatHotKeyName(r.value), r.text) << r.value;
  std::copy(saved.begin(), saved.end(), table);
}

}  // namespace
