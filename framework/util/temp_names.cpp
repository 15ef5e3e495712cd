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

bool RecordTempOwner(const char* name, const char* recordExtension, std::uint32_t* processId) noexcept {
  if (recordExtension == nullptr || recordExtension[0] == '\0') return false;
  const char* mark = nullptr;
  for (const char* found = FindNoCase(name, kRecordTempMark); found != nullptr;
       found = FindNoCase(found + 1, kRecordTempMark)) {
    mark = found;
  }
  if (mark == nullptr) return false;
  // "<record name>.<extension>" before the mark, with a name of its own.
  const std::size_t extension = std::strlen(recordExtension);
  const std::size_t before = static_cast<std::size_t>(mark - name);
  if (before < extension + 2 || name[before - extension - 1] != '.' ||
      CompareNoCase(mark - extension, recordExtension, extension) != 0) {
    return false;
  }
  const char* digits = mark + sizeof kRecordTempMark - 1;
  return ParseWrittenNumber(digits, digits + std::strlen(digits), processId);
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
  if (!ScratchOwner(fileName, &owner) && !RecordTempOwner(fileName, recordExtension, &owner)) return false;
  // No process has id 0: such a name was not written by us.
  if (owner == 0) return false;
  *processId = owner;
  return true;
}
