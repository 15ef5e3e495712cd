#include "services/update/update_logic.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(UpdateLogic, RecordIsNormalisedAfterReading) {
  const struct {
    std::int32_t interval;
    std::uint8_t enabled;
    std::int32_t interval2;
    std::uint8_t enabled2;
  } cases[] = {
      {0, 0, 7, 1}, {3, 0, 7, 0}, {-5, 1, 7, 1}, {30, 1, 30, 1}, {100000, 5, 9999, 1},
  };
  for (const auto& c : cases) {
    UpdateCheckRecord r{};
    std::memset(r.lastReply, 'x', sizeof r.lastReply);
    r.intervalDays = c.interval;
    r.enabled = c.enabled;
    NormalizeUpdateCheckRecord(&r);
    EXPECT_EQ(r.intervalDays, c.interval2) << c.interval;
    EXPECT_EQ(r.enabled, c.enabled2) << c.interval;
    EXPECT_EQ(std::strlen(r.lastReply), kUpdateReplySize - 1);
  }
  EXPECT_EQ(StartOfUtcDay(3 * kSecondsPerDay + 5), 3 * kSecondsPerDay);
  EXPECT_EQ(StartOfUtcDay(-1), -kSecondsPerDay);
}

TEST(UpdateLogic, DueAfterMoreThanTheIntervalAndAfterTheClockWentBack) {
  constexpr std::int64_t kDay = kSecondsPerDay;
  const struct {
    std::uint8_t enabled;
    std::int32_t interval;
    std::int64_t last;
    std::int64_t now;
    bool due;
  } cases[] = {
      {1, 7, 100 * kDay, 107 * kDay, false},
      {1, 7, 100 * kDay, 107 * kDay + 1, true},
      {0, 7, 100 * kDay, 200 * kDay, false},
      {1, 3, 100 * kDay, 105 * kDay, false},  // never more often than a week
      {1, 9999, 0, 9999 * kDay + 1, true},    // beyond 32 bits of seconds
      {1, 7, 200 * kDay, 100 * kDay, true},   // last check in the future: the clock went back
      {1, 7, INT64_MIN, INT64_MAX, true},
      {1, 7, INT64_MIN, INT64_MIN + 5, false},
  };
  for (const auto& c : cases) {
    UpdateCheckRecord r{};
    r.enabled = c.enabled;
    r.intervalDays = c.interval;
    r.lastCheck = c.last;
    EXPECT_EQ(IsUpdateCheckDue(r, c.now), c.due) << c.interval << " " << c.last << " " << c.now;
  }
}

TEST(UpdateLogic, VersionTextIsThreeNumbersAndGarbageIsNeverNewer) {
  const ProgramVersion own{3, 2, 10};
  const struct {
    std::string reply;
    bool parsed;
    bool newer;
  } cases[] = {
      {"3.2.10", true, false},
      {"3.3.0", true, true},
      {"3.2.9\r\nChanges: ...", true, false},
      {" 4.0.0 beta", true, true},
      {"3.2.11", true, true},
      {"999999999.0.0", true, true},
      {"3.2", false, false},
      {"3.2.", false, false},
      {"3..10", false, false},
      {"+4.0.0", false, false},
      {"-4.0.0", false, false},
      {"4.0.x", false, false},
      {"4294967299.0.0", false, false},  // would wrap to 3 in 32 bits
      {"<html>", false, false},
      {"", false, false},
  };
  for (const auto& c : cases) {
    ProgramVersion v{};
    const bool parsed = ParseVersionText(c.reply.data(), c.reply.size(), &v);
    EXPECT_EQ(parsed, c.parsed) << c.reply;
    EXPECT_EQ(parsed && IsNewerVersion(v, own), c.newer) << c.reply;
  }
  ProgramVersion v{};
  EXPECT_FALSE(ParseVersionText("3.2.10", 4, &v));  // reads no further than it is told
}

TEST(UpdateLogic, ALongReplyComparesAsItIsStored) {
  const std::string reply = "3.2.11 " + std::string(300, 'n');
  char stored[kUpdateReplySize];
  StoreUpdateReply(reply.data(), reply.size(), stored);
  EXPECT_EQ(std::strlen(stored), kUpdateReplySize - 1);
  std::string changedLate = reply;
  changedLate[280] = 'y';
  std::string changedEarly = reply;
  changedEarly[100] = 'y';
  EXPECT_TRUE(IsStoredUpdateReply(reply.data(), reply.size(), stored));
  EXPECT_TRUE(IsStoredUpdateReply(changedLate.data(), changedLate.size(), stored));
  EXPECT_FALSE(IsStoredUpdateReply(changedEarly.data(), changedEarly.size(), stored));
  EXPECT_FALSE(IsStoredUpdateReply(reply.data(), 100, stored));
  StoreUpdateReply("1.2.3\0junk", 10, stored);
  EXPECT_STREQ(stored, "1.2.3");
  EXPECT_TRUE(IsStoredUpdateReply("1.2.3\0other", 11, stored));
  EXPECT_FALSE(IsStoredUpdateReply("1.2.3x", 6, stored));
  StoreUpdateReply(nullptr, 0, stored);  // an empty body
  EXPECT_STREQ(stored, "");
  EXPECT_TRUE(IsStoredUpdateReply(nullptr, 0, stored));
}

}  // namespace
