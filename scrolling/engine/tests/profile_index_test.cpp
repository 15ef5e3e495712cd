#include "scrolling/engine/profile_index.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "scrolling/engine/profile_match.h"

namespace {

struct Texts {
  std::string path, caption, cls;
};

template <std::size_t N>
void Put(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size() < N ? text.size() : N);  // a full field keeps no NUL
}

void PutPatterns(Profile& p, const Texts& t) {
  Put(p.szPrgPath, t.path);
  Put(p.szWndCaption, t.caption);
  Put(p.szWndClass, t.cls);
}

// The index must give the reference search's answer for every pattern
// against every window, one profile at a time, so that each pattern is
// compared on its own and not hidden behind an earlier match.
TEST(ProfileIndex, EachPatternAnswersAsTheRecordsDo) {
  const std::string noNulPath(kPathSize, 'P'), noNulName(kNameSize, 'N');
  const Texts patterns[] = {
      {"", "", ""},
      {"EDITOR.exe", "", ""},
      {"\\Tools\\", "Notes", "EditorFrame"},
      {"", "- Editor", ""},
      {"", "", "ScrollBarEx"},
      {"x", "", ""},                    // one character: no pair to filter on
      {"tool.exe.bak", "", ""},         // longer than the text
      {"\xC4pp", "", ""},               // no folding beyond ASCII
      {"[", "", "{"},                   // '[' + 32 is '{'
      {noNulPath, noNulName, noNulName},  // read to the field's end
      {"", noNulName, ""},
  };
  const std::string longPath = std::string(600, 'p') + "\\TOOLS\\editor.EXE";  // beyond any folding buffer
  const Texts windows[] = {
      {"C:\\Tools\\editor.exe", "notes.txt - Editor", "EditorFrame"},
      {"C:\\TOOLS\\EDITOR.EXE", "NOTES - EDITOR", "EDITORFRAME"},
      {"C:\\Tools\\editor.exe", "", ""},  // empty texts pass their tests
      {"", "", ""},
      {"C:\\x\\tool.exe", "Caption", "ScrollBarEx2"},
      {"C:\\\xC4pp\\\xE4pp.exe", "[", "{"},
      {"C:\\\xE4pp\\a.exe", "{", "["},
      {std::string(kPathSize, 'p'), std::string(70, 'n'), std::string(kNameSize, 'N')},
      {std::string(kPathSize - 1, 'P'), std::string(kNameSize - 1, 'n'), std::string(kNameSize, 'n')},
      {longPath, "Notes", "editorframe"},
  };
  auto options = std::make_unique<Options>();
  ProfileIndex index;
  ASSERT_TRUE(index.Usable());
  options->iNumPar = 1;
  std::uint64_t generation = 0;
  for (const Texts& pattern : patterns) {
    PutPatterns(options->Par[0], pattern);
    ASSERT_TRUE(index.Build(*options, ++generation));
    for (const Texts& w : windows) {
      SCOPED_TRACE("patterns " + pattern.path.substr(0, 20) + "|" + pattern.caption.substr(0, 20) + "|" +
                   pattern.cls.substr(0, 20) + " window " + w.path.substr(0, 20) + "|" + w.caption + "|" + w.cls);
      EXPECT_EQ(index.Find(w.path, w.caption, w.cls), FindMatchingProfile(*options, w.path, w.caption, w.cls));
    }
  }
}

// A long list of random short patterns over a few letters in both cases
// and look-alike bytes: many profiles match in part, so the pair filter and
// the exact search are both exercised at every position of the list, with
// counts in and out of the list's range.
TEST(ProfileIndex, RandomListsAnswerAsTheRecordsDo) {
  std::mt19937 random(20240611);
  const char alphabet[] = "abAB[{\xC4\xE4";
  auto text = [&](std::size_t maxLength) {
    std::string s(random() % (maxLength + 1), ' ');
    for (char& c : s) c = alphabet[random() % (sizeof alphabet - 1)];
    return s;
  };
  auto options = std::make_unique<Options>();
  for (Profile& p : options->Par) PutPatterns(p, {text(7), text(4), text(4)});
  ProfileIndex index;
  std::uint64_t generation = 0;
  int lateMatches = 0;
  for (const int count : {kMaxProfiles, 5000, 300, 1, 0, -3}) {
    options->iNumPar = count;
    ASSERT_TRUE(index.Build(*options, ++generation));
    for (int n = 0; n < 3000; ++n) {
      const Texts w{text(12), text(6), text(6)};
      const int want = FindMatchingProfile(*options, w.path, w.caption, w.cls);
      ASSERT_EQ(index.Find(w.path, w.caption, w.cls), want) << count << " " << w.path << "|" << w.caption << "|" << w.cls;
      if (want > 50) ++lateMatches;
    }
  }
  EXPECT_GT(lateMatches, 100);  // not all decided by the first few profiles
}

TEST(ProfileIndex, CurrentOnlyForTheListAndGenerationItWasBuiltFrom) {
  auto options = std::make_unique<Options>();
  auto other = std::make_unique<Options>();
  options->iNumPar = other->iNumPar = 3;
  ProfileIndex index;
  EXPECT_FALSE(index.IsCurrent(*options, 0));  // never built
  ASSERT_TRUE(index.Build(*options, 7));
  EXPECT_TRUE(index.IsCurrent(*options, 7));
  EXPECT_FALSE(index.IsCurrent(*options, 8));
  EXPECT_FALSE(index.IsCurrent(*other, 7));
  options->iNumPar = 2;  // a profile removed without notice
  EXPECT_FALSE(index.IsCurrent(*options, 7));
  options->iNumPar = 3;
  EXPECT_TRUE(index.IsCurrent(*options, 7));
  index.Invalidate();
  EXPECT_FALSE(index.IsCurrent(*options, 7));
}

}  // namespace
