#include "framework/app/file_dialogs_core.h"

#include <gtest/gtest.h>

#include <string>

TEST(FileDialogs, DefaultExtensionIsThePatternOfTheChosenPairWithoutStarDot) {
  // Written as string literals with embedded NULs: the list ends with an
  // empty string after the last pattern.
  const std::string config("Brindlex Configuration Data\0*.BrindlexConfig\0All files\0*.*\0", 59);
  const std::string several("Logs\0*.log;*.txt\0Named\0data.*\0Odd\0*.t?t\0Bare\0*\0", 47);
  const struct {
    const std::string* filter;
    int index;
    std::size_t size;
    bool found;
    const char* extension;
  } cases[] = {
      {&config, 0, 260, true, "BrindlexConfig"},
      {&config, 1, 260, false, ""},  // "*.*" names none
      {&config, 2, 260, false, ""},  // past the list
      {&config, -1, 260, false, ""},
      {&config, 0, 15, true, "BrindlexConfig"},  // exactly fits
      {&config, 0, 14, false, ""},               // never cut
      {&several, 0, 260, true, "log"},
      {&several, 1, 260, false, ""},
      {&several, 2, 260, false, ""},
      {&several, 3, 260, false, ""},
  };
  for (const auto& c : cases) {
    char out[260] = "junk";
    EXPECT_EQ(DefaultExtensionOfFilter(c.filter->c_str(), c.index, out, c.size), c.found) << c.index << " " << c.size;
    EXPECT_STREQ(out, c.extension) << c.index << " " << c.size;
  }
  char out[4] = "x";
  EXPECT_FALSE(DefaultExtensionOfFilter(nullptr, 0, out, sizeof out));
  EXPECT_STREQ(out, "");
}
