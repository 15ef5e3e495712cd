#include "services/update/update_logic.h"

#include <cstring>

void NormalizeUpdateCheckRecord(UpdateCheckRecord* record) noexcept {
  if (record->intervalDays == 0) {
    record->enabled = 1;
    record->intervalDays = kMinUpdateIntervalDays;
  }
  if (record->intervalDays < kMinUpdateIntervalDays) record->intervalDays = kMinUpdateIntervalDays;
  if (record->intervalDays > kMaxUpdateIntervalDays) record->intervalDays = kMaxUpdateIntervalDays;
  record->enabled = record->enabled ? 1 : 0;
  record->newerFound = record->newerFound ? 1 : 0;
  record->lastReply[kUpdateReplySize - 1] = '\0';
}

std::int64_t StartOfUtcDay(std::int64_t seconds) noexcept {
  std::int64_t remainder = seconds % kSecondsPerDay;
  if (remainder < 0) remainder += kSecondsPerDay;
  return seconds - remainder;
}

bool IsUpdateCheckDue(const UpdateCheckRecord& record, std::int64_t now) noexcept {
  if (!record.enabled) return false;
  if (record.lastCheck > now) return true;
  std::int32_t days = record.intervalDays;
  if (days < kMinUpdateIntervalDays) days = kMinUpdateIntervalDays;
  if (days > kMaxUpdateIntervalDays) days = kMaxUpdateIntervalDays;
  // now >= lastCheck here; the difference of two far-apart int64 values
  // would overflow, so compare against now minus the interval instead.
  const std::int64_t interval = std::int64_t{days} * kSecondsPerDay;
  if (now < INT64_MIN + interval) return false;
  return record.lastCheck < now - interval;
}

bool ParseVersionText(const char* text, std::size_t length, ProgramVersion* out) noexcept {
  std::size_t i = 0;
  while (i < length && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  std::int32_t parts[3];
  for (int p = 0; p < 3; ++p) {
    if (p > 0) {
      if (i >= length || text[i] != '.') return false;
      ++i;
    }
    std::int32_t value = 0;
    int digits = 0;
    while (i < length && text[i] >= '0' && text[i] <= '9') {
      if (++digits > 9) return false;
      value = value * 10 + (text[i] - '0');
      ++i;
    }
    if (digits == 0) return false;
    parts[p] = value;
  }
  *out = ProgramVersion{parts[0], parts[1], parts[2]};
  return true;
}

bool IsNewerVersion(const ProgramVersion& reply, const ProgramVersion& own) noexcept {
  if (reply.major != own.major) return reply.major > own.major;
  if (reply.minor != own.minor) return reply.minor > own.minor;
  return reply.build > own.build;
}

namespace {

std::size_t StoredLength(const char* reply, std::size_t length) noexcept {
  if (!reply) return 0;
  if (length > kUpdateReplySize - 1) length = kUpdateReplySize - 1;
  const void* zero = std::memchr(reply, '\0', length);
  return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - reply) : length;
}

}  // namespace

void StoreUpdateReply(const char* reply, std::size_t length, char (&stored)[kUpdateReplySize]) noexcept {
  const std::size_t n = StoredLength(reply, length);
  if (n > 0) std::memcpy(stored, reply, n);
  std::memset(stored + n, 0, kUpdateReplySize - n);
}

bool IsStoredUpdateReply(const char* reply, std::size_t length, const char (&stored)[kUpdateReplySize]) noexcept {
  const std::size_t n = StoredLength(reply, length);
  return (n == 0 || std::memcmp(stored, reply, n) == 0) && (n == kUpdateReplySize - 1 || stored[n] == '\0');
}
