#include "framework/run/startup_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(InstallRecord, ValueShorterThanTheRecordIsNoneAndTextsAreCutToTheirFields) {
  std::vector<unsigned char> value(2000, 'A');  // no text is terminated
  value[16] = 1;
  value[17] = 0;
  InstallRecord record{};
  EXPECT_FALSE(CopyInstallRecord(value.data(), sizeof record - 1, record));
  EXPECT_EQ(record.customDataPath, 0);  // untouched
  ASSERT_TRUE(CopyInstallRecord(value.data(), value.size(), record));
  EXPECT_EQ(record.customDataPath, 1);
  for (const char* text : {record.installFolder, record.dataPath, record.updateCheckUrl, record.downloadUrl}) {
    EXPECT_EQ(std::strlen(text), 259u);
  }
}

TEST(DataFolders, AFolderThatDoesNotFitOrWhoseSpecialFolderIsMissingIsLeftEmpty) {
  InstallRecord record{};
  record.customDataPath = 1;
  record.perUserDataPath = 1;
  std::memset(record.dataPath, 'd', 250);
  char data[260];
  char allUsers[260];
  EXPECT_FALSE(ChooseDataFolders(record, DataFolderSources{"", "", "App", "a-rather-long-user"}, data, allUsers));
  EXPECT_STREQ(data, "");
  EXPECT_EQ(std::strlen(allUsers), 250u);

  // Never "\Brindlex\App", a folder at the root of the current drive.
  record = InstallRecord{};
  EXPECT_FALSE(ChooseDataFolders(record, DataFolderSources{"", "C:\\All", "App", ""}, data, allUsers));
  EXPECT_STREQ(data, "");
  EXPECT_STREQ(allUsers, "C:\\All\\Brindlex\\App");
  EXPECT_FALSE(ChooseDataFolders(record, DataFolderSources{"C:\\Me", "", "App", ""}, data, allUsers));
  EXPECT_STREQ(data, "C:\\Me\\Brindlex\\App");
  EXPECT_STREQ(allUsers, "");
}

TEST(SystemVersion, NumbersGiveTheVersionsTheProgramKnows) {
  const struct {
    unsigned major, minor, build, expected;
  } cases[] = {{6, 0, 6002, 6},  {6, 1, 7601, 7},   {6, 2, 9200, 8},  {6, 3, 9600, 8},    {6, 4, 0, 0},
               {10, 0, 21999, 10}, {10, 0, 22000, 11}, {5, 1, 2600, 0}, {11, 0, 30000, 0}};
  for (const auto& c : cases) EXPECT_EQ(OsVersionFrom(c.major, c.minor, c.build), c.expected) << c.build;
  for (int shown : {1, 5, 10}) EXPECT_FALSE(IsMinimizedShowCommand(shown));
  for (int minimized : {0, 2, 6, 7}) EXPECT_TRUE(IsMinimizedShowCommand(minimized));
}

TEST(InstanceName, LiesInTheSessionWithNoOtherBackslashAndFitsMaxPath) {
  char name[kMaxPathText];
  InstanceObjectName("Veltrano", 0x1234ABCD, name);
  EXPECT_STREQ(name, "Local\\OrvoInstance_1234ABCD_Veltrano");
  const std::string longName = "a\\b" + std::string(400, 'x');
  InstanceObjectName(longName.c_str(), 0, name);
  EXPECT_EQ(std::strlen(name), kMaxPathText - 1);
  EXPECT_EQ(std::string(name).rfind('\\'), 5u);
  EXPECT_EQ(std::string(name).substr(28, 4), "a_bx");
}

TEST(PendingRestore, KeepsTheArchivesThatCouldUndoIt) {
  const char* data = "C:\\Data";
  const struct {
    const char* path;
    const char* archiveFolder;
    bool kept;
  } cases[] = {
      {"C:\\Data\\mine.BrindlexConfig", "", true},
      {"C:\\Data\\sub\\old.brindlexconfig", "", true},
      {"C:\\Data\\BrindlexConfig", "", false},
      {"C:\\Data\\Options.oqc", "C:\\Data\\Backup", false},
      {"C:\\Data\\Backup\\notes.txt", "C:\\Data\\Backup", true},
      {"C:\\Data\\backup\\2026\\notes.txt", "c:\\data\\Backup\\", true},
      {"C:\\Data\\Backup2\\notes.txt", "C:\\Data\\Backup", false},
      // An archive folder that is the data folder, or holds it, spares nothing more.
      {"C:\\Data\\Options.oqc", "C:\\Data", false},
      {"C:\\Data\\Options.oqc", "C:\\", false},
  };
  for (const auto& c : cases) EXPECT_EQ(RestoreKeepsArchive(c.path, data, c.archiveFolder), c.kept) << c.path;
}

}  // namespace
