#include "framework/app/save_report_core.h"

SaveReportAction CSaveReportRules::OnFailure(SaveOccasion occasion, bool canShowHere) noexcept {
  if (quiet_) return SaveReportAction::kNone;
  if (occasion == SaveOccasion::kUserAction) {
    return canShowHere ? SaveReportAction::kShowNow : SaveReportAction::kShowFromLoop;
  }
  // Once a run: a folder that refuses one record refuses the next ones too,
  // and a box for each would bury the user.
  if (backgroundTold_) return SaveReportAction::kNone;
  backgroundTold_ = true;
  return SaveReportAction::kShowFromLoop;
}
