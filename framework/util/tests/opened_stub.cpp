// A program that the tests register for a file type or protocol: writes the
// command line it was started with to a .txt file of its own name beside
// itself, and ends.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 1;
  char* dot = std::strrchr(path, '.');
  if (dot == nullptr || static_cast<std::size_t>(dot - path) + 5 > sizeof path) return 1;
  std::strcpy(dot, ".txt");
  char temp[MAX_PATH + 4];
  std::snprintf(temp, sizeof temp, "%s.tmp", path);
  FILE* f = std::fopen(temp, "wb");
  if (f == nullptr) return 1;
  std::fputs(GetCommandLineA(), f);
  std::fclose(f);
  // Whole or not at all: the test reads it as soon as it appears.
  return MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
