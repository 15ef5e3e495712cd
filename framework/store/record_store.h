// The record files of the data folder as the options storage sees them:
// opened for reading, replaced atomically, or moved to another name. The
// Win32 store works on the real data folder; tests supply their own.
#pragma once

#include <cstdint>
#include <memory>

namespace zip {
class ByteSource;
class ZipPlatform;
}  // namespace zip

class CRecordStore {
 public:
  virtual ~CRecordStore() = default;
  // The record "<name><index>" (no number when index is -1) of the data
  // folder (the all-users one when allUsers is 1); null when it is missing
  // or cannot be opened.
  [[nodiscard]] virtual std::unique_ptr<zip::ByteSource> OpenRecord(const char* name, int index,
                                                                    int allUsers) = 0;
  // Replaces the record whole or not at all.
  [[nodiscard]] virtual bool WriteRecord(const char* name, int index, int allUsers, const void* data,
                                         std::uint32_t size) = 0;
  // Gives the record (index -1) the name newName, replacing a record of that
  // name.
  [[nodiscard]] virtual bool RenameRecord(const char* name, const char* newName, int allUsers) = 0;
  // Times and the random source's starting value for archives written for the store.
  [[nodiscard]] virtual zip::ZipPlatform& ArchivePlatform() = 0;
};
