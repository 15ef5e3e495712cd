#include "scrolling/engine/profile_match.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

TEST(ContainsNoCase, SubstringIgnoringAsciiCase) {
  EXPECT_TRUE(ContainsNoCase("C:\\PROGRAM FILES\\DEVENV.EXE", "devenv.exe"));
  EXPECT_TRUE(ContainsNoCase("MozillaWindowClass", "windowclass"));
  EXPECT_TRUE(ContainsNoCase("abc", "ABC"));
  EXPECT_TRUE(ContainsNoCase("aab", "ab"));  // a second start after a partial match
  EXPECT_FALSE(ContainsNoCase("abc", "abcd"));
  EXPECT_FALSE(ContainsNoCase("abc", "bd"));
  EXPECT_FALSE(ContainsNoCase("ab", "b\xC4"));
  // Only ASCII letters fold: other bytes of the code page compare exactly.
  EXPECT_FALSE(ContainsNoCase("\xC4", "\xE4"));
  EXPECT_FALSE(ContainsNoCase("[", "{"));  // '[' + 32 is '{'
  EXPECT_FALSE(ContainsNoCase("@", "`"));
}

TEST(ContainsNoCase, EmptyPatternOccursEverywhere) {
  EXPECT_TRUE(ContainsNoCase("anything", ""));
  EXPECT_TRUE(ContainsNoCase("", ""));
  EXPECT_FALSE(ContainsNoCase("", "x"));
}

TEST(EqualsNoCase, WholeTextOnly) {
  EXPECT_TRUE(EqualsNoCase("SCROLLBAR", "ScrollBar"));
  EXPECT_FALSE(EqualsNoCase("ScrollBar2", "ScrollBar"));
  EXPECT_FALSE(EqualsNoCase("ScrollBa", "ScrollBar"));
}

Profile Patterns(const char* path, const char* caption, const char* cls) {
  Profile p{};
  std::strcpy(p.szPrgPath, path);
  std::strcpy(p.szWndCaption, caption);
  std::strcpy(p.szWndClass, cls);
  return p;
}

TEST(ProfileMatches, AllThreeTestsMustHold) {
  const Profile outlook = Patterns("OUTLOOK.EXE", "Message", "_WwG");
  EXPECT_TRUE(ProfileMatches(outlook, "C:\\Office\\outlook.exe", "New Message - Outlook", "_WwG"));
  EXPECT_FALSE(ProfileMatches(outlook, "C:\\Office\\winword.exe", "New Message", "_WwG"));
  EXPECT_FALSE(ProfileMatches(outlook, "C:\\Office\\outlook.exe", "Calendar", "_WwG"));
  EXPECT_FALSE(ProfileMatches(outlook, "C:\\Office\\outlook.exe", "Message", "_WwF"));
}

TEST(ProfileMatches, EmptyWindowTextPassesItsTest) {
  const Profile outlook = Patterns("OUTLOOK.EXE", "Message", "_WwG");
  // No caption: the caption pattern does not stop the match.
  EXPECT_TRUE(ProfileMatches(outlook, "C:\\Office\\OUTLOOK.EXE", "", "_WwG"));
  EXPECT_TRUE(ProfileMatches(outlook, "", "", ""));
}

TEST(ProfileMatches, EmptyPatternsMatchAnyWindow) {
  const Profile all = Patterns("", "", "");
  EXPECT_TRUE(ProfileMatches(all, "C:\\x.exe", "Caption", "Class"));
  EXPECT_TRUE(ProfileMatches(Patterns("", "", "Mozilla"), "C:\\ff.exe", "Page", "MozillaWindowClass"));
}

TEST(ProfileMatches, UnterminatedPatternStaysInsideItsField) {
  Profile p{};
  std::memset(p.szWndClass, 'A', sizeof p.szWndClass);  // no NUL at all
  const std::string longer(80, 'a');
  EXPECT_TRUE(ProfileMatches(p, "x", "y", longer));  // 64 A's occur in 80 a's
  EXPECT_FALSE(ProfileMatches(p, "x", "y", std::string(63, 'a')));
}

class FindMatchingProfileTest : public ::testing::Test {
 protected:
  std::unique_ptr<Options> options = std::make_unique<Options>();
};

TEST_F(FindMatchingProfileTest, FirstMatchInListOrderWins) {
  options->Par[0] = Patterns("notepad", "", "");
  options->Par[1] = Patterns("", "", "Edit");
  options->Par[2] = Patterns("", "", "");
  options->iNumPar = 3;
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\Windows\\NOTEPAD.EXE", "t", "Edit"), 0);
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\w.exe", "t", "RichEdit20A"), 1);
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\w.exe", "t", "Static"), 2);
  options->iNumPar = 2;  // the catch-all is no longer in use
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\w.exe", "t", "Static"), -1);
}

// The list search folds the window's texts once; it must agree with the
// pattern test of a single profile in every corner of the search.
TEST_F(FindMatchingProfileTest, ListSearchAgreesWithTheSingleProfileTest) {
  struct Case {
    const char* pattern;
    const char* text;
  };
  const Case cases[] = {
      {"ab", "aab"},                  // a second start after a partial match
      {"EXE", "c:\\apps\\tool.exe"},  // at the very end
      {"c:\\", "C:\\apps"},           // at the very start
      {"tool.exe", "tool.ex"},        // longer than the text
      {"\xC4", "\xE4"},               // no folding beyond ASCII
      {"{", "["},                     // '[' + 32 is '{'
      {"aaab", "aaaaab"},
      {"aaab", "aaaaaa"},
      {"x", ""},
  };
  for (const Case& c : cases) {
    options->Par[0] = Patterns("", "", c.pattern);
    options->Par[1] = Patterns("", "", "");
    options->iNumPar = 2;
    const bool single = ProfileMatches(options->Par[0], "p", "c", c.text);
    EXPECT_EQ(FindMatchingProfile(*options, "p", "c", c.text), single ? 0 : 1) << c.pattern << " in " << c.text;
    // A text longer than any window text the program reads.
    const std::string longText = std::string(600, '-') + c.text;
    const bool singleLong = ProfileMatches(options->Par[0], "p", "c", longText);
    EXPECT_EQ(FindMatchingProfile(*options, "p", "c", longText), singleLong ? 0 : 1) << c.pattern;
  }
  // The path and caption tests take the same route.
  options->Par[0] = Patterns("\\VENDOR\\", "- Report", "");
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\Program Files\\Vendor\\app.exe", "Q1 - report", "k"), 0);
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\Program Files\\Vendors\\app.exe", "Q1 - report", "k"), 1);
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\Program Files\\Vendor\\app.exe", "Q1 report", "k"), 1);
}

TEST_F(FindMatchingProfileTest, CountIsClampedToTheList) {
  options->Par[kMaxProfiles - 1] = Patterns("", "", "");
  options->iNumPar = -4;
  EXPECT_EQ(FindMatchingProfile(*options, "p", "c", "k"), -1);
  for (auto& p : options->Par) p = Patterns("zzz", "", "");
  options->Par[kMaxProfiles - 1] = Patterns("", "", "");
  options->iNumPar = 5000;  // read no further than the last slot
  EXPECT_EQ(FindMatchingProfile(*options, "p", "c", "k"), kMaxProfiles - 1);
}

}  // namespace
