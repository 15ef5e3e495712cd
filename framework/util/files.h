// Folder and file helpers over the Win32 file system.
#pragma once

#include <windows.h>

#include <cstdint>

enum class CreateDirResult : int {
  kExists = 0,      // the folder exists, already or now
  kFailed = 1,      // a folder on the way could not be created
  kEmptyPath = 2,
};

// Creates the folder and every missing parent. With the low byte of pause
// set, a failure waits 100 ms before returning, so that a caller retrying
// right away gives a slow drive a moment.
[[nodiscard]] CreateDirResult CreateDirectoryPath(const char* path, std::uint32_t pause) noexcept;

[[nodiscard]] bool PathExists(const char* path) noexcept;

// The path of a special folder (CSIDL) into out (260 characters); empty and
// false when the shell does not know it.
bool GetSpecialFolderPath(int csidl, char* out) noexcept;
