#include "services/archiving.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <string>

#include "framework/app/application.h"
#include "framework/util/tests/win_test_support.h"
#include "framework/util/text_util.h"
#include "services/file_finder.h"
#include "zip/win32/zip_win32.h"

using test_support::Exists;
using test_support::ReadWholeFile;
using test_support::TempDir;
using test_support::WriteWholeFile;

namespace {

constexpr std::int64_t kDec1 = 1796083200;  // 2026-12-01 00:00:00 UTC
constexpr std::int64_t kDec15 = kDec1 + 14 * kSecondsPerDay;

enum class Writer { kGood, kFails, kDamaged, kBlocking };

std::atomic<std::int64_t> gNow{kDec1};
std::atomic<Writer> gWriter{Writer::kGood};
std::atomic<int> gWrites{0};
HANDLE gWriterEntered = nullptr;
HANDLE gWriterRelease = nullptr;

std::int64_t FakeNow() noexcept { return gNow.load(); }
void FakeLocalNow(ArchiveDateTime* out) noexcept { *out = ArchiveDateTime{2026, 12, 7, 9, 5, 3}; }

std::uint32_t FakeWriteArchive(const char* target, bool) noexcept {
  ++gWrites;
  switch (gWriter.load()) {
    case Writer::kFails:
      return 2;
    case Writer::kDamaged:
      return WriteWholeFile(target, "PK\x03\x04 not an archive") ? 0 : 2;
    case Writer::kBlocking:
      // Bounded only so that a second run that was wrongly let in fails the
      // test instead of hanging it: the test releases the first at once.
      SetEvent(gWriterEntered);
      WaitForSingleObject(gWriterRelease, 60000);
      break;
    case Writer::kGood:
      break;
  }
  ZipHandle* zip = CreateZipFile(target, nullptr);
  if (zip == nullptr) return 2;
  const bool added = ZipAddBuffer(zip, "Veltrano.cfg", "settings", 8) == kZipOk;
  return CloseZip(zip) == kZipOk && added ? 0 : 2;
}

// A file whose creation time is day days after an arbitrary start.
void MakeFileCreatedOn(const std::string& path, int day) {
  ASSERT_TRUE(WriteWholeFile(path, "old"));
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const std::uint64_t t = 133000000000000000ull + static_cast<std::uint64_t>(day) * 864000000000ull;
  const FILETIME created{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
  EXPECT_TRUE(SetFileTime(file, &created, nullptr, nullptr));
  CloseHandle(file);
}

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  CFileFinder finder{};
  EXPECT_TRUE(InitFileFinder(finder, "%s\\*", folder.c_str()));
  while (FindNextMatch(finder)) {
    const std::string name = finder.findData.cFileName;
    if (name != "." && name != "..") names.insert(name);
  }
  return names;
}

class Archiving : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyText(gApp.appName, sizeof gApp.appName, "Veltrano");
    CopyText(gApp.dataFolder, sizeof gApp.dataFolder, (tmp_ / "data").c_str());
    gApp.install.dataPath[0] = '\0';
    SetArchiveEnvironment(ArchiveEnvironment{FakeNow, FakeLocalNow, FakeWriteArchive});
    gNow = kDec1;
    gWriter = Writer::kGood;
    gWrites = 0;
    ArchiveRecord record{};
    record.keepCount = 3;
    ApplyArchiveDefaults(record);
    SetArchiveSettings(record);
  }
  // Five archives of the product created on days 1 to 5, and files that are
  // no archives of it.
  void MakeOldArchives() {
    ASSERT_TRUE(CreateDirectoryA(gApp.dataFolder, nullptr));
    ASSERT_TRUE(CreateDirectoryA(backup_.c_str(), nullptr));
    for (int day = 1; day <= 5; ++day) MakeFileCreatedOn(backup_ + "\\veltrano-" + std::to_string(day) + ".BrindlexConfig", day);
    MakeFileCreatedOn(backup_ + "\\Other.BrindlexConfig", 0);
    MakeFileCreatedOn(backup_ + "\\Veltrano-notes.txt", 0);
  }
  static std::int64_t StoredLastArchive(const std::string& recordPath) {
    const std::string bytes = ReadWholeFile(recordPath);
    if (bytes.size() != sizeof(ArchiveRecord)) return -1;
    ArchiveRecord record;
    std::memcpy(&record, bytes.data(), sizeof record);
    return record.lastArchiveTime;
  }

  TempDir tmp_;
  const std::string backup_ = tmp_ / "data\\Backup";
  const std::string record_ = tmp_ / "data\\(Orvo)Archive.oqc";
};

TEST(ArchiveTokensWin32, ConfigDirStoredOrInUseAndEnvironmentAfterTokens) {
  CopyText(gApp.appName, sizeof gApp.appName, "Veltrano");
  CopyText(gApp.dataFolder, sizeof gApp.dataFolder, "C:\\InUse");
  SetArchiveEnvironment(ArchiveEnvironment{FakeNow, FakeLocalNow, nullptr});
  SetEnvironmentVariableA("ARCHIVE_TEST_DIR", "X:\\Env");
  SetEnvironmentVariableA("ARCHIVE_TEST_TOKEN", "%YEAR%");
  const std::string longValue(30, 'v');
  SetEnvironmentVariableA("ARCHIVE_TEST_LONG", longValue.c_str());
  const struct {
    const char* stored;
    const char* pattern;
    std::size_t capacity;
    const char* expected;  // null: refused
  } cases[] = {
      {"", "%CONFIGDIR%\\Backup", 260, "C:\\InUse\\Backup"},
      {"E:\\Stored", "%CONFIGDIR%\\Backup", 260, "E:\\Stored\\Backup"},
      {"", "%ARCHIVE_TEST_DIR%\\%PROGRAM%", 260, "X:\\Env\\Veltrano"},
      {"", "%ARCHIVE_TEST_TOKEN%", 260, "%YEAR%"},  // a variable's value holds no tokens
      {"", "%DATE%", 11, "07.12.2026"},
      {"", "%DATE%", 10, nullptr},
      {"", "%ARCHIVE_TEST_LONG%", 31, longValue.c_str()},
      {"", "%ARCHIVE_TEST_LONG%", 30, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " in " + std::to_string(c.capacity));
    CopyText(gApp.install.dataPath, sizeof gApp.install.dataPath, c.stored);
    char out[260];
    std::memset(out, 'x', sizeof out);
    const bool expanded = ExpandPathTokens(c.pattern, out, c.capacity);
    EXPECT_EQ(expanded, c.expected != nullptr);
    if (expanded) {
      EXPECT_STREQ(out, c.expected);
    }
  }
  gApp.install.dataPath[0] = '\0';
}

TEST_F(Archiving, RunWritesTheRecordAndKeepsExactlyTheNewestArchivesOfTheProduct) {
  MakeOldArchives();
  gNow = kDec15 + 3600;
  ASSERT_EQ(RunArchiveNow(), kArchiveDone);
  EXPECT_EQ(FilesIn(backup_),
            (std::set<std::string>{"Veltrano-2026.12.07.BrindlexConfig", "veltrano-5.BrindlexConfig",
                                   "veltrano-4.BrindlexConfig", "Other.BrindlexConfig", "Veltrano-notes.txt"}));
  EXPECT_EQ(StoredLastArchive(record_), kDec15);
  EXPECT_FALSE(IsArchiveRunning());
}

TEST_F(Archiving, FailedOrUnreadableArchivePrunesNothingAndKeepsTheLastTime) {
  MakeOldArchives();
  const std::set<std::string> before = FilesIn(backup_);
  for (const Writer writer : {Writer::kFails, Writer::kDamaged}) {
    gWriter = writer;
    EXPECT_EQ(RunArchiveNow(), kArchiveFailed);
    std::set<std::string> after = FilesIn(backup_);
    EXPECT_EQ(after.count("Veltrano-2026.12.07.BrindlexConfig"), writer == Writer::kDamaged ? 1u : 0u);
    after.erase("Veltrano-2026.12.07.BrindlexConfig");  // the damaged one, for the next run to replace
    EXPECT_EQ(after, before);
    EXPECT_FALSE(Exists(record_));
  }
}

TEST_F(Archiving, PathsThatCannotBeMadeAreRefusedBeforeWriting) {
  ArchiveRecord record = GetArchiveSettings();
  // Fits 260 characters alone, but not with the name and ".BrindlexConfig".
  CopyText(record.pathPattern, sizeof record.pathPattern, (tmp_ / std::string(230 - tmp_.Path().size(), 'f')).c_str());
  SetArchiveSettings(record);
  EXPECT_EQ(RunArchiveNow(), kArchiveFailed);
  record.pathPattern[0] = '\0';
  SetArchiveSettings(record);
  EXPECT_EQ(RunArchiveNow(), kArchiveNoPath);
  EXPECT_EQ(gWrites.load(), 0);
}

TEST_F(Archiving, DueTestStartsOneRunAndRefusesASecondWhileItRuns) {
  ArchiveRecord record = GetArchiveSettings();
  record.enabled = 1;
  record.lastArchiveTime = kDec1;
  SetArchiveSettings(record);
  ASSERT_TRUE(SaveArchiveSettings());
  gNow = kDec15;  // exactly the interval: not yet
  ArchiveIfDue();
  EXPECT_FALSE(IsArchiveRunning());

  gWriterEntered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  gWriterRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  gWriter = Writer::kBlocking;
  gNow = kDec15 + 1;
  ArchiveIfDue();
  ASSERT_EQ(WaitForSingleObject(gWriterEntered, 60000), WAIT_OBJECT_0);
  EXPECT_TRUE(IsArchiveRunning());
  EXPECT_FALSE(StartArchiveRun(nullptr));
  EXPECT_EQ(RunArchiveNow(), kArchiveBusy);
  ArchiveIfDue();
  SetEvent(gWriterRelease);
  for (int i = 0; i < 6000 && IsArchiveRunning(); ++i) Sleep(10);
  ASSERT_FALSE(IsArchiveRunning());
  EXPECT_EQ(gWrites.load(), 1);
  EXPECT_EQ(StoredLastArchive(record_), kDec15);
  ArchiveIfDue();  // the same day again: the run has moved the last time on
  EXPECT_FALSE(IsArchiveRunning());
  EXPECT_EQ(gWrites.load(), 1);
  CloseHandle(gWriterEntered);
  CloseHandle(gWriterRelease);
}

TEST(FileFinder, MatchesOfOnePatternWithTheirPathsAndAnEndedSearch) {
  TempDir tmp;
  for (const char* name : {"a.txt", "b.txt", "c.log"}) ASSERT_TRUE(WriteWholeFile(tmp / name, name));
  CFileFinder finder{};
  ASSERT_TRUE(InitFileFinder(finder, "%s\\*.%s", tmp.Path().c_str(), "txt"));
  EXPECT_STREQ(GetFoundFilePath(finder), "");  // no search open yet
  std::set<std::string> found;
  while (FindNextMatch(finder)) found.insert(GetFoundFilePath(finder));
  EXPECT_EQ(found, (std::set<std::string>{tmp / "a.txt", tmp / "b.txt"}));
  EXPECT_EQ(finder.matchCount, 2);
  EXPECT_EQ(CloseFileFinder(finder), 1);
  EXPECT_EQ(CloseFileFinder(finder), -1);
  EXPECT_TRUE(FindFirstMatch(finder, "%s\\c.*", tmp.Path().c_str()));
  EXPECT_EQ(std::string(GetFoundFilePath(finder)), tmp / "c.log");
  EXPECT_FALSE(FindFirstMatch(finder, "%s\\*.none", tmp.Path().c_str()));
  // A pattern that does not fit finds nothing rather than other files.
  EXPECT_FALSE(SetFileFinderPattern(finder, "%s\\%s", tmp.Path().c_str(), std::string(300, 'a').c_str()));
  EXPECT_FALSE(FindNextMatch(finder));
}

}  // namespace
