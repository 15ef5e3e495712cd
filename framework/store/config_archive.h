// The options file: key=value text in a password-protected ZIP archive of
// one entry, named after the text's version; and the raw reading of a record
// for the import of older layouts. The platform-free core works through a
// CRecordStore; config_archive_win32.h binds it to the data folder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/store/config_text.h"
#include "framework/store/record_store.h"

inline constexpr char kOptionsArchivePassword[] = "QmoTrvHE52b18k";

// Larger entries or records are not ours: a full options text of 1024
// profiles stays far below this, and a damaged size field must not make us
// ask for gigabytes.
inline constexpr std::uint32_t kMaxConfigTextSize = 64u << 20;
inline constexpr std::uint32_t kMaxConfigRecordSize = 64u << 20;

// Results of loading the archive: the text's size when positive.
inline constexpr int kArchiveNotOpened = -1;  // missing, not a ZIP archive, unreadable
inline constexpr int kArchiveNoEntry = -2;
inline constexpr int kArchiveNoMemory = -3;   // also an entry beyond kMaxConfigTextSize
inline constexpr int kArchiveReadFailed = -4; // wrong password, damaged or cut-short data
// Results of saving: the archive's size when positive.
inline constexpr int kArchiveWriterFailed = -1;
inline constexpr int kArchiveEntryFailed = -2;
inline constexpr int kArchiveWriteFailed = -3;

// Whether the bytes open with a ZIP local-header or end-of-directory
// signature: the mark of an options file in the current format.
[[nodiscard]] bool StartsWithZipSignature(const std::uint8_t* data, std::size_t size) noexcept;

// Reads entry 0 of the archive record into the serializer: `version` from
// the entry's name, the cursor at 0. A failure leaves the text empty.
[[nodiscard]] int LoadConfigArchiveFrom(CRecordStore& store, CConfigText& text, const char* recordName, int index,
                                        int allUsers);

// The same over an options file already read into memory (the bytes must
// outlive the call only).
[[nodiscard]] int LoadConfigArchiveBytes(CConfigText& text, const std::uint8_t* data, std::size_t size);

// Whether the bytes are a whole options file: an archive with exactly one
// entry, not empty, that reads back whole with the options password, its CRC
// matching.
[[nodiscard]] bool IsWholeConfigArchive(const std::uint8_t* data, std::size_t size) noexcept;

// Archives the serializer's text as entry "<version>" and replaces the record
// with it; a failure leaves the previous record as it was.
[[nodiscard]] int SaveConfigArchiveTo(CRecordStore& store, const CConfigText& text, const char* recordName,
                                      int index, int allUsers);

// The archive bytes alone (for SaveConfigArchiveTo and tests): 0 or one of
// the save results above.
[[nodiscard]] int BuildConfigArchive(zip::ZipPlatform& platform, const CConfigText& text,
                                     std::unique_ptr<std::uint8_t[]>* block, std::uint32_t* size);

// The whole record into the buffer, cursor at 0; returns the byte count. A
// missing, empty, unreadable or oversized record empties the buffer and
// gives 0.
[[nodiscard]] int ReadConfigRecordFrom(CRecordStore& store, CConfigByteBuffer& buffer, const char* recordName,
                                       int index, int allUsers);
