#include "framework/store/config_archive_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/app/application.h"
#include "framework/util/tests/win_test_support.h"
#include "framework/util/text_util.h"

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
  static void Fill(CConfigText& t, std::int32_t value) {
    t.ConfigInt(&value, 4, "gOpt.iNumPar");
  }
  static std::int32_t LoadedValue() {
    CConfigText t(0, "gOpt.");
    if (LoadConfigArchive(t, "Options", -1, 0) <= 0) return -1000;
    std::int32_t v = -2000;
    (void)t.ConfigInt(&v, 4, "gOpt.iNumPar");
    return v;
  }
  TempDir tmp_;
};

TEST_F(OptionsFile, SavedInTheDataFolderAndLoadedBack) {
  CConfigText saving(1, "gOpt.");
  Fill(saving, 11);
  const int size = SaveConfigArchive(saving, "Opt%s", -1, 0, "ions");
  ASSERT_GT(size, 0);
  const std::string path = tmp_ / "data\\Options.oqc";
  EXPECT_EQ(ReadWholeFile(path).size(), static_cast<std::size_t>(size));
  EXPECT_EQ(ReadWholeFile(path).substr(0, 4), std::string("PK\x03\x04", 4));
  EXPECT_FALSE(Exists(path + "_tmp"));
  EXPECT_EQ(LoadedValue(), 11);

  CConfigByteBuffer raw;
  EXPECT_EQ(ReadConfigRecord(raw, "Options", -1, 0), size);
  EXPECT_EQ(ReadConfigRecord(raw, "Missing%d", -1, 0, 5), 0);
}

TEST_F(OptionsFile, AllUsersAndIndexedRecords) {
  CConfigText saving(1, "gOpt.");
  Fill(saving, 3);
  ASSERT_GT(SaveConfigArchive(saving, "Options", 4, 1), 0);
  EXPECT_TRUE(Exists(tmp_ / "common\\Options4.oqc"));
  CConfigText loading(0, "gOpt.");
  EXPECT_GT(LoadConfigArchive(loading, "Options", 4, 1), 0);
  EXPECT_EQ(LoadConfigArchive(loading, "Options", 4, 0), kArchiveNotOpened);
}

TEST_F(OptionsFile, FailedSaveKeepsThePreviousFile) {
  CConfigText first(1, "gOpt.");
  Fill(first, 5);
  ASSERT_GT(SaveConfigArchive(first, "Options", -1, 0), 0);
  const std::string path = tmp_ / "data\\Options.oqc";
  const std::string before = ReadWholeFile(path);

  // Held open without sharing, the file can be neither replaced nor cut.
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  CConfigText second(1, "gOpt.");
  Fill(second, 9);
  EXPECT_EQ(SaveConfigArchive(second, "Options", -1, 0), kArchiveWriteFailed);
  CloseHandle(held);
  EXPECT_EQ(ReadWholeFile(path), before);
  EXPECT_EQ(LoadedValue(), 5);

  // A temporary file that cannot be made (a folder in its place) fails too.
  DeleteFileA((path + "_tmp").c_str());  // left behind by the failed move
  ASSERT_TRUE(CreateDirectoryA((path + "_tmp").c_str(), nullptr));
  EXPECT_EQ(SaveConfigArchive(second, "Options", -1, 0), kArchiveWriteFailed);
  EXPECT_EQ(LoadedValue(), 5);
}

TEST_F(OptionsFile, RenameReplacesAnEarlierCopy) {
  CDataFolderStore store;
  ASSERT_TRUE(CreateDirectoryA((tmp_ / "data").c_str(), nullptr));
  ASSERT_TRUE(WriteWholeFile(tmp_ / "data\\Options.oqc", "new"));
  ASSERT_TRUE(WriteWholeFile(tmp_ / "data\\Options_damaged.oqc", "old"));
  EXPECT_TRUE(store.RenameRecord("Options", "Options_damaged", 0));
  EXPECT_FALSE(Exists(tmp_ / "data\\Options.oqc"));
  EXPECT_EQ(ReadWholeFile(tmp_ / "data\\Options_damaged.oqc"), "new");
  EXPECT_FALSE(store.RenameRecord("Options", "Options_damaged", 0));
}

}  // namespace
