// The archive code itself touches no operating system: writers put their
// bytes into an ArchiveSink, readers take theirs from a ByteSource, and the
// few file-system services both need come from a ZipPlatform. The Win32
// back-end and a standard-C++ back-end for tools implement these.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "zip/zip_result.h"

namespace zip {

// ---- writer side ----

class ArchiveSink {
 public:
  virtual ~ArchiveSink() = default;
  // Number of bytes taken; fewer than count means the write failed.
  virtual std::uint32_t Write(const void* data, std::uint32_t count) = 0;
  // Places the next write at position, counted from the archive's start.
  [[nodiscard]] virtual bool Seek(std::uint32_t position) = 0;
  // The writer's error after a failed write or seek.
  [[nodiscard]] virtual ZipResult FailureCode() const { return kZipWriteFailed; }
  // Base of the block for memory outputs, null for files.
  [[nodiscard]] virtual std::uint8_t* MemoryBase() { return nullptr; }
  // Completes the output (files: flush and close); false when data was lost.
  [[nodiscard]] virtual bool Close() { return true; }
};

// A block of memory as output. An archive in a block of size s holds at
// most s - 1 bytes: a write must end strictly before the block's end.
class MemoryBlockSink : public ArchiveSink {
 public:
  MemoryBlockSink(std::uint8_t* base, std::uint32_t size) : base_(base), size_(size) {}
  std::uint32_t Write(const void* data, std::uint32_t count) override;
  [[nodiscard]] bool Seek(std::uint32_t position) override;
  [[nodiscard]] ZipResult FailureCode() const override { return kZipMemoryFull; }
  [[nodiscard]] std::uint8_t* MemoryBase() override { return base_; }

 private:
  std::uint8_t* base_;
  std::uint32_t size_;
  std::uint32_t pos_ = 0;
};

// Attributes and times of an entry's source.
struct SourceInfo {
  std::uint32_t external_attributes = 0;
  std::int64_t access_time = 0;  // Unix seconds, UTC
  std::int64_t modify_time = 0;
  std::int64_t create_time = 0;
  std::uint32_t dos_date_time = 0;  // date in the high word, time in the low
  std::uint32_t size = 0;
  bool size_known = false;
};

class EntrySource {
 public:
  virtual ~EntrySource() = default;
  // Bytes read; 0 at the end; negative when the source cannot be read.
  virtual std::int64_t Read(void* buffer, std::uint32_t count) = 0;
};

class BufferSource : public EntrySource {
 public:
  BufferSource(const void* data, std::uint32_t length)
      : data_(static_cast<const std::uint8_t*>(data)), length_(length) {}
  std::int64_t Read(void* buffer, std::uint32_t count) override;

 private:
  const std::uint8_t* data_;
  std::uint32_t length_;
  std::uint32_t pos_ = 0;
};

// ---- reader side ----

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  [[nodiscard]] virtual std::uint64_t Size() = 0;
  // Bytes read at offset; fewer than count only at the end of the data, 0 at
  // or past it; negative when the read failed.
  virtual std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count) = 0;
};

class MemoryByteSource : public ByteSource {
 public:
  MemoryByteSource(const void* data, std::uint64_t size)
      : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
  [[nodiscard]] std::uint64_t Size() override { return size_; }
  std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count) override;

 private:
  const std::uint8_t* data_;
  std::uint64_t size_;
};

// A file being extracted. It is written under a temporary name beside its
// target, so a file already at the target stays as it was until Commit
// succeeds, and nothing of the new one remains unless it does.
class ExtractFile {
 public:
  virtual ~ExtractFile() = default;
  [[nodiscard]] virtual bool Write(const void* data, std::uint32_t count) = 0;
  // Windows file times (100 ns units since 1601, UTC).
  virtual void SetTimes(std::uint64_t creation, std::uint64_t access, std::uint64_t write) = 0;
  // Closes the file and moves it over the target; false (and the temporary
  // removed, the target untouched) when that failed.
  [[nodiscard]] virtual bool Commit() = 0;
  // Closes and deletes the temporary file.
  virtual void Discard() = 0;
};

class ZipPlatform {
 public:
  virtual ~ZipPlatform() = default;
  // Creates or truncates path for writing; null when that fails.
  virtual std::unique_ptr<ArchiveSink> CreateOutputFile(const char* path) = 0;
  // A zeroed block of size bytes owned by the sink; null with *error set.
  virtual std::unique_ptr<ArchiveSink> CreateMemoryBlock(std::uint32_t size, ZipResult* error) = 0;
  // Opens an existing file for reading and describes it; null with *error.
  virtual std::unique_ptr<EntrySource> OpenSourceFile(const char* path, SourceInfo* info,
                                                      ZipResult* error) = 0;
  // Times of a source made now (memory buffers).
  virtual void CurrentTimes(SourceInfo* info) = 0;
  virtual std::unique_ptr<ByteSource> OpenArchiveFile(const char* path) = 0;
  virtual std::string CurrentDirectory() = 0;
  // Creates one folder; true when path is a folder afterwards (made now or
  // there before), false when it could not be made or is a file.
  [[nodiscard]] virtual bool CreateFolder(const std::string& path) = 0;
  // A new file under a temporary name beside path (see ExtractFile); null
  // when it cannot be created.
  virtual std::unique_ptr<ExtractFile> CreateExtractFile(const std::string& path,
                                                         std::uint32_t attributes) = 0;
  // Windows file time of a DOS date and time read as local time.
  [[nodiscard]] virtual std::uint64_t LocalDosTimeToFileTime(std::uint32_t dos_date_time);
  // Starting value for the encryption header's random source.
  [[nodiscard]] virtual std::uint32_t RandomSeed() { return 0; }
};

// ---- pure helpers ----

// The temporary name an extraction writes to before it replaces path: a
// scratch name of the writing process (framework/util/temp_names.h) in
// path's folder, so the final move stays on one volume and never has to copy.
[[nodiscard]] std::string ExtractTempName(const std::string& path, std::uint32_t processId, std::uint32_t sequence);

inline constexpr std::uint64_t kFileTimeUnixEpoch = 116444736000000000ull;

[[nodiscard]] std::uint64_t UnixToFileTime(std::int64_t seconds) noexcept;
[[nodiscard]] std::int64_t FileTimeToUnix(std::uint64_t file_time) noexcept;
// Days-from-civil arithmetic: the DOS fields taken as UTC.
[[nodiscard]] std::int64_t DosDateTimeToUnixUtc(std::uint32_t dos_date_time) noexcept;
[[nodiscard]] std::uint32_t MakeDosDateTime(int year, int month, int day, int hour, int minute,
                                            int second) noexcept;

// External attributes of a file source: the Unix mode in the high word
// (directory or regular file, owner read, owner write unless read-only,
// owner execute for Windows programs) over the low Windows attribute bits.
[[nodiscard]] std::uint32_t MakeExternalAttributes(std::uint32_t windows_attributes, bool directory,
                                                   bool executable) noexcept;

// Whether a file is a Windows executable, judged by its "MZ" header and the
// signature its header offset points at. read_at reads at an offset and
// returns false unless all bytes were read.
using ReadAtFn = bool (*)(void* context, std::uint64_t offset, void* buffer, std::uint32_t count);
[[nodiscard]] bool LooksLikeWindowsExecutable(std::uint64_t file_size, ReadAtFn read_at,
                                              void* context) noexcept;

}  // namespace zip
