// Archive writer: entries are written one at a time (headers and data are
// complete when the add returns); only small central records are kept until
// the central directory is written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zip/deflate.h"
#include "zip/zip_crypt.h"
#include "zip/zip_io.h"

namespace zip {

// Methods by entry-name extension: already-compressed kinds are stored.
[[nodiscard]] bool IsStoredByExtension(const char* name) noexcept;

struct PendingCentralRecord {
  std::uint16_t version_made_by = 0x0B17;
  std::uint16_t version_needed = 20;
  std::uint16_t central_flags = 0;
  std::uint16_t method = 0;
  std::uint32_t dos_date_time = 0;
  std::uint32_t crc32 = 0;
  std::uint32_t compressed_size = 0;
  std::uint32_t uncompressed_size = 0;
  std::uint32_t name_length = 0;
  std::uint32_t local_extra_length = 17;
  std::uint32_t central_extra_length = 9;
  std::uint32_t comment_length = 0;
  std::uint16_t disk_number = 0;
  std::uint16_t internal_attributes = 0;
  std::uint16_t local_flags = 0;
  std::uint32_t external_attributes = 0;
  std::uint32_t local_header_offset = 0;
  std::uint8_t central_extra[9] = {};
  std::string name;
};

class CZipWriter {
 public:
  CZipWriter(std::unique_ptr<ArchiveSink> sink, const char* password, ZipPlatform* platform);
  ~CZipWriter();
  CZipWriter(const CZipWriter&) = delete;
  CZipWriter& operator=(const CZipWriter&) = delete;

  // Adds one entry read from source. info describes the source.
  [[nodiscard]] ZipResult AddZipEntry(const char* name, EntrySource& source, const SourceInfo& info);
  // Writes the central directory and end record once; later calls return
  // the first call's result.
  [[nodiscard]] ZipResult Finish();
  // Finish, then completes the output (files: closes them).
  [[nodiscard]] ZipResult Close();

  [[nodiscard]] bool finished() const noexcept { return finished_; }
  [[nodiscard]] ZipResult sticky_error() const noexcept { return sticky_error_; }
  [[nodiscard]] std::uint32_t position() const noexcept { return static_cast<std::uint32_t>(position_); }
  [[nodiscard]] std::uint8_t* memory_base() noexcept { return sink_ ? sink_->MemoryBase() : nullptr; }
  [[nodiscard]] ZipPlatform* platform() noexcept { return platform_; }
  // Stores every later entry whatever its name (the tool's "stored" mode).
  void set_store_all(bool store_all) noexcept { store_all_ = store_all; }

 private:
  std::uint32_t WriteArchiveBytes(const void* data, std::uint32_t count);
  [[nodiscard]] bool SeekArchiveOutput(std::uint32_t position);
  int ReadEntryData(std::uint8_t* buffer, unsigned count);
  [[nodiscard]] bool WriteLocalHeader(const PendingCentralRecord& r);
  [[nodiscard]] ZipResult WriteCentralDirectory();
  static int DeflateInput(void* context, std::uint8_t* buffer, unsigned count);
  static void DeflateOutput(void* context, const std::uint8_t* buffer, unsigned* count);

  std::string password_;
  std::unique_ptr<ArchiveSink> sink_;
  ZipPlatform* platform_;
  ZipResult sticky_error_ = kZipOk;
  std::uint64_t position_ = 0;
  bool finished_ = false;
  ZipResult finish_result_ = kZipOk;
  bool closed_ = false;
  bool encrypting_ = false;
  bool store_all_ = false;
  ZipKeys keys_;
  std::unique_ptr<std::uint8_t[]> scratch_;  // kZipDataBufferSize bytes, for encrypted entries
  std::vector<PendingCentralRecord> pending_;
  std::unique_ptr<DeflateState> deflate_;

  // Current entry's source.
  EntrySource* source_ = nullptr;
  std::uint64_t bytes_read_ = 0;
  std::uint32_t running_crc_ = 0;
  bool source_failed_ = false;
  std::uint64_t compressed_written_ = 0;

  std::unique_ptr<std::uint8_t[]> data_buffer_;
};

inline constexpr std::uint32_t kZipDataBufferSize = 16384;

}  // namespace zip
