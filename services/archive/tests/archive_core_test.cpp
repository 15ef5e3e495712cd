#include "services/archive/archive_core.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr ArchiveTokenValues kValues{"Veltrano", "D:\\Data", "3.2.1"};
constexpr ArchiveDateTime kMoment{2026, 12, 7, 9, 5, 3};

std::string Expanded(const char* pattern, std::size_t capacity = 260) {
  std::vector<char> text(capacity > 260 ? capacity : 260, '\0');
  std::strcpy(text.data(), pattern);
  return ReplaceArchiveTokens(text.data(), capacity, kValues, kMoment) ? text.data() : "<no fit>";
}

TEST(ArchiveTokens, EveryTokenCaseSensitiveEnvironmentLeftForLater) {
  const struct {
    const char* pattern;
    const char* expected;
  } cases[] = {
      {kDefaultArchiveNamePattern, "Veltrano-2026.12.07"},
      {kDefaultArchivePathPattern, "D:\\Data\\Backup"},
      {"%PROGVER%|%HOUR%%MINUTE%%SECOND%", "3.2.1|090503"},
      {"%DATE% %TIME%", "07.12.2026 09-05-03"},
      {"%year%%Day%", "%year%%Day%"},
      {"%USERPROFILE%\\%DAY%%DAY%", "%USERPROFILE%\\0707"},
  };
  for (const auto& c : cases) EXPECT_EQ(Expanded(c.pattern), c.expected) << c.pattern;
  // "07.12.2026" and its terminator take 11 bytes.
  EXPECT_EQ(Expanded("%DATE%", 11), "07.12.2026");
  EXPECT_EQ(Expanded("%DATE%", 10), "<no fit>");
}

TEST(ArchiveTokens, ConfigDirIsTheStoredDataPathElseTheFolderInUse) {
  EXPECT_STREQ(ConfigDirToken("E:\\Stored", "C:\\InUse"), "E:\\Stored");
  EXPECT_STREQ(ConfigDirToken("", "C:\\InUse"), "C:\\InUse");
}

TEST(ArchiveSchedule, DueOnlyAfterTheWholeIntervalAndNeverBeforeTheLastArchive) {
  constexpr std::int64_t kDec1 = 1796083200;
  constexpr std::int64_t kDec15 = 1797292800;
  ArchiveRecord record{};
  record.enabled = 1;
  record.intervalDays = 14;
  record.lastArchiveTime = kDec1;
  const struct {
    std::int64_t now;
    bool due;
  } cases[] = {{kDec15 - 1, false}, {kDec15, false}, {kDec15 + 1, true},
               {kDec1 - 20 * kSecondsPerDay, false},  // clock set back
               {INT64_MIN, false},       {INT64_MAX, true}};
  for (const auto& c : cases) EXPECT_EQ(IsArchiveDue(record, c.now), c.due) << c.now;
  record.enabled = 0;
  EXPECT_FALSE(IsArchiveDue(record, kDec15 + 1));

  // A run stores its day: with a one-day interval the next is due only on
  // the following day, however early the first ran.
  record.enabled = 1;
  record.intervalDays = 1;
  record.lastArchiveTime = ArchiveDayOf(kDec15 + 30);
  EXPECT_EQ(record.lastArchiveTime, kDec15);
  EXPECT_FALSE(IsArchiveDue(record, kDec15 + kSecondsPerDay - 1));
  EXPECT_TRUE(IsArchiveDue(record, kDec15 + kSecondsPerDay + 1));
  record.lastArchiveTime = INT64_MAX;
  EXPECT_FALSE(IsArchiveDue(record, INT64_MIN));
  EXPECT_EQ(ArchiveDayOf(-1), -kSecondsPerDay);
}

TEST(ArchiveSettings, DefaultsFillEmptyAndNonPositiveFields) {
  ArchiveRecord record{};
  record.intervalDays = -3;
  ApplyArchiveDefaults(record);
  EXPECT_STREQ(record.pathPattern, "%CONFIGDIR%\\Backup");
  EXPECT_STREQ(record.namePattern, "%PROGRAM%-%YEAR%.%MONTH%.%DAY%");
  EXPECT_EQ(record.intervalDays, 14);
  EXPECT_EQ(record.keepCount, 30);

  std::memset(record.pathPattern, 'p', sizeof record.pathPattern);  // unterminated
  std::strcpy(record.namePattern, "n");
  record.intervalDays = 2;
  record.keepCount = 5;
  ApplyArchiveDefaults(record);
  EXPECT_EQ(std::string(record.pathPattern), std::string(259, 'p'));
  EXPECT_STREQ(record.namePattern, "n");
  EXPECT_EQ(record.intervalDays, 2);
  EXPECT_EQ(record.keepCount, 5);
}

TEST(ArchivePath, RefusedWhenTheNameWithItsExtensionDoesNotFit) {
  // 259 characters and the terminator fill the path exactly.
  const std::string folder = "C:\\" + std::string(200, 'f') + "\\";
  const std::string name(259 - folder.size() - std::strlen(".BrindlexConfig"), 'n');
  char path[300];
  ASSERT_TRUE(ComposeArchivePath(path, sizeof path, folder.c_str(), name.c_str()));
  EXPECT_EQ(std::string(path), folder + name + ".BrindlexConfig");
  EXPECT_FALSE(ComposeArchivePath(path, sizeof path, folder.c_str(), (name + "n").c_str()));
  EXPECT_STREQ(path, "");

  ASSERT_TRUE(ComposeStagedRestorePath(path, sizeof path, "C:\\Data", "Veltrano"));
  EXPECT_STREQ(path, "C:\\Data\\Veltrano.BrindlexConfig");
  EXPECT_FALSE(ComposeStagedRestorePath(path, 30, "C:\\Data", "Veltrano"));
  EXPECT_FALSE(ComposeStagedRestorePath(path, sizeof path, "", "Veltrano"));
  EXPECT_STREQ(path, "");
}

TEST(ArchivePruning, OnlyArchivesOfTheProductAndNeverTheStagedRestore) {
  constexpr char kStaged[] = "C:\\Data\\Veltrano.BrindlexConfig";
  const struct {
    const char* path;
    bool prunable;
  } cases[] = {
      {"C:\\Data\\Backup\\Veltrano-2026.12.07.BrindlexConfig", true},
      {"C:\\Data\\veltrano-old.BrindlexConfig", true},
      {"C:\\Data\\Veltrano.BrindlexConfig", false},  // the archive folder is the data folder
      {"c:\\data\\VELTRANO.BrindlexConfig", false},
      {"C:\\Other\\Veltrano.BrindlexConfig", true},
      {"C:\\Veltrano\\Other.BrindlexConfig", false},  // the product in the folder, not the name
  };
  for (const auto& c : cases) EXPECT_EQ(IsPrunableArchive(c.path, "Veltrano", kStaged), c.prunable) << c.path;
}

TEST(ArchivePruning, ListStaysNewestFirst) {
  const std::uint64_t times[] = {50, 10, 90, 10, 70, 30, 90, 60};
  ArchiveListEntry list[8] = {};
  std::size_t count = 0;
  for (const std::uint64_t t : times) {
    const std::size_t at = NewestFirstPosition(list, count, t);
    std::memmove(list + at + 1, list + at, (count - at) * sizeof *list);
    list[at].creationTime = t;
    ++count;
  }
  std::vector<std::uint64_t> order;
  for (const auto& e : list) order.push_back(std::uint64_t{e.creationTime});
  EXPECT_EQ(order, (std::vector<std::uint64_t>{90, 90, 70, 60, 50, 30, 10, 10}));
}

}  // namespace
