#include "framework/store/config_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/object/application.h"
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

TEST_F(RecordFiles, ReadTellsAMissingRecordFromOneThatCouldNotBeRead) {
  const std::string path = tmp_ / "user\\(Orvo)App.oqc";
  const auto read = [](std::uint32_t* count) {
    char buffer[8];
    return ReadConfigFileChecked("(Orvo)App", -1, buffer, sizeof buffer, 0, count);
  };
  std::uint32_t count = 99;
  EXPECT_EQ(read(&count), RecordRead::kMissing);  // not even its folder
  EXPECT_EQ(count, 0u);
  ASSERT_EQ(WriteConfigFile("(Orvo)App", -1, "abc", 3, 0), 3u);
  const struct {
    DWORD share, access;
    RecordRead expected;
  } cases[] = {
      {0, GENERIC_READ, RecordRead::kUnreadable},
      // A handle that may rename or delete the record (a replace has one)
      // keeps none of our readers out.
      {FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, GENERIC_READ | DELETE, RecordRead::kRead},
  };
  for (const auto& c : cases) {
    const CFileHandle held = test_support::OpenExisting(path, c.share, c.access);
    ASSERT_TRUE(held);
    EXPECT_EQ(read(&count), c.expected) << c.share;
    EXPECT_EQ(count, c.expected == RecordRead::kRead ? 3u : 0u);
  }
  EXPECT_EQ(read(&count), RecordRead::kRead);
}

// Another program holds the record while it is replaced, opened with read
// and write sharing but without delete sharing.
TEST_F(RecordFiles, ReplaceWaitsForAHeldRecordAndFailsWithoutLeavingItsTemporary) {
  const std::string target = tmp_ / "user\\(Orvo)App.oqc";
  const struct {
    DWORD releaseAfter;
    bool replaced;
  } cases[] = {{300, true}, {INFINITE, false}};  // released within the retries, or only after the save
  for (const auto& c : cases) {
    SCOPED_TRACE(c.releaseAfter);
    ASSERT_EQ(WriteConfigFile("(Orvo)App", -1, "old", 3, 0), 3u);
    {
      test_support::ReleasedAfter held(test_support::OpenExisting(target, test_support::kIndexerSharing),
                                       c.releaseAfter);
      ASSERT_TRUE(held.Holding());
      EXPECT_EQ(WriteConfigFile("(Orvo)App", -1, "new!", 4, 0), c.replaced ? 4u : 0u);
    }
    EXPECT_EQ(ReadWholeFile(target), c.replaced ? "new!" : "old");
    EXPECT_FALSE(Exists(target + "_tmp"));
  }
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
