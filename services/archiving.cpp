#include "services/archiving.h"

#include <windows.h>

#include <cstdio>

#include "framework/app/application.h"
#include "framework/store/config_file.h"
#include "framework/util/text_util.h"
#include "services/archive_folder.h"

namespace {

constexpr char kArchiveRecord[] = "(Orvo)Archive";
constexpr std::uint32_t kPathPatternSize = 260;

bool IsAbsolute(const char* path) noexcept {
  return (path[0] != '\0' && path[1] == ':' && path[2] == '\\') || (path[0] == '\\' && path[1] == '\\');
}

}  // namespace

// Nothing to test yet: no archive schedule exists to be due.
void ArchiveIfDue() noexcept {}

// Placeholder until the tokens are known: no pattern expands.
bool ExpandPathTokens(const char*, char* out, std::size_t capacity) noexcept {
  if (out != nullptr && capacity > 0) out[0] = '\0';
  return false;
}

void GetScheduledArchiveFolder(char* out, std::size_t capacity) noexcept {
  if (out == nullptr || capacity == 0) return;
  out[0] = '\0';
  // The path pattern leads the record; a missing or short record leaves it empty.
  char pattern[kPathPatternSize] = {};
  (void)ReadConfigFile(kArchiveRecord, -1, pattern, sizeof pattern - 1, 0);
  if (pattern[0] == '\0') (void)CopyText(pattern, sizeof pattern, kDefaultArchivePathPattern);
  char version[40];
  std::snprintf(version, sizeof version, "%u.%u.%u", gApp.versionMajor, gApp.versionMinor, gApp.versionBuild);
  const ArchiveTokenValues values{gApp.appName, gApp.install.dataPath, version};
  char folder[MAX_PATH];
  if (!CopyText(folder, sizeof folder, pattern) || !ReplaceFixedArchiveTokens(folder, sizeof folder, values)) {
    return;
  }
  char expanded[MAX_PATH];
  const DWORD length = ExpandEnvironmentStringsA(folder, expanded, sizeof expanded);
  if (length == 0 || length > sizeof expanded) return;
  CutToFixedFolder(expanded);
  if (IsAbsolute(expanded)) (void)CopyText(out, capacity, expanded);
}
