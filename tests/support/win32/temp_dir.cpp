// The temporary folder of the portable part (test_support.h) made through
// the system's own calls: ANSI paths, as the code under test has them, and
// links and read-only files removed as Windows has them.
#include <windows.h>

#include <string>

#include "tests/support/test_support.h"

namespace test_support {

void RemoveTree(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return;
  if ((a & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA found;
  HANDLE find = (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? INVALID_HANDLE_VALUE
                                                         : FindFirstFileA((path + "\\*").c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found) != FALSE) {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") RemoveTree(path + "\\" + name);
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  RemoveDirectoryA(path.c_str());
}

TempDir::TempDir() {
  static int count = 0;
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  path_ = std::string(base) + "vlt" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++count);
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

}  // namespace test_support
