#include "framework/util/temp_names.h"

#include <cstdio>
#include <cstring>

#include "framework/util/text_util.h"

namespace {

constexpr char kRecordTempMark[] = "_tmp";
constexpr char kScratchPrefix[] = "~vz";
constexpr char kScratchSuffix[] = ".tmp";

bool Finish(int n, char* out, std::size_t capacity) noexcept {
  if (n < 0 || static_cast<std::size_t>(n) >= capacity) {
    if (capacity > 0) out[0] = '\0';
    return false;
  }
  return true;
}

// A decimal number as the composers write it (no sign, no leading zero,
// within 32 bits) from text up to end; false for anything else.
bool ParseWrittenNumber(const char* text, const char* end, std::uint32_t* value) noexcept {
  if (text >= end || (*text == '0' && end - text > 1)) return false;
  std::uint64_t n = 0;
  for (const char* p = text; p < end; ++p) {
    if (*p < '0' || *p > '9') return false;
    n = n * 10 + static_cast<std::uint64_t>(*p - '0');
    if (n > 0xFFFFFFFFu) return false;
  }
  *value = static_cast<std::uint32_t>(n);
  return true;
}

bool ScratchOwner(const char* name, std::uint32_t* processId) noexcept {
  const std::size_t length = std::strlen(name);
  const std::size_t prefix = sizeof kScratchPrefix - 1;
  const std::size_t suffix = sizeof kScratchSuffix - 1;
  if (length <= prefix + suffix || CompareNoCase(name, kScratchPrefix, prefix) != 0 ||
      EndsWithNoCase(name, kScratchSuffix) == nullptr) {
    return false;
  }
  const char* digits = name + prefix;
  const char* end = name + length - suffix;
  const char* dash = static_cast<const char*>(std::memchr(digits, '-', static_cast<std::size_t>(end - digits)));
  std::uint32_t sequence = 0;
  return dash != nullptr && ParseWrittenNumber(digits, dash, processId) && ParseWrittenNumber(dash + 1, end, &sequence);
}

// Where the "_tmp" mark of a record temporary stands in name; null when
// name is none.
const char* RecordTempMark(const char* name, const char* recordExtension, std::uint32_t* processId) noexcept {
  if (recordExtension == nullptr || recordExtension[0] == '\0') return nullptr;
  const char* mark = nullptr;
  for (const char* found = FindNoCase(name, kRecordTempMark); found != nullptr;
       found = FindNoCase(found + 1, kRecordTempMark)) {
    mark = found;
  }
  if (mark == nullptr) return nullptr;
  // "<record name>.<extension>" before the mark, with a name of its own.
  const std::size_t extension = std::strlen(recordExtension);
  const std::size_t before = static_cast<std::size_t>(mark - name);
  if (before < extension + 2 || name[before - extension - 1] != '.' ||
      CompareNoCase(mark - extension, recordExtension, extension) != 0) {
    return nullptr;
  }
  const char* digits = mark + sizeof kRecordTempMark - 1;
  return ParseWrittenNumber(digits, digits + std::strlen(digits), processId) ? mark : nullptr;
}

// Whether the listing holds a file (or, with folders, anything) of that name.
bool Listed(const FolderEntry* entries, std::size_t count, const char* name, bool folders) noexcept {
  for (std::size_t i = 0; i < count; ++i) {
    if ((folders || !entries[i].folder) && EqualNoCase(entries[i].name, name)) return true;
  }
  return false;
}

// Whether the listing holds the name, or the plan moves a temporary to it.
bool NameTaken(const FolderEntry* entries, std::size_t count, const char* name) noexcept {
  if (Listed(entries, count, name, true)) return true;
  for (std::size_t i = 0; i < count; ++i) {
    const FolderEntry& e = entries[i];
    if ((e.action == TempAction::kPutInPlace || e.action == TempAction::kKeepAside) && EqualNoCase(e.target, name)) {
      return true;
    }
  }
  return false;
}

// "<record>_damaged<process id>", or with "-2" and on when that is taken; a
// name that no later start takes for a temporary.
bool ChooseAsideName(const FolderEntry* entries, std::size_t count, const char* record, std::uint32_t owner,
                     char* out) noexcept {
  for (int n = 1; n < 100; ++n) {
    const int length = n == 1 ? std::snprintf(out, kMaxPathText, "%s_damaged%lu", record,
                                              static_cast<unsigned long>(owner))
                              : std::snprintf(out, kMaxPathText, "%s_damaged%lu-%d", record,
                                              static_cast<unsigned long>(owner), n);
    if (length <= 0 || static_cast<std::size_t>(length) >= kMaxPathText) break;
    if (!NameTaken(entries, count, out)) return true;
  }
  out[0] = '\0';
  return false;
}

// Whether the process that wrote a temporary last written at lastWrite
// still runs: one of its id that started later is another.
bool WriterRuns(std::uint32_t owner, std::uint64_t lastWrite, CLeftoverProbe& probe) noexcept {
  std::uint64_t started = 0;
  if (!probe.ProcessRuns(owner, &started)) return false;
  return started == 0 || started <= lastWrite + kWriteTimeGrain;
}

// Decides one temporary whose writer has ended. old: written more than
// kLeftoverTempAge ago.
void PlanEndedTemporary(FolderEntry* entries, std::size_t count, FolderEntry& e, const char* recordExtension,
                        bool old, CLeftoverProbe& probe) noexcept {
  std::uint32_t owner = 0;
  const char* mark = RecordTempMark(e.name, recordExtension, &owner);
  if (mark == nullptr) {
    // A scratch file is never the only copy of anything.
    if (old) e.action = TempAction::kRemove;
    return;
  }
  char record[kMaxPathText];
  const auto recordLength = static_cast<std::size_t>(mark - e.name);
  std::memcpy(record, e.name, recordLength);
  record[recordLength] = '\0';
  if (Listed(entries, count, record, false)) {
    if (old) e.action = TempAction::kRemove;
    return;
  }
  // The record is missing: its replace was cut between the removal of the
  // old file and the move, or the record's first write was cut short.
  switch (probe.ContentsOf(e.name, record)) {
    case TempContents::kWhole:
      e.action = TempAction::kPutInPlace;
      (void)CopyText(e.target, sizeof e.target, record);
      break;
    case TempContents::kDamaged:
    case TempContents::kUnknownForm:
      if (old && ChooseAsideName(entries, count, record, owner, e.target)) e.action = TempAction::kKeepAside;
      break;
    case TempContents::kUnreadable:
      break;
  }
}

}  // namespace

bool ComposeRecordTempPath(const char* target, std::uint32_t processId, char* out, std::size_t capacity) noexcept {
  return Finish(std::snprintf(out, capacity, "%s%s%lu", target, kRecordTempMark, static_cast<unsigned long>(processId)),
                out, capacity);
}

bool ComposeScratchTempName(std::uint32_t processId, std::uint32_t sequence, char* out,
                            std::size_t capacity) noexcept {
  return Finish(std::snprintf(out, capacity, "%s%lu-%lu%s", kScratchPrefix, static_cast<unsigned long>(processId),
                              static_cast<unsigned long>(sequence), kScratchSuffix),
                out, capacity);
}

bool TempNameOwner(const char* fileName, const char* recordExtension, std::uint32_t* processId) noexcept {
  if (fileName == nullptr || processId == nullptr) return false;
  std::uint32_t owner = 0;
  if (!ScratchOwner(fileName, &owner) && RecordTempMark(fileName, recordExtension, &owner) == nullptr) return false;
  // No process has id 0: such a name was not written by us.
  if (owner == 0) return false;
  *processId = owner;
  return true;
}

void PlanLeftoverTemporaries(FolderEntry* entries, std::size_t count, const char* recordExtension,
                             std::uint64_t now, CLeftoverProbe& probe) noexcept {
  for (std::size_t i = 0; i < count; ++i) {
    entries[i].action = TempAction::kNone;
    entries[i].target[0] = '\0';
  }
  for (std::size_t i = 0; i < count; ++i) {
    FolderEntry& e = entries[i];
    std::uint32_t owner = 0;
    if (e.folder || !TempNameOwner(e.name, recordExtension, &owner)) continue;
    e.action = TempAction::kLeave;
    if (WriterRuns(owner, e.lastWrite, probe)) continue;
    // A time ahead of ours is another machine's clock: its writer may be at
    // work.
    const bool old = now >= e.lastWrite && now - e.lastWrite > kLeftoverTempAge;
    PlanEndedTemporary(entries, count, e, recordExtension, old, probe);
  }
  // Of the whole temporaries of one missing record, the newest (the first
  // listed of equally new ones) is put in place.
  for (std::size_t i = 0; i < count; ++i) {
    FolderEntry& e = entries[i];
    if (e.action != TempAction::kPutInPlace) continue;
    for (std::size_t j = 0; j < count; ++j) {
      const FolderEntry& other = entries[j];
      if (j == i || other.action != TempAction::kPutInPlace || !EqualNoCase(other.target, e.target)) continue;
      if (other.lastWrite > e.lastWrite || (other.lastWrite == e.lastWrite && j < i)) {
        e.action = TempAction::kLeave;
        e.target[0] = '\0';
        break;
      }
    }
  }
}
