#include "scrolling/engine/profile_match.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

Profile Patterns(const char* path, const char* caption, const char* cls) {
  Profile p{};
  std::strcpy(p.szPrgPath, path);
  std::strcpy(p.szWndCaption, caption);
  std::strcpy(p.szWndClass, cls);
  return p;
}

// The list search folds the window's texts once; it must agree with the
// pattern test of a single profile in every corner of the search, also for
// a text longer than any window text the program reads.
TEST(ProfileMatch, CaseInsensitiveSubstringInEveryRoute) {
  struct Case {
    const char* text;
    const char* pattern;
    bool contains;
  };
  const Case cases[] = {
      {"C:\\PROGRAM FILES\\DEVENV.EXE", "devenv.exe", true},
      {"MozillaWindowClass", "windowclass", true},
      {"aab", "ab", true},  // a second start after a partial match
      {"aaaaab", "aaab", true},
      {"aaaaaa", "aaab", false},
      {"c:\\apps\\tool.exe", "EXE", true},  // at the very end
      {"C:\\apps", "c:\\", true},           // at the very start
      {"tool.ex", "tool.exe", false},       // longer than the text
      {"abc", "bd", false},
      {"ab", "b\xC4", false},
      {"\xC4", "\xE4", false},  // no folding beyond ASCII
      {"[", "{", false},        // '[' + 32 is '{'
      {"@", "`", false},
      {"anything", "", true},  // the empty pattern occurs everywhere
      {"", "", true},
      {"", "x", false},
  };
  auto options = std::make_unique<Options>();
  options->iNumPar = 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " in " + c.text);
    EXPECT_EQ(ContainsNoCase(c.text, c.pattern), c.contains);
    options->Par[0] = Patterns("", "", c.pattern);
    const std::string longText = std::string(600, '-') + c.text;
    for (const std::string& text : {std::string(c.text), longText}) {
      const bool match = c.contains || text.empty();  // an empty window text passes its test
      EXPECT_EQ(ProfileMatches(options->Par[0], "p", "c", text), match) << text.size();
      EXPECT_EQ(FindMatchingProfile(*options, "p", "c", text), match ? 0 : 1) << text.size();
    }
  }
  EXPECT_TRUE(EqualsNoCase("SCROLLBAR", "ScrollBar"));
  EXPECT_FALSE(EqualsNoCase("ScrollBar2", "ScrollBar"));
  EXPECT_FALSE(EqualsNoCase("ScrollBa", "ScrollBar"));
}

TEST(ProfileMatch, AllThreeTestsMustHoldAndEmptyTextsPass) {
  const Profile outlook = Patterns("OUTLOOK.EXE", "Message", "_WwG");
  struct Case {
    const char* path;
    const char* caption;
    const char* cls;
    bool match;
  };
  const Case cases[] = {{"C:\\Office\\outlook.exe", "New Message - Outlook", "_WwG", true},
                        {"C:\\Office\\winword.exe", "New Message", "_WwG", false},
                        {"C:\\Office\\outlook.exe", "Calendar", "_WwG", false},
                        {"C:\\Office\\outlook.exe", "Message", "_WwF", false},
                        {"C:\\Office\\OUTLOOK.EXE", "", "_WwG", true},  // no caption: no obstacle
                        {"", "", "", true}};
  for (const Case& c : cases) {
    EXPECT_EQ(ProfileMatches(outlook, c.path, c.caption, c.cls), c.match) << c.path << " " << c.caption;
  }
  EXPECT_TRUE(ProfileMatches(Patterns("", "", ""), "C:\\x.exe", "Caption", "Class"));

  // The path and caption tests take the list search's route too.
  auto options = std::make_unique<Options>();
  options->Par[0] = Patterns("\\VENDOR\\", "- Report", "");
  options->iNumPar = 2;
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\Program Files\\Vendor\\app.exe", "Q1 - report", "k"), 0);
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\Program Files\\Vendors\\app.exe", "Q1 - report", "k"), 1);
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\Program Files\\Vendor\\app.exe", "Q1 report", "k"), 1);
}

TEST(ProfileMatch, UnterminatedPatternStaysInsideItsField) {
  Profile p{};
  std::memset(p.szWndClass, 'A', sizeof p.szWndClass);  // no NUL at all
  EXPECT_TRUE(ProfileMatches(p, "x", "y", std::string(80, 'a')));  // 64 A's occur in 80 a's
  EXPECT_FALSE(ProfileMatches(p, "x", "y", std::string(63, 'a')));
}

TEST(ProfileMatch, FirstMatchInListOrderWinsWithinTheCount) {
  auto options = std::make_unique<Options>();
  options->Par[0] = Patterns("notepad", "", "");
  options->Par[1] = Patterns("", "", "Edit");
  options->iNumPar = 3;
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\Windows\\NOTEPAD.EXE", "t", "Edit"), 0);
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\w.exe", "t", "RichEdit20A"), 1);
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\w.exe", "t", "Static"), 2);
  options->iNumPar = 2;  // the catch-all is no longer in use
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\w.exe", "t", "Static"), -1);
  options->iNumPar = -4;
  EXPECT_EQ(FindMatchingProfile(*options, "C:\\w.exe", "t", "Static"), -1);

  for (auto& p : options->Par) p = Patterns("zzz", "", "");
  options->Par[kMaxProfiles - 1] = Patterns("", "", "");
  options->iNumPar = 5000;  // read no further than the last slot
  EXPECT_EQ(FindMatchingProfile(*options, "p", "c", "k"), kMaxProfiles - 1);
}

}  // namespace
