// Archive reader: end record, central directory walk, entry information,
// and extraction into memory or into files below a base folder.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "zip/zip_crypt.h"
#include "zip/zip_io.h"
#include "zip/zip_types.h"

namespace zip {

// The stored name with drive letters, leading separators and everything up
// to a "..\"-style step removed, rule after rule until none applies.
[[nodiscard]] std::string SanitizeEntryName(const char* name);

// Whether a path component names a Windows device (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9), with or without an extension, ignoring case.
[[nodiscard]] bool IsWindowsDeviceName(const std::string& part);

// Whether path may be created below a base folder: relative, no drive or
// stream colon, no ".." step, no device name and no component ending in a
// dot or a blank, shorter than 260 characters.
[[nodiscard]] bool IsSafeRelativePath(const std::string& path);

struct CentralRecord {
  std::uint32_t version_made_by = 0;
  std::uint32_t version_needed = 0;
  std::uint32_t flags = 0;
  std::uint32_t method = 0;
  std::uint32_t dos_date_time = 0;
  std::uint32_t crc32 = 0;
  std::uint32_t compressed_size = 0;
  std::uint32_t uncompressed_size = 0;
  std::uint32_t name_length = 0;
  std::uint32_t extra_length = 0;
  std::uint32_t comment_length = 0;
  std::uint32_t disk_number = 0;
  std::uint32_t internal_attributes = 0;
  std::uint32_t external_attributes = 0;
  std::uint32_t local_header_offset = 0;
};

struct EntryReader;

class CZipReader {
 public:
  // Null (and *error) when the source is not a readable archive.
  static std::unique_ptr<CZipReader> Open(std::unique_ptr<ByteSource> source, const char* password,
                                          ZipPlatform* platform, ZipResult* error);
  ~CZipReader();
  CZipReader(const CZipReader&) = delete;
  CZipReader& operator=(const CZipReader&) = delete;

  [[nodiscard]] int entry_count() const noexcept { return entries_; }
  void SetBaseDir(const char* folder);
  [[nodiscard]] const std::string& base_dir() const noexcept { return base_dir_; }

  [[nodiscard]] ZipResult GetEntry(int index, ZipEntryInfo* info);
  [[nodiscard]] ZipResult FindEntry(const char* name, bool ignore_case, int* index, ZipEntryInfo* info);
  // bytes_read (optional) receives the number of bytes placed in buffer.
  [[nodiscard]] ZipResult UnzipToMemory(int index, void* buffer, std::uint32_t length,
                                        std::uint32_t* bytes_read);
  [[nodiscard]] ZipResult UnzipToFile(int index, const char* path);

 private:
  CZipReader() = default;
  [[nodiscard]] bool OpenArchiveReader();
  [[nodiscard]] bool ReadExact(std::uint64_t offset, void* buffer, std::uint32_t count);
  void GoToFirstEntry();
  void GoToNextEntry();
  [[nodiscard]] bool ReadCentralHeader();
  [[nodiscard]] bool LocateEntry(int index);
  [[nodiscard]] bool ReadCurrentName(std::string* name, std::uint32_t limit);
  [[nodiscard]] bool CheckLocalHeader(std::uint64_t* data_offset, std::uint64_t* extra_offset,
                                      std::uint32_t* extra_length);
  [[nodiscard]] ZipResult ReadZipEntryInfo(int index, ZipEntryInfo* info);
  [[nodiscard]] bool OpenEntryReader();
  [[nodiscard]] ZipResult ReadEntryBytes(std::uint8_t* out, std::uint32_t n, std::uint32_t* count,
                                         bool* end);
  // True unless the entry was read to its end and its CRC-32 differs.
  bool CloseEntryReader();
  // True when the last level of base + path is a folder afterwards.
  [[nodiscard]] bool CreateFolderPath(const std::string& base, const std::string& path);

  std::unique_ptr<ByteSource> source_;
  ZipPlatform* platform_ = nullptr;
  std::string password_;
  std::string base_dir_;
  std::uint64_t size_ = 0;

  int entries_ = 0;
  std::uint64_t cd_size_ = 0;
  std::uint64_t cd_offset_ = 0;
  std::uint64_t bytes_before_ = 0;

  int current_index_ = 0;
  std::uint64_t central_pos_ = 0;
  bool current_ok_ = false;
  CentralRecord current_;

  int open_index_ = -1;
  std::unique_ptr<EntryReader> entry_;
  ZipEntryInfo cached_{};
  int cached_index_ = -1;
  std::unique_ptr<std::uint8_t[]> extract_buffer_;
};

}  // namespace zip
