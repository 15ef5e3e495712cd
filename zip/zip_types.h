// Records that cross from the archive library to its callers.
#pragma once

#include <cstdint>

#include "zip/zip_result.h"

// One per open archive; owned by the caller that opened it and freed by the
// matching close operation.
struct ZipHandle {
  std::int32_t kind;  // kZipReaderKind or kZipWriterKind
  void* object;       // zip::CZipReader or zip::CZipWriter
};

inline constexpr std::int32_t kZipReaderKind = 1;
inline constexpr std::int32_t kZipWriterKind = 2;

inline constexpr int kZipNameSize = 260;

// Windows file attribute bits used in ZipEntryInfo::attributes.
inline constexpr std::uint32_t kZipAttrReadOnly = 0x01;
inline constexpr std::uint32_t kZipAttrHidden = 0x02;
inline constexpr std::uint32_t kZipAttrSystem = 0x04;
inline constexpr std::uint32_t kZipAttrDirectory = 0x10;
inline constexpr std::uint32_t kZipAttrArchive = 0x20;

struct ZipEntryInfo {
  std::int32_t index;  // 0-based; -1 none; the entry count on a count request
  char name[kZipNameSize];
  std::uint32_t attributes;
  std::uint64_t access_time;  // Windows file times, UTC
  std::uint64_t creation_time;
  std::uint64_t write_time;
  std::uint32_t compressed_size;
  std::uint32_t uncompressed_size;
};
