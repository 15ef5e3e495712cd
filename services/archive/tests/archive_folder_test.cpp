#include "services/archive/archive_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string FolderOf(const char* pattern, const char* configDir) {
  char text[260];
  std::strcpy(text, pattern);
  if (!ReplaceFixedArchiveTokens(text, sizeof text, ArchiveTokenValues{"Veltrano", configDir, "3.2.1"})) {
    return "<no fit>";
  }
  CutToFixedFolder(text);
  return text;
}

TEST(ArchiveFolder, FixedTokensAreReplacedAndADatedPartIsLeftOut) {
  const struct {
    const char* pattern;
    const char* expected;
  } cases[] = {
      {kDefaultArchivePathPattern, "D:\\Data\\Backup"},
      {"%CONFIGDIR%\\%PROGRAM%-%PROGVER%", "D:\\Data\\Veltrano-3.2.1"},
      {"%CONFIGDIR%\\Backup\\%YEAR%\\%MONTH%", "D:\\Data\\Backup"},
      {"%CONFIGDIR%\\Backup-%YEAR%", "D:\\Data"},  // each day a folder beside the others
      {"%YEAR%\\x", ""},
      {"E:\\100% sure", "E:\\100% sure"},  // a single percent sign starts no token
  };
  for (const auto& c : cases) EXPECT_EQ(FolderOf(c.pattern, "D:\\Data"), c.expected) << c.pattern;
  EXPECT_EQ(FolderOf("%CONFIGDIR%\\Backup", std::string(255, 'x').c_str()), "<no fit>");
}

}  // namespace
