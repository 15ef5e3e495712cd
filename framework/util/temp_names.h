// The names of the temporary files that the program writes before a
// replacing move. Each carries the id of the process that writes it: no two
// processes (a relaunched instance and an old one still finishing) ever
// write one, and a later run tells the leftovers of a process that has ended
// from the files of one still writing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/util/text_util.h"

// target + "_tmp" + the process id ("%s_tmp%u"), beside a record. False,
// with out emptied, when it does not fit: a cut name could be the live file
// itself.
[[nodiscard]] bool ComposeRecordTempPath(const char* target, std::uint32_t processId, char* out,
                                         std::size_t capacity) noexcept;

// "~vz<process id>-<sequence>.tmp" (both decimal), for writers that need
// several at once in one folder (an extraction, archives). False, with out
// emptied, when it does not fit.
[[nodiscard]] bool ComposeScratchTempName(std::uint32_t processId, std::uint32_t sequence, char* out,
                                          std::size_t capacity) noexcept;

// Whether fileName (no folder) is one of the two forms above, a record
// temporary only when the record's name ends with "." and recordExtension;
// processId receives the writer's id. Any other name, also one that merely
// looks alike, is none of ours.
[[nodiscard]] bool TempNameOwner(const char* fileName, const char* recordExtension,
                                 std::uint32_t* processId) noexcept;

// What start-up does with the temporaries that earlier writers left in a
// folder. A temporary written less than this long ago (FILETIME units: ten
// minutes) may be one that a process of another machine writes right now
// into a folder shared with it, whose id names no process here: it is
// removed or kept aside only once it is older.
inline constexpr std::uint64_t kLeftoverTempAge = 10ull * 60 * 10000000;
// How much later than its writer's start a file's time may read: some file
// systems keep write times to two seconds.
inline constexpr std::uint64_t kWriteTimeGrain = 2ull * 10000000;

// Whether a temporary reads as its record whole.
enum class TempContents : std::uint8_t {
  kWhole,        // in the record's form throughout
  kDamaged,      // not in it: cut short, or bytes of no such record
  kUnknownForm,  // a record whose form is not known here
  kUnreadable,   // not read now (another program holds it)
};

enum class TempAction : std::uint8_t {
  kNone,        // no temporary of ours
  kLeave,       // may be written now, or is left for a later start to judge
  kRemove,      // its record is there, or it is a scratch file
  kPutInPlace,  // moved to target, its record's name
  kKeepAside,   // moved to target, a name that nothing removes
};

// One file or folder of a folder's listing, and what becomes of it.
struct FolderEntry {
  char name[kMaxPathText];
  std::uint64_t lastWrite;  // FILETIME (UTC)
  bool folder;
  TempAction action;
  char target[kMaxPathText];  // for kPutInPlace and kKeepAside
};

// What the plan asks of the system.
class CLeftoverProbe {
 public:
  virtual ~CLeftoverProbe() = default;
  // Whether a process of that id runs here; started receives when it
  // started (FILETIME, UTC), or 0 when that cannot be told.
  [[nodiscard]] virtual bool ProcessRuns(std::uint32_t processId, std::uint64_t* started) noexcept = 0;
  // The temporary tempName of the record recordName ("<record>.<extension>")
  // of the same folder.
  [[nodiscard]] virtual TempContents ContentsOf(const char* tempName, const char* recordName) noexcept = 0;
};

// Sets action and target of every entry (all of a folder's entries: the
// records are found among them). A temporary whose writer still runs is
// left: a process of its id runs here and started before it was last
// written (process ids are reused, after a restart above all). Of the
// temporaries of a missing record, the newest that reads whole is put in
// place whatever its age: it is what its writer was about to put there (one
// that a process of another machine is still writing does not read whole).
// The rest is touched only once it was written more than kLeftoverTempAge
// before now: a scratch file goes, and so does a record's temporary when the
// record is there; the other whole temporaries of a missing record are left
// (the next start removes them beside the record), those that are damaged
// or of an unknown form are kept aside as "<record>.<extension>_damaged<process
// id>" (with "-2" and on when that is taken), and the unreadable ones are
// left. Nothing that may be the only copy of a record is removed.
void PlanLeftoverTemporaries(FolderEntry* entries, std::size_t count, const char* recordExtension,
                             std::uint64_t now, CLeftoverProbe& probe) noexcept;
