#include "framework/util/files.h"

#include <gtest/gtest.h>

#include "tests/support/win32/win_test_support.h"

using test_support::IsDirectory;
using test_support::TempDir;

TEST(CreateDirectoryPath, CreatesEveryMissingLevel) {
  TempDir tmp;
  const std::string deep = tmp / "a\\b\\c";
  EXPECT_EQ(CreateDirectoryPath(deep.c_str(), 0), CreateDirResult::kExists);
  EXPECT_TRUE(IsDirectory(deep));
  EXPECT_EQ(CreateDirectoryPath(deep.c_str(), 0), CreateDirResult::kExists);  // nothing to do
  // A trailing backslash creates the last folder too.
  EXPECT_EQ(CreateDirectoryPath((tmp / "x\\y\\").c_str(), 0), CreateDirResult::kExists);
  EXPECT_TRUE(IsDirectory(tmp / "x\\y"));
}

TEST(CreateDirectoryPath, FailsUnderAFileAndOnEmpty) {
  TempDir tmp;
  ASSERT_TRUE(test_support::WriteWholeFile(tmp / "file", "x"));
  const std::string under = tmp / "file\\sub";
  const DWORD start = GetTickCount();
  EXPECT_EQ(CreateDirectoryPath(under.c_str(), 1), CreateDirResult::kFailed);
  EXPECT_GE(GetTickCount() - start, 80u);  // the pause before a retry
  EXPECT_EQ(CreateDirectoryPath("", 0), CreateDirResult::kEmptyPath);
  EXPECT_FALSE(test_support::Exists(under));

  char path[MAX_PATH] = "junk";
  EXPECT_TRUE(GetSpecialFolderPath(0x001a /* CSIDL_APPDATA */, path));
  EXPECT_TRUE(IsDirectory(path));
}
