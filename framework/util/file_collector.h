// Lists the files below a folder, at any depth, that match a list of
// wildcard patterns.
#pragma once

#include <cstdint>

#include "framework/util/grow_array.h"

struct CollectedPath {
  char text[260];
};

struct CFileCollector {
  char root[260] = {};       // without a trailing "\"
  char patterns[2600] = {};  // FindFirstFileA patterns split at `separator`
  char separator = ';';
  CGrowArray<CollectedPath> folders;  // the root, then every sub-folder found
  CGrowArray<CollectedPath> files;    // full paths of the matching files
};

// Empties root and patterns, sets the separator to ";" and empties the lists.
void ClearFileCollector(CFileCollector& collector) noexcept;

// Clears, then sets the patterns from the printf format and the root, and
// collects. Returns what Collect returns.
int InitFileCollector(CFileCollector& collector, const char* root, const char* patternFormat, ...) noexcept;

// Sets the patterns and root of an existing collector and collects anew.
int CollectFiles(CFileCollector& collector, const char* root, const char* patternFormat, ...) noexcept;

// -1 when root is empty, 0 when patterns is empty (the lists untouched),
// else the number of files listed. With reset the lists are emptied first.
// Sub-folders that are links (reparse points) or that are already listed are
// not entered, so a link loop ends; entries whose path would not fit in 260
// characters are skipped.
int Collect(CFileCollector& collector, bool reset) noexcept;

// Walks the folder's sub-folders depth first, each before its own, appending
// them to `folders`.
void CollectSubfolders(CFileCollector& collector, const char* folder) noexcept;

void FreeFileCollector(CFileCollector& collector) noexcept;
