#include "services/archive/file_finder.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/util/text_util.h"

namespace {

bool SetPatternV(CFileFinder& finder, const char* format, va_list args) noexcept {
  (void)CloseFileFinder(finder);
  finder.fullName[0] = '\0';
  finder.folder[0] = '\0';
  const int n = format != nullptr ? std::vsnprintf(finder.pattern, sizeof finder.pattern, format, args) : -1;
  if (n < 0 || static_cast<std::size_t>(n) >= sizeof finder.pattern) {
    finder.pattern[0] = '\0';
    return false;
  }
  (void)CopyText(finder.folder, sizeof finder.folder, finder.pattern);
  if (CutAtLastBackslash(finder.folder) == nullptr) finder.folder[0] = '\0';
  return true;
}

bool StartSearch(CFileFinder& finder) noexcept {
  (void)CloseFileFinder(finder);
  finder.matchCount = 0;
  if (finder.pattern[0] == '\0') return false;
  HANDLE h = FindFirstFileExA(finder.pattern, FindExInfoBasic, &finder.findData, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  // Systems before Windows 7 know neither the basic information level nor
  // the large fetch.
  if (h == INVALID_HANDLE_VALUE) {
    h = FindFirstFileExA(finder.pattern, FindExInfoStandard, &finder.findData, FindExSearchNameMatch, nullptr, 0);
  }
  if (h == INVALID_HANDLE_VALUE) return false;
  finder.search.Reset(h);
  finder.matchCount = 1;
  return true;
}

}  // namespace

bool InitFileFinder(CFileFinder& finder, const char* format, ...) noexcept {
  (void)CloseFileFinder(finder);
  std::memset(&finder.findData, 0, sizeof finder.findData);
  finder.matchCount = 0;
  va_list args;
  va_start(args, format);
  const bool fit = SetPatternV(finder, format, args);
  va_end(args);
  return fit;
}

bool SetFileFinderPattern(CFileFinder& finder, const char* format, ...) noexcept {
  va_list args;
  va_start(args, format);
  const bool fit = SetPatternV(finder, format, args);
  va_end(args);
  return fit;
}

bool FindFirstMatch(CFileFinder& finder, const char* format, ...) noexcept {
  va_list args;
  va_start(args, format);
  const bool fit = SetPatternV(finder, format, args);
  va_end(args);
  return fit && StartSearch(finder);
}

bool FindNextMatch(CFileFinder& finder) noexcept {
  if (!finder.search.Valid()) return StartSearch(finder);
  if (FindNextFileA(finder.search.Get(), &finder.findData) == FALSE) return false;
  ++finder.matchCount;
  return true;
}

const char* GetFoundFilePath(CFileFinder& finder) noexcept {
  finder.fullName[0] = '\0';
  if (!finder.search.Valid()) return finder.fullName;
  if (finder.folder[0] == '\0') {
    (void)CopyText(finder.fullName, sizeof finder.fullName, finder.findData.cFileName);
  } else {
    // A path that does not fit stays empty rather than naming another file.
    (void)JoinPath(finder.fullName, sizeof finder.fullName, finder.folder, finder.findData.cFileName);
  }
  return finder.fullName;
}

int CloseFileFinder(CFileFinder& finder) noexcept {
  if (!finder.search.Valid()) return -1;
  return FindClose(finder.search.Release()) ? 1 : 0;
}
