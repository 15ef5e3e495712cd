#include "framework/util/files.h"

#include <shlobj.h>

#include <cstring>

#include "framework/util/text_util.h"
#include "framework/util/win_handles.h"

bool PathExists(const char* path) noexcept { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

CreateDirResult CreateDirectoryPath(const char* path, std::uint32_t pause) noexcept {
  char buf[520];
  if (path == nullptr || !CopyText(buf, sizeof buf, path) || buf[0] == '\0') {
    // A cut path would create some other folder.
    return path == nullptr || path[0] == '\0' ? CreateDirResult::kEmptyPath : CreateDirResult::kFailed;
  }
  if (PathExists(buf)) return CreateDirResult::kExists;

  // Walk back to the deepest part that exists, remembering every cut.
  char* cuts[260];
  int cutCount = 0;
  while (!PathExists(buf) && cutCount < 260) {
    char* cut = CutAtLastBackslash(buf);
    if (cut == nullptr) break;
    cuts[cutCount++] = cut;
  }
  // Nothing on the way exists (a relative path): the first level too.
  if (!PathExists(buf)) CreateDirectoryA(buf, nullptr);
  // Walk forward, creating one level per restored separator.
  while (cutCount > 0) {
    *cuts[--cutCount] = '\\';
    CreateDirectoryA(buf, nullptr);
    if (!PathExists(buf)) {
      if ((pause & 0xFFu) != 0) Sleep(100);
      return CreateDirResult::kFailed;
    }
  }
  if (!PathExists(buf)) {
    if ((pause & 0xFFu) != 0) Sleep(100);
    return CreateDirResult::kFailed;
  }
  return CreateDirResult::kExists;
}

bool GetSpecialFolderPath(int csidl, char* out) noexcept {
  out[0] = '\0';
  CComRef<IMalloc> shellMalloc;
  if (FAILED(SHGetMalloc(shellMalloc.Put()))) return false;
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || items == nullptr) return false;
  const BOOL ok = SHGetPathFromIDListA(items, out);
  shellMalloc->Free(items);
  if (!ok) out[0] = '\0';
  return ok != FALSE;
}
