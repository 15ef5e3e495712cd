#include "framework/store/config_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/app/application.h"
#include "framework/util/files.h"
#include "framework/util/text_util.h"
#include "framework/util/tests/win_test_support.h"

using test_support::Exists;
using test_support::ReadWholeFile;
using test_support::TempDir;
using test_support::WriteWholeFile;

namespace {

class RecordFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyText(gApp.dataFolder, sizeof gApp.dataFolder, (tmp_ / "user").c_str());
    CopyText(gApp.allUsersDataFolder, sizeof gApp.allUsersDataFolder, (tmp_ / "common").c_str());
  }
  TempDir tmp_;
};

}  // namespace

TEST_F(RecordFiles, NamesCarryTheIndexUnlessMinusOne) {
  char path[260];
  ASSERT_TRUE(BuildConfigFilePath("(Orvo)App", -1, path, 0));
  EXPECT_EQ(std::string(path), tmp_ / "user\\(Orvo)App.oqc");
  ASSERT_TRUE(BuildConfigFilePath("(Orvo)Win", 3, path, 0));
  EXPECT_EQ(std::string(path), tmp_ / "user\\(Orvo)Win3.oqc");
  ASSERT_TRUE(BuildConfigFilePath("Options", -1, path, 1));
  EXPECT_EQ(std::string(path), tmp_ / "common\\Options.oqc");
}

TEST_F(RecordFiles, WriteCreatesTheMissingFolderAndReadsBack) {
  const char data[16] = "sixteen bytes!!";
  ASSERT_FALSE(test_support::IsDirectory(gApp.dataFolder));
  EXPECT_EQ(WriteConfigFile("(Orvo)Win", 3, data, sizeof data, 0), sizeof data);
  EXPECT_EQ(ReadWholeFile(tmp_ / "user\\(Orvo)Win3.oqc"), std::string(data, sizeof data));
  EXPECT_FALSE(Exists(tmp_ / "user\\(Orvo)Win3.oqc_tmp"));

  char back[16] = {};
  EXPECT_EQ(ReadConfigFile("(Orvo)Win", 3, back, sizeof back, 0), sizeof back);
  EXPECT_EQ(std::memcmp(back, data, sizeof data), 0);
  EXPECT_EQ(ReadConfigFile("(Orvo)Win", 3, nullptr, 0, 0), sizeof data);  // size only
}

TEST_F(RecordFiles, AllUsersGoesToItsOwnFolder) {
  const char data[] = "shared";
  EXPECT_EQ(WriteConfigFile("(Orvo)Archive", -1, data, sizeof data, 1), sizeof data);
  EXPECT_TRUE(Exists(tmp_ / "common\\(Orvo)Archive.oqc"));
  EXPECT_FALSE(Exists(tmp_ / "user\\(Orvo)Archive.oqc"));
}

TEST_F(RecordFiles, MissingOrShortRecordLeavesTheRestOfTheBuffer) {
  char buffer[8];
  std::memset(buffer, 'z', sizeof buffer);
  EXPECT_EQ(ReadConfigFile("(Orvo)App", -1, buffer, sizeof buffer, 0), 0u);
  EXPECT_EQ(std::string(buffer, sizeof buffer), "zzzzzzzz");

  ASSERT_EQ(WriteConfigFile("(Orvo)App", -1, "abc", 3, 0), 3u);
  EXPECT_EQ(ReadConfigFile("(Orvo)App", -1, buffer, sizeof buffer, 0), 3u);
  EXPECT_EQ(std::string(buffer, sizeof buffer), "abczzzzz");
}

TEST_F(RecordFiles, FailedMoveKeepsThePreviousRecord) {
  ASSERT_EQ(WriteConfigFile("(Orvo)App", -1, "old", 3, 0), 3u);
  const std::string target = tmp_ / "user\\(Orvo)App.oqc";
  // Held open without any sharing, the target cannot be replaced.
  HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WriteConfigFile("(Orvo)App", -1, "new!", 4, 0), 0u);
  CloseHandle(held);
  EXPECT_EQ(ReadWholeFile(target), "old");
  // Once the target is free again the next write goes through.
  EXPECT_EQ(WriteConfigFile("(Orvo)App", -1, "new!", 4, 0), 4u);
  EXPECT_EQ(ReadWholeFile(target), "new!");
}

TEST_F(RecordFiles, OverlongTemporaryNameFailsWithoutTouchingTheTarget) {
  // A folder that leaves room for the target (259 characters) but not for
  // "<target>_tmp".
  std::string folder = tmp_.Path();
  const std::size_t want = 259 - std::strlen("\\(Orvo)App.oqc");
  while (folder.size() < want) folder += "\\" + std::string(std::min<std::size_t>(40, want - folder.size() - 1), 'f');
  ASSERT_EQ(folder.size(), want);
  ASSERT_EQ(CreateDirectoryPath(folder.c_str(), 0), CreateDirResult::kExists);
  CopyText(gApp.dataFolder, sizeof gApp.dataFolder, folder.c_str());
  const std::string target = folder + "\\(Orvo)App.oqc";
  ASSERT_EQ(target.size(), 259u);
  ASSERT_TRUE(WriteWholeFile(target, "live"));

  EXPECT_EQ(WriteConfigFile("(Orvo)App", -1, "replacement", 11, 0), 0u);
  EXPECT_EQ(ReadWholeFile(target), "live");
  // Reading the record itself still works.
  char buffer[4];
  EXPECT_EQ(ReadConfigFile("(Orvo)App", -1, buffer, sizeof buffer, 0), 4u);
}

TEST_F(RecordFiles, WriteFileAtomicTakesFolderNameAndExtension) {
  const std::string folder = tmp_ / "elsewhere";
  EXPECT_EQ(WriteFileAtomic(folder.c_str(), "plain", nullptr, "x", 1, 0), 1u);
  EXPECT_EQ(ReadWholeFile(folder + "\\plain"), "x");
  EXPECT_EQ(ReadDataFile(folder.c_str(), "plain", nullptr, nullptr, 0, 0), 1u);
  EXPECT_EQ(ReadDataFile(folder.c_str(), "plain", "txt", nullptr, 0, 0), 0u);
}

TEST_F(RecordFiles, WriteInPlaceCreatesTruncatesAndAppends) {
  const std::string path = tmp_ / "deep\\er\\Options.oqc";
  EXPECT_EQ(WriteFileCreatingFolders(path.c_str(), "hello", 5, 0), 5u);
  EXPECT_EQ(ReadWholeFile(path), "hello");
  EXPECT_EQ(WriteFileCreatingFolders(path.c_str(), "!!", 2, 1), 2u);
  EXPECT_EQ(ReadWholeFile(path), "hello!!");
  EXPECT_EQ(WriteFileCreatingFolders(path.c_str(), "j", 1, 2), 1u);  // opened, written at the start
  EXPECT_EQ(ReadWholeFile(path), "jello!!");
  EXPECT_EQ(WriteFileCreatingFolders(path.c_str(), "hi", 2, 0), 2u);
  EXPECT_EQ(ReadWholeFile(path), "hi");
}
