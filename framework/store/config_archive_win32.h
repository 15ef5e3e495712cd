// The options file and raw records in the application's data folders.
#pragma once

#include <cstddef>
#include <cstdio>

#include "framework/store/config_archive.h"
#include "framework/store/config_file.h"
#include "framework/store/record_forms.h"
#include "framework/util/temp_names.h"

// The record files of gApp's data folders.
class CDataFolderStore final : public CRecordStore {
 public:
  [[nodiscard]] std::unique_ptr<zip::ByteSource> OpenRecord(const char* name, int index, int allUsers) override;
  // A record that another program holds (a sync or backup tool copying it,
  // an indexer) is tried again for about as long as a replace waits for such
  // a holder; only then is it kUnreadable.
  [[nodiscard]] RecordRead ReadRecord(const char* name, int index, int allUsers, std::uint32_t maxSize,
                                      CConfigByteBuffer& bytes) override;
  [[nodiscard]] bool WriteRecord(const char* name, int index, int allUsers, const void* data,
                                 std::uint32_t size) override;
  [[nodiscard]] bool RenameRecord(const char* name, const char* newName, int allUsers) override;
  [[nodiscard]] bool WholeTemporaryLeft(const RecordForm& form, int allUsers) override;
  [[nodiscard]] zip::ZipPlatform& ArchivePlatform() override;

  // What became of the last write or rename: its system error, for the
  // user; kWithOuterWrite for a write left to one of this thread under way.
  // Failed without an error before any.
  [[nodiscard]] RecordWriteStatus LastWrite() const noexcept { return lastWrite_; }

 private:
  RecordWriteStatus lastWrite_{};
};

// Whether the file at path holds a whole record of that form: what start-up
// asks of a temporary that a write cut short may have left.
[[nodiscard]] TempContents ContentsAsRecord(const char* path, const RecordForm& form) noexcept;

// A record name printf-formatted from a format and its arguments, at most
// 259 characters; null when it does not fit (or there is no format): a cut
// name could be another record's.
class CRecordName {
 public:
  template <typename... Args>
  explicit CRecordName(const char* format, Args... args) noexcept {
    const int n = format != nullptr ? std::snprintf(text_, sizeof text_, format, args...) : -1;
    fits_ = n > 0 && static_cast<std::size_t>(n) < sizeof text_;
  }
  [[nodiscard]] const char* Get() const noexcept { return fits_ ? text_ : nullptr; }

 private:
  char text_[260]{};
  bool fits_ = false;
};

// The record named name (null: none, which fails) of the data folders;
// "Options" with index -1 is Options.oqc in the data folder (allUsers 1: the
// all-users data folder). Results as LoadConfigArchiveFrom,
// SaveConfigArchiveTo and ReadConfigRecordFrom; a load or read that fails
// leaves text or buffer empty.
[[nodiscard]] int LoadConfigArchiveNamed(CConfigText& text, const char* name, int index, int allUsers);
[[nodiscard]] int SaveConfigArchiveNamed(const CConfigText& text, const char* name, int index, int allUsers);
[[nodiscard]] int ReadConfigRecordNamed(CConfigByteBuffer& buffer, const char* name, int index, int allUsers);

// The same with the record name formatted from nameFormat and the arguments.
template <typename... Args>
[[nodiscard]] int LoadConfigArchive(CConfigText& text, const char* nameFormat, int index, int allUsers,
                                    Args... args) {
  return LoadConfigArchiveNamed(text, CRecordName(nameFormat, args...).Get(), index, allUsers);
}
template <typename... Args>
[[nodiscard]] int SaveConfigArchive(const CConfigText& text, const char* nameFormat, int index, int allUsers,
                                    Args... args) {
  return SaveConfigArchiveNamed(text, CRecordName(nameFormat, args...).Get(), index, allUsers);
}
template <typename... Args>
[[nodiscard]] int ReadConfigRecord(CConfigByteBuffer& buffer, const char* nameFormat, int index, int allUsers,
                                   Args... args) {
  return ReadConfigRecordNamed(buffer, CRecordName(nameFormat, args...).Get(), index, allUsers);
}
