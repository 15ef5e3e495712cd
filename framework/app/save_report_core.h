// When the user hears of a save that did not land: at once after their own
// action, once a run for the saves the program makes by itself, and never
// while the program quits or the session ends.
#pragma once

#include <cstdint>

// What led to a save.
enum class SaveOccasion : std::uint8_t {
  kUserAction,  // OK, Apply, or a switch of the user's that is saved at once
  kBackground,  // a save the program makes by itself (placements, before a backup, a worker's record)
};

enum class SaveReportAction : std::uint8_t {
  kShowNow,       // a box before the caller goes on
  kShowFromLoop,  // a box from the main thread's message loop, which the report is handed to
  kNone,
};

class CSaveReportRules {
 public:
  // A save has failed. canShowHere: the caller is on the main thread and may
  // run a modal loop (it answers no message sent by another thread or
  // program). A save of the program's own is always told from the loop: it
  // may come from anywhere, a worker or the middle of other work.
  [[nodiscard]] SaveReportAction OnFailure(SaveOccasion occasion, bool canShowHere) noexcept;
  // A report handed to the loop comes to be shown: not once the program
  // quits.
  [[nodiscard]] bool MayShowFromLoop() const noexcept { return !quiet_; }
  // The program quits or the session ends: nothing is shown from now on, so
  // that no quit waits on a box.
  void Quiet() noexcept { quiet_ = true; }

 private:
  bool quiet_ = false;
  bool backgroundTold_ = false;
};
