#include "framework/app/save_report_core.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr auto kUser = SaveOccasion::kUserAction;
constexpr auto kOwn = SaveOccasion::kBackground;
constexpr auto kNow = SaveReportAction::kShowNow;
constexpr auto kLoop = SaveReportAction::kShowFromLoop;
constexpr auto kNone = SaveReportAction::kNone;

struct Failure {
  SaveOccasion occasion;
  bool canShowHere;
  bool quitBefore;
  SaveReportAction expected;
};

// Each row is one run: its failed saves in order.
TEST(SaveReports, UserActionsAtOnceTheProgramsOwnOnceARunNothingOnceItQuits) {
  const std::vector<std::vector<Failure>> runs = {
      // Every OK is told, and at once where a box may be shown.
      {{kUser, true, false, kNow}, {kUser, true, false, kNow}, {kUser, false, false, kLoop}},
      // The program's own saves: the first from the loop, the rest never;
      // the user's still each time.
      {{kOwn, true, false, kLoop}, {kOwn, true, false, kNone}, {kOwn, false, false, kNone},
       {kUser, true, false, kNow}},
      // Quitting or the end of the session: nothing, the user's action included.
      {{kOwn, true, true, kNone}, {kUser, true, false, kNone}},
  };
  for (std::size_t r = 0; r < runs.size(); ++r) {
    CSaveReportRules rules;
    for (std::size_t i = 0; i < runs[r].size(); ++i) {
      const Failure& f = runs[r][i];
      if (f.quitBefore) rules.Quiet();
      EXPECT_EQ(rules.OnFailure(f.occasion, f.canShowHere), f.expected) << "run " << r << " save " << i;
    }
    EXPECT_EQ(rules.MayShowFromLoop(), r != 2) << "run " << r;
  }
}

}  // namespace
