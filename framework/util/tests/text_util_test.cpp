#include "framework/util/text_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Paths, TrailingBackslash) {
  char p[260] = "C:\\data";
  AddTrailingBackslash(p);
  EXPECT_STREQ(p, "C:\\data\\");
  AddTrailingBackslash(p);
  EXPECT_STREQ(p, "C:\\data\\");
  RemoveTrailingBackslash(p);
  EXPECT_STREQ(p, "C:\\data");
  RemoveTrailingBackslash(p);
  EXPECT_STREQ(p, "C:\\data");

  char empty[260] = "";
  AddTrailingBackslash(empty);
  EXPECT_STREQ(empty, "");

  // A full buffer is left alone rather than overrun.
  char full[8] = "abcdefg";
  AddTrailingBackslash(full, sizeof full);
  EXPECT_STREQ(full, "abcdefg");
}

TEST(Paths, JoinRefusesWhatDoesNotFit) {
  char out[12];
  EXPECT_TRUE(JoinPath(out, sizeof out, "C:\\a", "b.txt"));
  EXPECT_STREQ(out, "C:\\a\\b.txt");
  EXPECT_FALSE(JoinPath(out, sizeof out, "C:\\a", "bcd.txt"));  // 12 characters and the NUL
  EXPECT_STREQ(out, "");
}

TEST(Paths, CopyAndAppendAreBounded) {
  char out[6];
  EXPECT_TRUE(CopyText(out, sizeof out, "abc"));
  EXPECT_TRUE(AppendText(out, sizeof out, "de"));
  EXPECT_STREQ(out, "abcde");
  EXPECT_FALSE(AppendText(out, sizeof out, "f"));
  EXPECT_STREQ(out, "abcde");
  EXPECT_FALSE(CopyText(out, sizeof out, "0123456789"));
  EXPECT_STREQ(out, "01234");
}

TEST(Paths, CutAtLastBackslash) {
  char p[] = "C:\\a\\b";
  char* cut = CutAtLastBackslash(p);
  ASSERT_NE(cut, nullptr);
  EXPECT_STREQ(p, "C:\\a");
  char q[] = "name";
  EXPECT_EQ(CutAtLastBackslash(q), nullptr);
}

TEST(Strings, EndsWithNoCase) {
  const char* text = "FILE.EXE";
  EXPECT_EQ(EndsWithNoCase(text, ".exe"), text + 4);
  EXPECT_EQ(EndsWithNoCase(text, ".dll"), nullptr);
  EXPECT_EQ(EndsWithNoCase(text, ""), nullptr);
  EXPECT_EQ(EndsWithNoCase("", "a"), nullptr);
  EXPECT_EQ(EndsWithNoCase("exe", "a.exe"), nullptr);
  EXPECT_EQ(EndsWithNoCase(text, "file.exe"), text);
}

TEST(Strings, FindNoCase) {
  const char* text = "Hello World";
  EXPECT_EQ(FindNoCase(text, "WORLD"), text + 6);
  EXPECT_EQ(FindNoCase(text, "o w"), text + 4);
  EXPECT_EQ(FindNoCase(text, "worlds"), nullptr);
  EXPECT_EQ(FindNoCase(text, "xyz"), nullptr);
  EXPECT_TRUE(EqualNoCase("-Quit", "-QUIT"));
  EXPECT_FALSE(EqualNoCase("-QUITX", "-QUIT"));
}

TEST(ReplaceAll, InsertedTextIsNotSearchedAgain) {
  char text[32] = "aaa";
  EXPECT_EQ(ReplaceAllInPlace(text, sizeof text, "a", "aa", 0), 3);
  EXPECT_STREQ(text, "aaaaaa");
}

TEST(ReplaceAll, ShrinkingAndNoMatch) {
  char text[32] = "%APP%\\x\\%APP%";
  EXPECT_EQ(ReplaceAllInPlace(text, sizeof text, "%APP%", "V", 0), 2);
  EXPECT_STREQ(text, "V\\x\\V");
  EXPECT_EQ(ReplaceAllInPlace(text, sizeof text, "zz", "y", 0), 0);
  EXPECT_STREQ(text, "V\\x\\V");
}

TEST(ReplaceAll, EmptyOrMissingSearchFails) {
  char text[16] = "abc";
  EXPECT_EQ(ReplaceAllInPlace(text, sizeof text, "", "x", 1), -1);
  EXPECT_EQ(ReplaceAllInPlace(nullptr, sizeof text, "a", "x", 1), -1);
  EXPECT_EQ(ReplaceAllInPlace(text, sizeof text, nullptr, "x", 1), -1);
  EXPECT_EQ(ReplaceAllInPlace(text, sizeof text, "a", nullptr, 1), -1);
  EXPECT_STREQ(text, "abc");
}

TEST(ReplaceAll, OverflowWithoutTruncateKeepsEarlierReplacements) {
  char text[8] = "a-a-a";  // 5 chars, room for 7
  EXPECT_EQ(ReplaceAllInPlace(text, sizeof text, "a", "bb", 0), -1);
  // Two replacements fit (lengths 6 and 7); the third would need 8 + NUL.
  EXPECT_STREQ(text, "bb-bb-a");
}

TEST(ReplaceAll, TruncateFillsTheBufferExactly) {
  char text[8] = "x-a";
  EXPECT_EQ(ReplaceAllInPlace(text, sizeof text, "x", "123456", 1), 1);
  EXPECT_STREQ(text, "12345-a");
  EXPECT_EQ(std::strlen(text), sizeof text - 1);
}

TEST(ReplaceAll, UnterminatedTextIsRejected) {
  char text[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(ReplaceAllInPlace(text, sizeof text, "a", "b", 1), -1);
}

TEST(Numbers, ClampToRange) {
  int v = 5;
  EXPECT_EQ(ClampToRange(v, 10, 1), 0);
  v = 0;
  EXPECT_EQ(ClampToRange(v, 10, 1), -1);
  EXPECT_EQ(v, 1);
  v = 11;
  EXPECT_EQ(ClampToRange(v, 10, 1), 1);
  EXPECT_EQ(v, 10);
  double d = -2.5;
  EXPECT_EQ(ClampToRange(d, 0.0, 1.0), -1);
  EXPECT_EQ(d, 0.0);
}

TEST(Numbers, SetFlagBitsUsesTheLowByte) {
  std::uint32_t flags = 0x10;
  SetFlagBits(flags, 0x3, 1);
  EXPECT_EQ(flags, 0x13u);
  SetFlagBits(flags, 0x1, 0x100);  // low byte 0: clears
  EXPECT_EQ(flags, 0x12u);
}

TEST(Lists, NextListItemSplitsAndEndsAtEmptyRemainder) {
  const char* cursor = "*.oqc;Options.*;";
  char item[16];
  std::string seen;
  while (NextListItem(cursor, ';', item, sizeof item)) seen += std::string("[") + item + "]";
  EXPECT_EQ(seen, "[*.oqc][Options.*]");

  cursor = "a;;b";
  seen.clear();
  while (NextListItem(cursor, ';', item, sizeof item)) seen += std::string("[") + item + "]";
  EXPECT_EQ(seen, "[a][][b]");

  cursor = "";
  EXPECT_FALSE(NextListItem(cursor, ';', item, sizeof item));
}
