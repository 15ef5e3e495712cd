#include "framework/util/text_util.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

TEST(Paths, BackslashesJoinCopyAndCut) {
  char p[260] = "C:\\data";
  AddTrailingBackslash(p);
  AddTrailingBackslash(p);
  EXPECT_STREQ(p, "C:\\data\\");
  RemoveTrailingBackslash(p);
  RemoveTrailingBackslash(p);
  EXPECT_STREQ(p, "C:\\data");
  char empty[260] = "";
  AddTrailingBackslash(empty);
  EXPECT_STREQ(empty, "");
  char full[8] = "abcdefg";  // a full buffer is left alone rather than overrun
  AddTrailingBackslash(full, sizeof full);
  EXPECT_STREQ(full, "abcdefg");

  char out[12];
  EXPECT_TRUE(JoinPath(out, sizeof out, "C:\\a", "b.txt"));
  EXPECT_STREQ(out, "C:\\a\\b.txt");
  EXPECT_FALSE(JoinPath(out, sizeof out, "C:\\a", "bcd.txt"));  // 12 characters and the NUL
  EXPECT_STREQ(out, "");

  char small[6];
  EXPECT_TRUE(CopyText(small, sizeof small, "abc"));
  EXPECT_TRUE(AppendText(small, sizeof small, "de"));
  EXPECT_FALSE(AppendText(small, sizeof small, "f"));
  EXPECT_STREQ(small, "abcde");
  EXPECT_FALSE(CopyText(small, sizeof small, "0123456789"));
  EXPECT_STREQ(small, "01234");

  char path[] = "C:\\a\\b";
  EXPECT_EQ(CutAtLastBackslash(path), path + 4);
  EXPECT_STREQ(path, "C:\\a");
  char name[] = "name";
  EXPECT_EQ(CutAtLastBackslash(name), nullptr);
}

TEST(Strings, CaseInsensitiveSearches) {
  const char* file = "FILE.EXE";
  const char* hello = "Hello World";
  const struct { const char* (*fn)(const char*, const char*); const char* text; const char* part; int at; } cases[] = {
      {EndsWithNoCase, file, ".exe", 4},   {EndsWithNoCase, file, ".dll", -1}, {EndsWithNoCase, file, "", -1},
      {EndsWithNoCase, "", "a", -1},       {EndsWithNoCase, "exe", "a.exe", -1}, {EndsWithNoCase, file, "file.exe", 0},
      {FindNoCase, hello, "WORLD", 6},     {FindNoCase, hello, "o w", 4},      {FindNoCase, hello, "worlds", -1},
      {FindNoCase, hello, "xyz", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.part);
    EXPECT_EQ(c.fn(c.text, c.part), c.at < 0 ? nullptr : c.text + c.at);  // -1: not found
  }
  EXPECT_TRUE(EqualNoCase("-Quit", "-QUIT"));
  EXPECT_FALSE(EqualNoCase("-QUITX", "-QUIT"));
}

TEST(ReplaceAll, CountsGrowsShrinksAndRefuses) {
  const struct { const char *text; std::size_t capacity; const char *find, *replacement; std::uint8_t truncate;
                 int want; const char* after; } cases[] = {
      {"aaa", 32, "a", "aa", 0, 3, "aaaaaa"},  // inserted text is not searched again
      {"%APP%\\x\\%APP%", 32, "%APP%", "V", 0, 2, "V\\x\\V"},
      {"V\\x\\V", 32, "zz", "y", 0, 0, "V\\x\\V"},
      {"abc", 16, "", "x", 1, -1, "abc"},  // an empty search text would match forever
      // Two replacements fit (lengths 6 and 7); the third would need 8 + NUL.
      {"a-a-a", 8, "a", "bb", 0, -1, "bb-bb-a"},
      {"x-a", 8, "x", "123456", 1, 1, "12345-a"},  // truncation fills the buffer exactly
      {"abcd", 4, "a", "b", 1, -1, "abcd"},        // no terminator within the capacity
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    char text[32] = {};
    std::strcpy(text, c.text);
    EXPECT_EQ(ReplaceAllInPlace(text, c.capacity, c.find, c.replacement, c.truncate), c.want);
    EXPECT_STREQ(text, c.after);
  }
  char text[16] = "abc";
  EXPECT_EQ(ReplaceAllInPlace(nullptr, sizeof text, "a", "x", 1), -1);
  EXPECT_EQ(ReplaceAllInPlace(text, sizeof text, nullptr, "x", 1), -1);
  EXPECT_EQ(ReplaceAllInPlace(text, sizeof text, "a", nullptr, 1), -1);
  EXPECT_STREQ(text, "abc");
}

TEST(Numbers, ClampToRangeAndFlagBits) {
  for (const auto& c : {std::array<int, 3>{5, 0, 5}, {0, -1, 1}, {11, 1, 10}}) {  // value, result, value after
    int v = c[0];
    EXPECT_EQ(ClampToRange(v, 10, 1), c[1]) << c[0];
    EXPECT_EQ(v, c[2]);
  }
  double d = -2.5;
  EXPECT_EQ(ClampToRange(d, 0.0, 1.0), -1);
  EXPECT_EQ(d, 0.0);

  std::uint32_t flags = 0x10;
  SetFlagBits(flags, 0x3, 1);
  EXPECT_EQ(flags, 0x13u);
  SetFlagBits(flags, 0x1, 0x100);  // low byte 0: clears
  EXPECT_EQ(flags, 0x12u);
}

TEST(Lists, NextListItemSplitsAndEndsAtEmptyRemainder) {
  const auto split = [](const char* cursor) {
    char item[16];
    std::string seen;
    while (NextListItem(cursor, ';', item, sizeof item)) seen += std::string("[") + item + "]";
    return seen;
  };
  EXPECT_EQ(split("*.oqc;Options.*;"), "[*.oqc][Options.*]");
  EXPECT_EQ(split("a;;b"), "[a][][b]");
  EXPECT_EQ(split(""), "");
}
