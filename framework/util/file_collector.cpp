#include "framework/util/file_collector.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/util/text_util.h"
#include "framework/util/win_handles.h"

namespace {

bool ListHolds(const CGrowArray<CollectedPath>& list, const char* path) noexcept {
  for (const CollectedPath& p : list) {
    if (EqualNoCase(p.text, path)) return true;
  }
  return false;
}

bool AppendPath(CGrowArray<CollectedPath>& list, const char* path) noexcept {
  CollectedPath entry;
  if (!CopyText(entry.text, sizeof entry.text, path)) return false;
  return list.Append(entry) >= 0;
}

// The file system's identity of a folder, so that a folder reached again
// under another name (a link the system does not mark as one) is noticed.
struct FolderId {
  DWORD volume;
  DWORD indexHigh;
  DWORD indexLow;
};

bool GetFolderId(const char* path, FolderId& id) noexcept {
  CFileHandle h(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h.Get(), &info)) return false;
  id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

void SetPatterns(CFileCollector& collector, const char* root, const char* format, va_list args) noexcept {
  collector.patterns[0] = '\0';
  if (format != nullptr) std::vsnprintf(collector.patterns, sizeof collector.patterns, format, args);
  CopyText(collector.root, sizeof collector.root, root != nullptr ? root : "");
}

}  // namespace

void ClearFileCollector(CFileCollector& collector) noexcept {
  collector.root[0] = '\0';
  collector.patterns[0] = '\0';
  collector.separator = ';';
  collector.folders.Clear();
  collector.files.Clear();
}

int InitFileCollector(CFileCollector& collector, const char* root, const char* patternFormat, ...) noexcept {
  ClearFileCollector(collector);
  va_list args;
  va_start(args, patternFormat);
  SetPatterns(collector, root, patternFormat, args);
  va_end(args);
  return Collect(collector, true);
}

int CollectFiles(CFileCollector& collector, const char* root, const char* patternFormat, ...) noexcept {
  va_list args;
  va_start(args, patternFormat);
  SetPatterns(collector, root, patternFormat, args);
  va_end(args);
  return Collect(collector, true);
}

int Collect(CFileCollector& collector, bool reset) noexcept {
  if (collector.root[0] == '\0') return -1;
  if (collector.patterns[0] == '\0') return 0;
  if (reset) {
    collector.folders.Clear();
    collector.files.Clear();
  }
  const std::int32_t first = collector.folders.Count();
  if (!AppendPath(collector.folders, collector.root)) return collector.files.Count();
  CollectSubfolders(collector, collector.root);

  for (std::int32_t i = first; i < collector.folders.Count(); ++i) {
    const char* cursor = collector.patterns;
    char pattern[sizeof collector.patterns];
    while (NextListItem(cursor, collector.separator, pattern, sizeof pattern)) {
      if (pattern[0] == '\0') continue;
      char query[260];
      if (!JoinPath(query, sizeof query, collector.folders[i].text, pattern)) continue;
      WIN32_FIND_DATAA found;
      CFindHandle find(FindFirstFileA(query, &found));
      if (!find) continue;
      do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        char path[260];
        if (!JoinPath(path, sizeof path, collector.folders[i].text, found.cFileName)) continue;
        if (!ListHolds(collector.files, path)) (void)AppendPath(collector.files, path);
      } while (FindNextFileA(find.Get(), &found));
    }
  }
  return collector.files.Count();
}

namespace {

void WalkFolder(CFileCollector& collector, const char* folder, CGrowArray<FolderId>& seen) noexcept {
  char query[260];
  if (!JoinPath(query, sizeof query, folder, "*.*")) return;
  WIN32_FIND_DATAA found;
  CFindHandle find(FindFirstFileA(query, &found));
  if (!find) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
    if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
    // Links may lead back up the tree; their targets are not part of it.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) continue;
    char path[260];
    if (!JoinPath(path, sizeof path, folder, found.cFileName)) continue;
    if (ListHolds(collector.folders, path)) continue;
    FolderId id{};
    if (GetFolderId(path, id)) {
      bool again = false;
      for (const FolderId& s : seen) {
        if (s.volume == id.volume && s.indexHigh == id.indexHigh && s.indexLow == id.indexLow) again = true;
      }
      if (again || seen.Append(id) < 0) continue;
    }
    if (!AppendPath(collector.folders, path)) continue;
    WalkFolder(collector, path, seen);
  } while (FindNextFileA(find.Get(), &found));
}

}  // namespace

void CollectSubfolders(CFileCollector& collector, const char* folder) noexcept {
  CGrowArray<FolderId> seen;
  FolderId id{};
  if (GetFolderId(folder, id)) (void)seen.Append(id);
  // The walk appends to `folders`, which may move the text `folder` points to.
  char start[260];
  CopyText(start, sizeof start, folder);
  WalkFolder(collector, start, seen);
}

void FreeFileCollector(CFileCollector& collector) noexcept {
  collector.folders.ArrayFree();
  collector.files.ArrayFree();
}
