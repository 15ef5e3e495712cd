#include "framework/store/config_archive_win32.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/object/application.h"
#include "framework/util/text_util.h"
#include "tests/support/win32/win_test_support.h"
#include "zip/zip.h"

using test_support::Exists;
using test_support::ReadWholeFile;
using test_support::TempDir;
using test_support::WriteWholeFile;

namespace {

class OptionsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyText(gApp.dataFolder, sizeof gApp.dataFolder, (tmp_ / "data").c_str());
    CopyText(gApp.allUsersDataFolder, sizeof gApp.allUsersDataFolder, (tmp_ / "common").c_str());
  }
  static int Save(std::int32_t value, int index = -1, int allUsers = 0) {
    CConfigText t(1, "gOpt.");
    t.ConfigInt(&value, 4, "gOpt.iNumPar");
    return SaveConfigArchive(t, "Opt%s", index, allUsers, "ions");  // the name is formatted
  }
  static std::int32_t LoadedValue(int index = -1, int allUsers = 0) {
    CConfigText t(0, "gOpt.");
    if (LoadConfigArchive(t, "Options", index, allUsers) <= 0) return -1000;
    std::int32_t v = -2000;
    (void)t.ConfigInt(&v, 4, "gOpt.iNumPar");
    return v;
  }
  TempDir tmp_;
  const std::string path_ = tmp_ / "data\\Options.oqc";
};

TEST_F(OptionsFile, SavedInTheDataFoldersAndLoadedBack) {
  const struct {
    int index, allUsers;
    std::string path;
  } cases[] = {{-1, 0, path_}, {4, 1, tmp_ / "common\\Options4.oqc"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const int size = Save(11 + c.index, c.index, c.allUsers);
    ASSERT_GT(size, 0);
    EXPECT_EQ(ReadWholeFile(c.path).size(), static_cast<std::size_t>(size));
    EXPECT_EQ(ReadWholeFile(c.path).substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_FALSE(Exists(test_support::RecordTempOf(c.path)));
    EXPECT_EQ(LoadedValue(c.index, c.allUsers), 11 + c.index);
    CConfigByteBuffer raw;
    EXPECT_EQ(ReadConfigRecord(raw, "Options", c.index, c.allUsers), size);
    EXPECT_EQ(ReadConfigRecord(raw, "Missing%d", c.index, c.allUsers, 5), 0);
  }
  CConfigText t(0, "gOpt.");
  EXPECT_EQ(LoadConfigArchive(t, "Options", 4, 0), kArchiveNotOpened);  // not in the other folder
}

TEST_F(OptionsFile, SaveWaitsForReadersAndFailedSaveKeepsThePreviousFile) {
  using test_support::kIndexerSharing;
  using test_support::OpenExisting;
  using test_support::ReleasedAfter;
  ASSERT_GT(Save(5), 0);
  const std::string before = ReadWholeFile(path_);
  {
    // Held open by another program past the retries, the file can be neither
    // replaced nor cut.
    ReleasedAfter held(OpenExisting(path_, kIndexerSharing), INFINITE);
    ASSERT_TRUE(held.Holding());
    EXPECT_EQ(Save(9), kArchiveWriteFailed);
  }
  EXPECT_EQ(ReadWholeFile(path_), before);
  EXPECT_FALSE(Exists(test_support::RecordTempOf(path_)));
  {
    // Another program's reader and one of ours (the archive worker reading
    // the record while the main thread saves) that let it go a moment later.
    CDataFolderStore store;
    ReleasedAfter other(OpenExisting(path_, kIndexerSharing), 300);
    ReleasedAfter ours(store.OpenRecord("Options", -1, 0), 300);
    ASSERT_TRUE(other.Holding() && ours.Holding());
    EXPECT_GT(Save(7), 0);
  }
  EXPECT_EQ(LoadedValue(), 7);
  EXPECT_FALSE(Exists(test_support::RecordTempOf(path_)));
  // A temporary file that cannot be made (a folder in its place) fails too.
  ASSERT_TRUE(CreateDirectoryA(test_support::RecordTempOf(path_).c_str(), nullptr));
  EXPECT_EQ(Save(9), kArchiveWriteFailed);
  EXPECT_EQ(LoadedValue(), 7);
}

TEST_F(OptionsFile, DamagedFileIsKeptAsideReplacingAnEarlierCopy) {
  CDataFolderStore store;
  ASSERT_TRUE(CreateDirectoryA((tmp_ / "data").c_str(), nullptr));
  ASSERT_TRUE(WriteWholeFile(path_, "new"));
  ASSERT_TRUE(WriteWholeFile(tmp_ / "data\\Options_damaged.oqc", "old"));
  {
    // Another program reads the file and lets it go a moment later.
    test_support::ReleasedAfter held(test_support::OpenExisting(path_, test_support::kIndexerSharing), 300);
    ASSERT_TRUE(held.Holding());
    EXPECT_TRUE(store.RenameRecord("Options", "Options_damaged", 0));
  }
  EXPECT_FALSE(Exists(path_));
  EXPECT_EQ(ReadWholeFile(tmp_ / "data\\Options_damaged.oqc"), "new");
  EXPECT_FALSE(store.RenameRecord("Options", "Options_damaged", 0));
}

}  // namespace
