// A search for the files of one pattern ("C:\folder\*.ext"), one match at a
// time, with the full path of each.
#pragma once

#include <windows.h>

#include "framework/util/win_handles.h"

struct CFileFinder {
  WIN32_FIND_DATAA findData;
  char fullName[MAX_PATH];
  char folder[MAX_PATH];  // the pattern's text before its last "\"
  char pattern[MAX_PATH];
  CFindHandle search;
  int matchCount;  // matches delivered by the current search
};

// Clears the finder and sets its pattern from a printf format. False when
// the pattern does not fit in 259 characters: the finder then has no pattern
// and finds nothing, since a cut pattern would match other files.
[[nodiscard]] bool InitFileFinder(CFileFinder& finder, const char* format, ...) noexcept;
// Ends an open search and sets a new pattern, as InitFileFinder.
[[nodiscard]] bool SetFileFinderPattern(CFileFinder& finder, const char* format, ...) noexcept;
// Sets a new pattern and starts its search: true when it has a first match.
[[nodiscard]] bool FindFirstMatch(CFileFinder& finder, const char* format, ...) noexcept;
// True while there is a match; the first call starts the search on the
// stored pattern.
[[nodiscard]] bool FindNextMatch(CFileFinder& finder) noexcept;
// The current match's full path; empty while no search is open.
[[nodiscard]] const char* GetFoundFilePath(CFileFinder& finder) noexcept;
// FindClose's result for an open search, else -1.
int CloseFileFinder(CFileFinder& finder) noexcept;
