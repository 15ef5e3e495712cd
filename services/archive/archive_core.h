// The scheduled archiving's settings record and the decisions it makes
// without the system: tokens of the path patterns, the due test, the
// archive's path and which archives the pruning deletes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "services/archive/archive_folder.h"

#pragma pack(push, 1)

// "(Orvo)Archive": little-endian, byte-packed, the same in both builds.
struct ArchiveRecord {
  char pathPattern[260];
  char namePattern[260];
  std::int64_t lastArchiveTime;  // seconds since 1970 UTC, a whole day
  std::uint8_t enabled;
  std::uint8_t reserved0[3];
  std::int32_t intervalDays;
  std::int32_t keepCount;
  std::int32_t reserved1;
};

#pragma pack(pop)

static_assert(sizeof(ArchiveRecord) == 544);
static_assert(offsetof(ArchiveRecord, pathPattern) == 0);
static_assert(offsetof(ArchiveRecord, namePattern) == 260);
static_assert(offsetof(ArchiveRecord, lastArchiveTime) == 520);
static_assert(offsetof(ArchiveRecord, enabled) == 528);
static_assert(offsetof(ArchiveRecord, intervalDays) == 532);
static_assert(offsetof(ArchiveRecord, keepCount) == 536);
static_assert(offsetof(ArchiveRecord, reserved1) == 540);

inline constexpr char kDefaultArchiveNamePattern[] = "%PROGRAM%-%YEAR%.%MONTH%.%DAY%";
inline constexpr char kArchiveExtension[] = "BrindlexConfig";
inline constexpr std::int32_t kDefaultArchiveInterval = 14;
inline constexpr std::int32_t kDefaultArchiveKeepCount = 30;
inline constexpr std::int64_t kSecondsPerDay = 86400;

// Terminates both patterns inside their fields and fills what is empty or
// not positive with its default.
void ApplyArchiveDefaults(ArchiveRecord& record) noexcept;

// The local date and time that the date and time tokens show.
struct ArchiveDateTime {
  int year, month, day, hour, minute, second;
};

// What "%CONFIGDIR%" stands for: the installation record's data path as
// stored, or the data folder in use when that field is empty (never an empty
// text, which would put the archives at the root of a drive).
[[nodiscard]] const char* ConfigDirToken(const char* installDataPath, const char* dataFolder) noexcept;

// Replaces every token of the archive patterns in text (a buffer of capacity
// bytes), in their fixed order. False when a replacement does not fit; the
// text is then no usable pattern.
[[nodiscard]] bool ReplaceArchiveTokens(char* text, std::size_t capacity, const ArchiveTokenValues& values,
                                        const ArchiveDateTime& when) noexcept;

// Due when more than the interval has passed since the last archive. A clock
// set back before the last archive makes a negative difference: nothing is
// due until the interval has passed after that archive again.
[[nodiscard]] bool IsArchiveDue(const ArchiveRecord& record, std::int64_t now) noexcept;

// The time stored after a successful archive: now rounded down to its day.
[[nodiscard]] std::int64_t ArchiveDayOf(std::int64_t now) noexcept;

// "<folder><name>.BrindlexConfig" into out (capacity bytes, at most 260 used),
// folder ending in "\". False, with out emptied, when it does not fit: a cut
// path would lose its extension and the pruning would never find it.
[[nodiscard]] bool ComposeArchivePath(char* out, std::size_t capacity, const char* folder, const char* name) noexcept;

#pragma pack(push, 1)

// One archive that the pruning found.
struct ArchiveListEntry {
  char path[260];
  std::uint64_t creationTime;  // Windows file time
};

#pragma pack(pop)

static_assert(sizeof(ArchiveListEntry) == 268);

// The pending restore that a restore or reset stages for the next start:
// "<data folder>\<product>.BrindlexConfig" into out (capacity bytes). False,
// with out emptied, without a data folder or when it does not fit.
[[nodiscard]] bool ComposeStagedRestorePath(char* out, std::size_t capacity, const char* dataFolder,
                                            const char* productName) noexcept;

// Whether the pruning counts the archive it found at path among the
// scheduled archives it may delete: its file name holds the product name
// (in any case), and it is not the staged restore (both full paths, compared
// without case), which the next start still has to apply.
[[nodiscard]] bool IsPrunableArchive(const char* path, const char* productName, const char* stagedRestore) noexcept;

// Where an archive created at creationTime goes in list (count entries,
// newest first) so that the order holds: after every archive as new or newer.
[[nodiscard]] std::size_t NewestFirstPosition(const ArchiveListEntry* list, std::size_t count,
                                              std::uint64_t creationTime) noexcept;
