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

TEST_F(RecordFiles, NamedByIndexAndFolderWrittenIntoMissingFoldersAndReadBack) {
  const struct {
    const char* name;
    int index, allUsers;
    std::string path, elsewhere;
  } cases[] = {{"(Orvo)App", -1, 0, tmp_ / "user\\(Orvo)App.oqc", tmp_ / "common\\(Orvo)App.oqc"},
               {"(Orvo)Win", 3, 0, tmp_ / "user\\(Orvo)Win3.oqc", tmp_ / "common\\(Orvo)Win3.oqc"},
               {"Options", -1, 1, tmp_ / "common\\Options.oqc", tmp_ / "user\\Options.oqc"}};
  ASSERT_FALSE(test_support::IsDirectory(gApp.dataFolder));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    char path[260];
    ASSERT_TRUE(BuildConfigFilePath(c.name, c.index, path, c.allUsers));
    EXPECT_EQ(std::string(path), c.path);
    const auto size = static_cast<std::uint32_t>(c.path.size());
    EXPECT_EQ(WriteConfigFile(c.name, c.index, c.path.data(), size, c.allUsers), size);
    EXPECT_EQ(ReadWholeFile(c.path), c.path);
    EXPECT_FALSE(Exists(c.path + "_tmp"));
    EXPECT_FALSE(Exists(c.elsewhere));
    std::string back(size, '\0');
    EXPECT_EQ(ReadConfigFile(c.name, c.index, &back[0], size, c.allUsers), size);
    EXPECT_EQ(back, c.path);
    EXPECT_EQ(ReadConfigFile(c.name, c.index, nullptr, 0, c.allUsers), size);  // size only
  }
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
  ASSERT_EQ(CreateDirectoryPath(folder.c_str(), 0), CreateDirResult::kExists);
  CopyText(gApp.dataFolder, sizeof gApp.dataFolder, folder.c_str());
  const std::string target = folder + "\\(Orvo)App.oqc";
  ASSERT_EQ(target.size(), 259u);
  ASSERT_TRUE(WriteWholeFile(target, "live"));
  EXPECT_EQ(WriteConfigFile("(Orvo)App", -1, "replacement", 11, 0), 0u);
  EXPECT_EQ(ReadWholeFile(target), "live");
  char buffer[4];
  EXPECT_EQ(ReadConfigFile("(Orvo)App", -1, buffer, sizeof buffer, 0), 4u);  // the record itself still reads
}

TEST_F(RecordFiles, OtherFilesAtomicallyOrInPlace) {
  const std::string folder = tmp_ / "elsewhere";
  EXPECT_EQ(WriteFileAtomic(folder.c_str(), "plain", nullptr, "x", 1, 0), 1u);
  EXPECT_EQ(ReadWholeFile(folder + "\\plain"), "x");
  EXPECT_EQ(ReadDataFile(folder.c_str(), "plain", nullptr, nullptr, 0, 0), 1u);
  EXPECT_EQ(ReadDataFile(folder.c_str(), "plain", "txt", nullptr, 0, 0), 0u);
  // Created, appended to, written at the start when opened, truncated.
  const std::string path = tmp_ / "deep\\er\\Options.oqc";
  const struct {
    const char* data;
    int append;
    const char* after;
  } writes[] = {{"hello", 0, "hello"}, {"!!", 1, "hello!!"}, {"j", 2, "jello!!"}, {"hi", 0, "hi"}};
  for (const auto& w : writes) {
    const auto size = static_cast<std::uint32_t>(std::strlen(w.data));
    EXPECT_EQ(WriteFileCreatingFolders(path.c_str(), w.data, size, w.append), size);
    EXPECT_EQ(ReadWholeFile(path), w.after);
  }
}
