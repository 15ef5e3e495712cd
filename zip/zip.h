// ZIP archives: writing (Deflate or stored, optional traditional encryption)
// to a file or to memory, and reading (listing, finding, extraction into
// memory or below a base folder). Every operation returns a ZipResult
// (zip_result.h) unless said otherwise and throws nothing: running out of
// memory is kZipNoMemory. Handles are closed with CloseZip.
#pragma once

#include <cstdint>
#include <memory>

#include "zip/zip_io.h"
#include "zip/zip_result.h"
#include "zip/zip_types.h"

// ---- Writer ----

// The platform object must outlive the handle. *error (optional) receives
// the reason when null is returned.
[[nodiscard]] ZipHandle* CreateZipFileWith(zip::ZipPlatform& platform, const char* path,
                                           const char* password, ZipResult* error = nullptr) noexcept;
// With a null buffer the platform provides a zeroed block of size bytes.
// An archive in a block of size s holds at most s - 1 bytes.
[[nodiscard]] ZipHandle* CreateZipInMemoryWith(zip::ZipPlatform& platform, void* buffer,
                                               std::uint32_t size, const char* password,
                                               ZipResult* error = nullptr) noexcept;
// A writer over any output (tests, tools).
[[nodiscard]] ZipHandle* CreateZipWriterOn(zip::ZipPlatform& platform, std::unique_ptr<zip::ArchiveSink> sink,
                                           const char* password) noexcept;

[[nodiscard]] ZipResult ZipAddFile(ZipHandle* handle, const char* entry_name, const char* path) noexcept;
[[nodiscard]] ZipResult ZipAddBuffer(ZipHandle* handle, const char* entry_name, const void* buffer,
                                     std::uint32_t length) noexcept;
// Finishes the archive when needed and hands out the block and the number
// of bytes written; the block of a platform-made memory writer stays valid
// until CloseZipWriter.
[[nodiscard]] ZipResult GetZipMemory(ZipHandle* handle, void** base, std::uint32_t* length) noexcept;
ZipResult CloseZipWriter(ZipHandle* handle) noexcept;

// ---- Reader ----

[[nodiscard]] ZipHandle* OpenZipFileWith(zip::ZipPlatform& platform, const char* path,
                                         const char* password, ZipResult* error = nullptr) noexcept;
// A reader over any input (memory images, tests, fuzzing); platform may be
// null when no extraction to files is made.
[[nodiscard]] ZipHandle* OpenZipSource(zip::ZipPlatform* platform, std::unique_ptr<zip::ByteSource> source,
                                       const char* password, ZipResult* error = nullptr) noexcept;
[[nodiscard]] bool IsZipReader(const ZipHandle* handle) noexcept;
ZipResult SetUnzipBaseDir(ZipHandle* handle, const char* folder) noexcept;
// index -1 gives the number of entries in info->index.
[[nodiscard]] ZipResult GetZipEntry(ZipHandle* handle, int index, ZipEntryInfo* info) noexcept;
[[nodiscard]] ZipResult FindZipEntry(ZipHandle* handle, const char* name, int ignore_case, int* index,
                                     ZipEntryInfo* info) noexcept;
// 0 at the entry's end (its CRC-32 checked), kZipMoreData when the buffer
// filled first (call again with the same index for the rest). bytes_read
// (optional) receives the count placed in buffer.
[[nodiscard]] ZipResult UnzipEntryToMemory(ZipHandle* handle, int index, void* buffer,
                                           std::uint32_t length, std::uint32_t* bytes_read = nullptr) noexcept;
// path is relative to the base folder; absolute paths, ".." steps, device
// names and names ending in a dot or blank are refused (kZipBadArguments).
// An entry whose name ends in "/" is a folder whatever its attributes: it is
// made (an existing folder is success, a file in its way kZipNotFound). A
// file is written under a temporary name and moved over the target only
// once its CRC-32 matched, so a failed extraction leaves no file behind and
// a file already at the target as it was.
[[nodiscard]] ZipResult UnzipEntryToFile(ZipHandle* handle, int index, const char* path) noexcept;
ZipResult CloseZipReader(ZipHandle* handle) noexcept;

// Closes a reader or a writer.
ZipResult CloseZip(ZipHandle* handle) noexcept;

namespace zip {
class CZipWriter;
// The writer behind a handle (null for readers), for tools that set options.
[[nodiscard]] CZipWriter* WriterOf(ZipHandle* handle);
}  // namespace zip
