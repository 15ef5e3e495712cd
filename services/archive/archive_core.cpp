#include "services/archive/archive_core.h"

#include <cstdio>
#include <cstring>

#include "framework/util/text_util.h"

void ApplyArchiveDefaults(ArchiveRecord& record) noexcept {
  record.pathPattern[sizeof record.pathPattern - 1] = '\0';
  record.namePattern[sizeof record.namePattern - 1] = '\0';
  if (record.intervalDays <= 0) record.intervalDays = kDefaultArchiveInterval;
  if (record.keepCount <= 0) record.keepCount = kDefaultArchiveKeepCount;
  if (record.pathPattern[0] == '\0') {
    (void)CopyText(record.pathPattern, sizeof record.pathPattern, kDefaultArchivePathPattern);
  }
  if (record.namePattern[0] == '\0') {
    (void)CopyText(record.namePattern, sizeof record.namePattern, kDefaultArchiveNamePattern);
  }
}

const char* ConfigDirToken(const char* installDataPath, const char* dataFolder) noexcept {
  if (installDataPath != nullptr && installDataPath[0] != '\0') return installDataPath;
  return dataFolder != nullptr ? dataFolder : "";
}

bool ReplaceArchiveTokens(char* text, std::size_t capacity, const ArchiveTokenValues& values,
                          const ArchiveDateTime& when) noexcept {
  if (!ReplaceFixedArchiveTokens(text, capacity, values)) return false;
  char year[16], month[16], day[16], hour[16], minute[16], second[16], date[48], time[48];
  std::snprintf(year, sizeof year, "%04d", when.year);
  std::snprintf(month, sizeof month, "%02d", when.month);
  std::snprintf(day, sizeof day, "%02d", when.day);
  std::snprintf(hour, sizeof hour, "%02d", when.hour);
  std::snprintf(minute, sizeof minute, "%02d", when.minute);
  std::snprintf(second, sizeof second, "%02d", when.second);
  std::snprintf(date, sizeof date, "%02d.%02d.%04d", when.day, when.month, when.year);
  std::snprintf(time, sizeof time, "%02d-%02d-%02d", when.hour, when.minute, when.second);
  const struct {
    const char* token;
    const char* value;
  } tokens[] = {{"%YEAR%", year},     {"%MONTH%", month}, {"%DAY%", day},   {"%HOUR%", hour},
                {"%MINUTE%", minute}, {"%SECOND%", second}, {"%DATE%", date}, {"%TIME%", time}};
  for (const auto& t : tokens) {
    if (ReplaceAllInPlace(text, capacity, t.token, t.value, 0) < 0) return false;
  }
  return true;
}

bool IsArchiveDue(const ArchiveRecord& record, std::int64_t now) noexcept {
  if (record.enabled == 0) return false;
  // Differences of any two 64-bit times stay exact enough in a double, and
  // never overflow as an integer subtraction could.
  const double passed = static_cast<double>(now) - static_cast<double>(record.lastArchiveTime);
  return passed > static_cast<double>(record.intervalDays) * static_cast<double>(kSecondsPerDay);
}

std::int64_t ArchiveDayOf(std::int64_t now) noexcept {
  std::int64_t days = now / kSecondsPerDay;
  if (now % kSecondsPerDay < 0) --days;  // before 1970: still down, not towards zero
  return days * kSecondsPerDay;
}

bool ComposeArchivePath(char* out, std::size_t capacity, const char* folder, const char* name) noexcept {
  if (capacity > kMaxPathText) capacity = kMaxPathText;
  const int n = std::snprintf(out, capacity, "%s%s.%s", folder, name, kArchiveExtension);
  if (n < 0 || static_cast<std::size_t>(n) >= capacity) {
    if (capacity > 0) out[0] = '\0';
    return false;
  }
  return true;
}

bool ComposeStagedRestorePath(char* out, std::size_t capacity, const char* dataFolder,
                              const char* productName) noexcept {
  if (capacity == 0) return false;
  const int n = std::snprintf(out, capacity, "%s\\%s.%s", dataFolder, productName, kArchiveExtension);
  if (dataFolder[0] == '\0' || n < 0 || static_cast<std::size_t>(n) >= capacity) {
    out[0] = '\0';
    return false;
  }
  return true;
}

bool IsPrunableArchive(const char* path, const char* productName, const char* stagedRestore) noexcept {
  const char* slash = std::strrchr(path, '\\');
  const char* name = slash != nullptr ? slash + 1 : path;
  return FindNoCase(name, productName) != nullptr && !EqualNoCase(path, stagedRestore);
}

std::size_t NewestFirstPosition(const ArchiveListEntry* list, std::size_t count, std::uint64_t creationTime) noexcept {
  std::size_t lo = 0;
  std::size_t hi = count;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (list[mid].creationTime >= creationTime) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}
