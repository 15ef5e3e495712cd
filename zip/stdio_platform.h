// Standard C++ file back-end for tools and tests on any host with POSIX
// file times. Paths may use "\" or "/"; "\" is taken as a separator.
#pragma once

#include "zip/zip_io.h"

namespace zip {

class StdioZipPlatform : public ZipPlatform {
 public:
  std::unique_ptr<ArchiveSink> CreateOutputFile(const char* path) override;
  std::unique_ptr<ArchiveSink> CreateMemoryBlock(std::uint32_t size, ZipResult* error) override;
  std::unique_ptr<EntrySource> OpenSourceFile(const char* path, SourceInfo* info, ZipResult* error) override;
  void CurrentTimes(SourceInfo* info) override;
  std::unique_ptr<ByteSource> OpenArchiveFile(const char* path) override;
  std::string CurrentDirectory() override;
  [[nodiscard]] bool CreateFolder(const std::string& path) override;
  std::unique_ptr<ExtractFile> CreateExtractFile(const std::string& path, std::uint32_t attributes) override;
  [[nodiscard]] std::uint64_t LocalDosTimeToFileTime(std::uint32_t dos_date_time) override;
  [[nodiscard]] std::uint32_t RandomSeed() override;
};

// A path with every "\" turned into "/".
[[nodiscard]] std::string ToHostPath(const std::string& path);

}  // namespace zip
