// The archive library's Windows back-end: files through CreateFileA, memory
// archives in a paging-file mapping.
#pragma once

#include <cstdint>

#include "zip/zip.h"

namespace zip {
// The process-wide Win32 platform object used by the functions below.
[[nodiscard]] ZipPlatform& Win32ZipPlatform();
}  // namespace zip

// Creates or truncates the file (no sharing); null when it cannot be made.
[[nodiscard]] ZipHandle* CreateZipFile(const char* path, const char* password) noexcept;
// A null buffer makes a paging-file mapping of size bytes.
[[nodiscard]] ZipHandle* CreateZipInMemory(void* buffer, std::uint32_t size, const char* password) noexcept;
// Null when the file cannot be opened or holds no valid archive.
[[nodiscard]] ZipHandle* OpenZipFile(const char* path, const char* password) noexcept;
