#include "framework/hotkey/key_names_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Start-up's completion against the system's layout: every row gets its
// name length, and keys that the layout knows get its name for them.
TEST(KeyNameTableWin32, CompletedFromTheSystemLayout) {
  CompleteKeyNameTable();
  const KeyNameEntry* table = KeyNameTable();
  for (int code = 0; code < kKeyNameCount; ++code) {
    EXPECT_EQ(table[code].vkNameLength, std::strlen(table[code].vkName)) << code;
    EXPECT_LT(std::strlen(table[code].localName), sizeof table[code].localName);
  }
  char expected[64] = {};
  ASSERT_GT(GetKeyNameTextA(static_cast<LONG>(MapVirtualKeyA('Q', MAPVK_VK_TO_VSC) << 16), expected, 64), 0);
  EXPECT_STREQ(table['Q'].localName, expected);
  EXPECT_STRNE(table[VK_SPACE].localName, "");
  EXPECT_STREQ(table['Q'].displayName, "Q");  // the stored name stays
}

}  // namespace
