// The options file and raw records in the application's data folders.
#pragma once

#include "framework/store/config_archive.h"
#include "framework/store/config_file.h"

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
  [[nodiscard]] zip::ZipPlatform& ArchivePlatform() override;

  // What became of the last write or rename: its system error, for the
  // user; kWithOuterWrite for a write left to one of this thread under way.
  // Failed without an error before any.
  [[nodiscard]] RecordWriteStatus LastWrite() const noexcept { return lastWrite_; }

 private:
  RecordWriteStatus lastWrite_{};
};

// The record name is printf-formatted from nameFormat and the arguments
// (at most 259 characters); "Options" with index -1 is Options.oqc in the
// data folder (allUsers 1: the all-users data folder). Results as
// LoadConfigArchiveFrom, SaveConfigArchiveTo and ReadConfigRecordFrom.
[[nodiscard]] int LoadConfigArchive(CConfigText& text, const char* nameFormat, int index, int allUsers, ...);
[[nodiscard]] int SaveConfigArchive(const CConfigText& text, const char* nameFormat, int index, int allUsers, ...);
[[nodiscard]] int ReadConfigRecord(CConfigByteBuffer& buffer, const char* nameFormat, int index, int allUsers, ...);
