// The platform-free rules of the update check: its stored record, when a
// check is due, and whether a fetched version text names a newer version.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::int64_t kSecondsPerDay = 86400;
inline constexpr std::int32_t kMinUpdateIntervalDays = 7;  // never more often
inline constexpr std::int32_t kMaxUpdateIntervalDays = 9999;
inline constexpr std::size_t kUpdateReplySize = 260;        // stored reply, with its zero
inline constexpr std::size_t kMaxUpdateReplyBody = 64 * 1024;

#pragma pack(push, 1)
// The record "(Orvo)UpdateCheck", read and written whole.
struct UpdateCheckRecord {
  char lastReply[kUpdateReplySize];
  std::uint8_t reserved1[4];
  std::int64_t lastCheck;     // seconds since 1970 (UTC), a whole day
  std::uint8_t newerFound;
  std::uint8_t enabled;
  std::uint8_t reserved2[2];
  std::int32_t intervalDays;
};
#pragma pack(pop)
static_assert(sizeof(UpdateCheckRecord) == 280, "record file layout");
static_assert(offsetof(UpdateCheckRecord, lastCheck) == 264, "record file layout");
static_assert(offsetof(UpdateCheckRecord, newerFound) == 272, "record file layout");
static_assert(offsetof(UpdateCheckRecord, intervalDays) == 276, "record file layout");

// After every read: a record never written (interval 0) is enabled with 7
// days; the interval is clamped to 7..9999, the flags to 0/1, and the reply
// is terminated.
void NormalizeUpdateCheckRecord(UpdateCheckRecord* record) noexcept;

// Floor to a multiple of a day, also before 1970.
[[nodiscard]] std::int64_t StartOfUtcDay(std::int64_t seconds) noexcept;

// Enabled, and more than the interval has passed since the last check. A
// last check later than now (the clock was set back) makes a check due, so
// a clock that jumps back cannot stop the checks until it catches up; the
// check then stores today and the interval counts from there.
[[nodiscard]] bool IsUpdateCheckDue(const UpdateCheckRecord& record, std::int64_t now) noexcept;

struct ProgramVersion {
  std::int32_t major;
  std::int32_t minor;
  std::int32_t build;
};

// "%d.%d.%d" at the start of a reply (blanks before it allowed, text after
// the third number ignored). Refused: signs, missing numbers, more than nine
// digits in a number. The reply need not be zero-terminated.
[[nodiscard]] bool ParseVersionText(const char* text, std::size_t length, ProgramVersion* out) noexcept;

// Compared by major, then minor, then build.
[[nodiscard]] bool IsNewerVersion(const ProgramVersion& reply, const ProgramVersion& own) noexcept;

// The reply as it is stored: up to the first zero byte, at most 259 bytes.
void StoreUpdateReply(const char* reply, std::size_t length, char (&stored)[kUpdateReplySize]) noexcept;

// Whether the reply, stored, would equal what is stored: a long reply that
// was cut on storing is the same reply the next time.
[[nodiscard]] bool IsStoredUpdateReply(const char* reply, std::size_t length,
                                       const char (&stored)[kUpdateReplySize]) noexcept;
