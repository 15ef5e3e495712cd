#include "framework/store/config_archive.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "zip/zip.h"

namespace {

// Closes a reader or writer handle on every path out.
struct ZipCloser {
  void operator()(ZipHandle* h) const noexcept { (void)CloseZip(h); }
};
using ZipOwner = std::unique_ptr<ZipHandle, ZipCloser>;

}  // namespace

bool StartsWithZipSignature(const std::uint8_t* data, std::size_t size) noexcept {
  if (data == nullptr || size < 4 || data[0] != 'P' || data[1] != 'K') return false;
  // Local file header, or the end record of an archive without entries.
  return (data[2] == 3 && data[3] == 4) || (data[2] == 5 && data[3] == 6);
}

namespace {

int LoadConfigArchiveSource(CConfigText& text, std::unique_ptr<zip::ByteSource> source) {
  text.ConfigTextFree();
  if (!source) return kArchiveNotOpened;
  ZipOwner zip(OpenZipSource(nullptr, std::move(source), kOptionsArchivePassword));
  if (!zip) return kArchiveNotOpened;
  ZipEntryInfo info{};
  if (GetZipEntry(zip.get(), 0, &info) != kZipOk) return kArchiveNoEntry;
  if (info.uncompressed_size > kMaxConfigTextSize) return kArchiveNoMemory;
  if (info.uncompressed_size == 0) return 0;
  std::uint8_t* block = text.PrepareText(info.uncompressed_size);
  if (block == nullptr) return kArchiveNoMemory;
  std::uint32_t got = 0;
  if (UnzipEntryToMemory(zip.get(), 0, block, info.uncompressed_size, &got) != kZipOk ||
      got != info.uncompressed_size) {
    text.ConfigTextFree();
    return kArchiveReadFailed;
  }
  info.name[sizeof info.name - 1] = '\0';
  text.version = ParseConfigDecimal(info.name, std::strlen(info.name));
  text.cursor = 0;
  return static_cast<int>(got);
}

}  // namespace

int LoadConfigArchiveFrom(CRecordStore& store, CConfigText& text, const char* recordName, int index,
                          int allUsers) {
  text.ConfigTextFree();
  return LoadConfigArchiveSource(text, store.OpenRecord(recordName, index, allUsers));
}

int LoadConfigArchiveBytes(CConfigText& text, const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size == 0) {
    text.ConfigTextFree();
    return kArchiveNotOpened;
  }
  return LoadConfigArchiveSource(text, std::make_unique<zip::MemoryByteSource>(data, size));
}

bool IsWholeConfigArchive(const std::uint8_t* data, std::size_t size) noexcept {
  if (data == nullptr || size == 0) return false;
  try {
    ZipOwner zip(OpenZipSource(nullptr, std::make_unique<zip::MemoryByteSource>(data, size), kOptionsArchivePassword));
    ZipEntryInfo info{};
    if (!zip || GetZipEntry(zip.get(), -1, &info) != kZipOk || info.index != 1) return false;
    CConfigText text(0, "");
    return LoadConfigArchiveSource(text, std::make_unique<zip::MemoryByteSource>(data, size)) > 0;
  } catch (...) {
    return false;
  }
}

int BuildConfigArchive(zip::ZipPlatform& platform, const CConfigText& text, std::unique_ptr<std::uint8_t[]>* block,
                       std::uint32_t* size) {
  block->reset();
  *size = 0;
  const std::size_t length = text.text().size();
  if (length == 0 || length > kMaxConfigTextSize) return kArchiveEntryFailed;
  // Room for the headers, and for Deflate's worst case on text that does not
  // compress; key=value text always does, so the block is mostly slack.
  const std::uint32_t capacity = static_cast<std::uint32_t>(length + length / 8 + 1024);
  std::unique_ptr<std::uint8_t[]> memory(new (std::nothrow) std::uint8_t[capacity]());
  if (!memory) return kArchiveWriterFailed;
  ZipOwner zip(CreateZipInMemoryWith(platform, memory.get(), capacity, kOptionsArchivePassword));
  if (!zip) return kArchiveWriterFailed;
  char entry[16];
  std::snprintf(entry, sizeof entry, "%d", text.version);
  if (ZipAddBuffer(zip.get(), entry, text.text().data(), static_cast<std::uint32_t>(length)) != kZipOk) {
    return kArchiveEntryFailed;
  }
  void* base = nullptr;
  std::uint32_t written = 0;
  if (GetZipMemory(zip.get(), &base, &written) != kZipOk || base != memory.get() || written == 0) {
    return kArchiveWriteFailed;
  }
  zip.reset();
  *block = std::move(memory);
  *size = written;
  return 0;
}

int SaveConfigArchiveTo(CRecordStore& store, const CConfigText& text, const char* recordName, int index,
                        int allUsers) {
  std::unique_ptr<std::uint8_t[]> block;
  std::uint32_t size = 0;
  const int built = BuildConfigArchive(store.ArchivePlatform(), text, &block, &size);
  if (built != 0) return built;
  // The record is replaced whole or not at all, so a failed save keeps the
  // previous options.
  if (!store.WriteRecord(recordName, index, allUsers, block.get(), size)) return kArchiveWriteFailed;
  return static_cast<int>(size);
}

int ReadConfigRecordFrom(CRecordStore& store, CConfigByteBuffer& buffer, const char* recordName, int index,
                         int allUsers) {
  buffer.ByteBufferFree();
  std::unique_ptr<zip::ByteSource> source = store.OpenRecord(recordName, index, allUsers);
  if (!source) return 0;
  const std::uint64_t size = source->Size();
  if (size == 0 || size > kMaxConfigRecordSize) return 0;
  std::uint8_t* bytes = buffer.Resize(static_cast<std::size_t>(size));
  if (bytes == nullptr) return 0;
  const std::int64_t got = source->ReadAt(0, bytes, static_cast<std::uint32_t>(size));
  if (got <= 0) {
    buffer.ByteBufferFree();
    return 0;
  }
  buffer.Truncate(static_cast<std::size_t>(got));
  return static_cast<int>(got);
}
