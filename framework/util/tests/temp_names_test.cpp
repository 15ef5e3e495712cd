#include "framework/util/temp_names.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

TEST(TempNames, EachCarriesItsWritersProcessAndIsNeverCut) {
  char out[260];
  ASSERT_TRUE(ComposeRecordTempPath("C:\\d\\Options.oqc", 4242, out, sizeof out));
  EXPECT_STREQ(out, "C:\\d\\Options.oqc_tmp4242");
  ASSERT_TRUE(ComposeScratchTempName(4242, 0, out, sizeof out));
  EXPECT_STREQ(out, "~vz4242-0.tmp");
  ASSERT_TRUE(ComposeScratchTempName(0xFFFFFFFFu, 17, out, sizeof out));
  EXPECT_STREQ(out, "~vz4294967295-17.tmp");
  // 255 characters + "_tmp7" is 260: one too many; a cut name could be the
  // target itself.
  EXPECT_TRUE(ComposeRecordTempPath(std::string(254, 'a').c_str(), 7, out, sizeof out));
  EXPECT_FALSE(ComposeRecordTempPath(std::string(255, 'a').c_str(), 7, out, sizeof out));
  EXPECT_STREQ(out, "");
  char small[8];
  EXPECT_FALSE(ComposeScratchTempName(4242, 1, small, sizeof small));
  EXPECT_STREQ(small, "");
}

TEST(TempNames, OnlyTheProgramsOwnFormsNameTheirWriter) {
  const struct {
    const char* name;
    std::uint32_t owner;  // 0: none of ours
  } cases[] = {
      {"Options.oqc_tmp4242", 4242},
      {"(Orvo)Win3.OQC_TMP17", 17},
      {"~vz4242-0.tmp", 4242},
      {"~VZ4294967295-12.TMP", 0xFFFFFFFFu},
      // Alike, but not written by the program.
      {"Options.oqc_tmp", 0},  // an older version's, whose writer is unknown
      {"Options.oqc_tmp0", 0},
      {"Options.oqc_tmp042", 0},
      {"Options.oqc_tmp12a", 0},
      {"Options.oqc_tmp4294967296", 0},
      {"Options.txt_tmp12", 0},
      {".oqc_tmp12", 0},
      {"Optionsoqc_tmp12", 0},
      {"notes_tmp12", 0},
      {"~vz12.tmp", 0},
      {"~vz12-.tmp", 0},
      {"~vz-3.tmp", 0},
      {"~vz12-3.tmp.bak", 0},
      {"~vz00000012.tmp", 0},
      {"x~vz12-3.tmp", 0},
      {"~vl12-3.tmp", 0},
  };
  for (const auto& c : cases) {
    std::uint32_t owner = 99;
    EXPECT_EQ(TempNameOwner(c.name, "oqc", &owner), c.owner != 0) << c.name;
    EXPECT_EQ(owner, c.owner != 0 ? c.owner : 99u) << c.name;
  }
}

namespace {

constexpr std::uint64_t kMinute = 600000000;
constexpr std::uint64_t kNow = 1000000 * kMinute;

// Processes 7 (started long ago), 4 (started 30 minutes ago) and 3 (whose
// start cannot be told) run here; a temporary holds what its table entry
// says.
class FakeProbe final : public CLeftoverProbe {
 public:
  explicit FakeProbe(std::map<std::string, TempContents> contents) : contents_(std::move(contents)) {}
  bool ProcessRuns(std::uint32_t processId, std::uint64_t* started) noexcept override {
    *started = processId == 7 ? kNow - 1000 * kMinute : processId == 4 ? kNow - 30 * kMinute : 0;
    return processId == 7 || processId == 4 || processId == 3;
  }
  TempContents ContentsOf(const char* tempName, const char*) noexcept override {
    asked.emplace_back(tempName);
    return contents_.at(tempName);
  }
  std::vector<std::string> asked;

 private:
  std::map<std::string, TempContents> contents_;
};

}  // namespace

TEST(TempNames, OnlyOldTemporariesOfEndedProcessesGoAndNoOnlyCopyOfARecord) {
  constexpr TempContents kWhole = TempContents::kWhole;
  const struct {
    const char* name;
    int minutesAgo;
    TempContents contents;  // when asked
    TempAction action;
    const char* target;
  } cases[] = {
      {"Options.oqc", 60, kWhole, TempAction::kNone, ""},
      {"Options.oqc_tmp5", 11, kWhole, TempAction::kRemove, ""},
      {"Options.oqc_tmp7", 60, kWhole, TempAction::kLeave, ""},  // its process runs
      {"Options.oqc_tmp9", 10, kWhole, TempAction::kLeave, ""},  // perhaps another machine's, writing
      {"~vz5-1.tmp", 11, kWhole, TempAction::kRemove, ""},
      {"~vz5-2.tmp", 3, kWhole, TempAction::kLeave, ""},
      {"(Orvo)Bar2.oqc_tmp5", -5, TempContents::kDamaged, TempAction::kLeave, ""},  // another clock, ahead of ours
      // A missing record: the newest whole one goes in place, whatever its
      // age, and whoever now has its writer's id.
      {"(Orvo)App.oqc_tmp5", 30, kWhole, TempAction::kLeave, ""},
      {"(orvo)app.OQC_tmp6", 20, kWhole, TempAction::kPutInPlace, "(orvo)app.OQC"},
      {"(Orvo)App.oqc_tmp8", 15, TempContents::kDamaged, TempAction::kKeepAside, "(Orvo)App.oqc_damaged8"},
      {"(Orvo)Cmd.oqc_tmp5", -5, kWhole, TempAction::kPutInPlace, "(Orvo)Cmd.oqc"},
      {"(Orvo)Win2.oqc_tmp5", 1, kWhole, TempAction::kPutInPlace, "(Orvo)Win2.oqc"},
      {"(Orvo)Win3.oqc_tmp5", 1, TempContents::kDamaged, TempAction::kLeave, ""},  // perhaps still written
      {"(Orvo)Win4.oqc_tmp4", 60, kWhole, TempAction::kPutInPlace, "(Orvo)Win4.oqc"},  // 4 started after it
      {"(Orvo)Win5.oqc_tmp4", 10, kWhole, TempAction::kLeave, ""},                     // 4 may be writing it
      {"(Orvo)Win6.oqc_tmp3", 60, kWhole, TempAction::kLeave, ""},                     // 3 may have written it
      {"~vz4-1.tmp", 60, kWhole, TempAction::kRemove, ""},
      {"(Orvo)Win1.oqc_damaged5", 60, kWhole, TempAction::kNone, ""},
      {"(Orvo)Win1.oqc_tmp5", 11, TempContents::kDamaged, TempAction::kKeepAside, "(Orvo)Win1.oqc_damaged5-2"},
      {"Custom.oqc_tmp5", 11, TempContents::kUnknownForm, TempAction::kKeepAside, "Custom.oqc_damaged5"},
      {"(Orvo)Bar1.oqc_tmp5", 11, TempContents::kUnreadable, TempAction::kLeave, ""},
  };
  std::vector<FolderEntry> entries;
  std::map<std::string, TempContents> contents;
  for (const auto& c : cases) {
    FolderEntry e{};
    ASSERT_TRUE(CopyText(e.name, sizeof e.name, c.name));
    e.lastWrite = kNow - static_cast<std::uint64_t>(c.minutesAgo * static_cast<std::int64_t>(kMinute));
    e.action = TempAction::kRemove;  // whatever the listing held
    entries.push_back(e);
    contents[c.name] = c.contents;
  }
  FolderEntry folder{};
  ASSERT_TRUE(CopyText(folder.name, sizeof folder.name, "~vz5-3.tmp"));
  folder.folder = true;
  entries.push_back(folder);
  FakeProbe probe(contents);
  PlanLeftoverTemporaries(entries.data(), entries.size(), "oqc", kNow, probe);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(entries[i].action, cases[i].action) << cases[i].name;
    EXPECT_STREQ(entries[i].target, cases[i].target) << cases[i].name;
  }
  EXPECT_EQ(entries.back().action, TempAction::kNone);
  // Only the temporaries of missing records whose writers have ended are
  // read.
  EXPECT_EQ(probe.asked.size(), 11u);
}
