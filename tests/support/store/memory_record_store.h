// A record store in memory for the platform-free tests of the options file:
// records by name, with switches that make opens, reads, writes or renames
// fail.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/store/config_archive.h"
#include "framework/store/config_text.h"
#include "framework/store/record_forms.h"
#include "framework/store/record_store.h"
#include "zip/stdio_platform.h"
#include "zip/zip.h"
#include "zip/zip_io.h"

namespace test_support {

// The key=value text of an options file's bytes; empty when it is no
// readable options archive.
inline std::string OptionsArchiveText(const void* data, std::size_t size) {
  ZipHandle* zip = OpenZipSource(nullptr, std::make_unique<zip::MemoryByteSource>(data, size), kOptionsArchivePassword);
  if (zip == nullptr) return "";
  ZipEntryInfo info{};
  std::string text;
  if (GetZipEntry(zip, 0, &info) == kZipOk) {
    text.resize(info.uncompressed_size);
    if (UnzipEntryToMemory(zip, 0, &text[0], info.uncompressed_size) != kZipOk) text.clear();
  }
  CloseZip(zip);
  return text;
}

class CMemoryRecordStore : public CRecordStore {
 public:
  using Bytes = std::vector<std::uint8_t>;

  // "<name><index>.oqc", under "common\" for the all-users folder.
  static std::string FileName(const char* name, int index, int allUsers = 0) {
    return (allUsers == 1 ? "common\\" : "") + std::string(name) + (index != -1 ? std::to_string(index) : "") + ".oqc";
  }

  std::unique_ptr<zip::ByteSource> OpenRecord(const char* name, int index, int allUsers) override {
    const auto it = files.find(FileName(name, index, allUsers));
    if (it == files.end()) return nullptr;
    if (held_opens > 0) {
      --held_opens;
      return nullptr;
    }
    return std::make_unique<OwnedSource>(it->second, claimed_size);
  }
  RecordRead ReadRecord(const char* name, int index, int allUsers, std::uint32_t maxSize,
                        CConfigByteBuffer& bytes) override {
    ++reads;
    bytes.ByteBufferFree();
    const auto it = files.find(FileName(name, index, allUsers));
    if (it == files.end()) return RecordRead::kMissing;
    if (unreadable || (claimed_size != 0 ? claimed_size : it->second.size()) > maxSize) return RecordRead::kUnreadable;
    bytes.Assign(it->second.data(), it->second.size());
    return RecordRead::kRead;
  }
  bool WriteRecord(const char* name, int index, int allUsers, const void* data, std::uint32_t size) override {
    ++writes;
    if (fail_writes) return false;
    files[FileName(name, index, allUsers)].assign(static_cast<const std::uint8_t*>(data),
                                                  static_cast<const std::uint8_t*>(data) + size);
    return true;
  }
  bool RenameRecord(const char* name, const char* newName, int allUsers) override {
    const auto it = files.find(FileName(name, -1, allUsers));
    if (fail_renames || it == files.end()) return false;
    Bytes moved = std::move(it->second);
    files.erase(it);
    files[FileName(newName, -1, allUsers)] = std::move(moved);
    return true;
  }
  bool WholeTemporaryLeft(const RecordForm& form, int allUsers) override {
    const auto it = temporaries.find(FileName(form.name, -1, allUsers));
    return it != temporaries.end() && ReadsWholeAs(form, it->second.data(), it->second.size());
  }
  zip::ZipPlatform& ArchivePlatform() override { return platform_; }

  [[nodiscard]] bool Has(const std::string& file) const { return files.count(file) != 0; }
  [[nodiscard]] const Bytes& At(const std::string& file) const { return files.at(file); }

  std::map<std::string, Bytes> files;
  // Temporaries left beside records, by their records' file names.
  std::map<std::string, Bytes> temporaries;
  bool fail_writes = false;
  bool fail_renames = false;
  bool unreadable = false;         // every record there is held past the wait for it
  int held_opens = 0;              // that many opens of a record there fail, as while another program holds it
  std::uint64_t claimed_size = 0;  // nonzero: every opened or read record claims this size
  int writes = 0;
  int reads = 0;

 private:
  // A copy of the record, so that later writes cannot pull it away.
  class OwnedSource : public zip::ByteSource {
   public:
    OwnedSource(Bytes bytes, std::uint64_t claimed) : bytes_(std::move(bytes)), claimed_(claimed) {}
    std::uint64_t Size() override { return claimed_ != 0 ? claimed_ : bytes_.size(); }
    std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count) override {
      return zip::MemoryByteSource(bytes_.data(), bytes_.size()).ReadAt(offset, buffer, count);
    }

   private:
    Bytes bytes_;
    std::uint64_t claimed_;
  };
  zip::StdioZipPlatform platform_;
};

}  // namespace test_support
