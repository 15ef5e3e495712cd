// The record files of the data folder as the options storage sees them:
// opened or read whole, replaced atomically, or moved to another name. The
// Win32 store works on the real data folder; tests supply their own.
#pragma once

#include <cstdint>
#include <memory>

namespace zip {
class ByteSource;
class ZipPlatform;
}  // namespace zip

class CConfigByteBuffer;
struct RecordForm;

// What reading a record found. A caller that would write the record again
// must not take one it could not read for a missing one.
enum class RecordRead : int {
  kRead,        // opened and read (perhaps 0 bytes)
  kMissing,     // there is no such file
  kUnreadable,  // it is there but could not be opened or read: held, refused, too large, a read error
};

class CRecordStore {
 public:
  virtual ~CRecordStore() = default;
  // The record "<name><index>" (no number when index is -1) of the data
  // folder (the all-users one when allUsers is 1); null when it is missing
  // or cannot be opened.
  [[nodiscard]] virtual std::unique_ptr<zip::ByteSource> OpenRecord(const char* name, int index,
                                                                    int allUsers) = 0;
  // The whole record into `bytes` (cursor at 0) in one read. Anything but
  // kRead leaves `bytes` empty; so does a record larger than maxSize, which
  // is kUnreadable.
  [[nodiscard]] virtual RecordRead ReadRecord(const char* name, int index, int allUsers, std::uint32_t maxSize,
                                              CConfigByteBuffer& bytes) = 0;
  // Replaces the record whole or not at all.
  [[nodiscard]] virtual bool WriteRecord(const char* name, int index, int allUsers, const void* data,
                                         std::uint32_t size) = 0;
  // Gives the record (index -1) the name newName, replacing a record of that
  // name.
  [[nodiscard]] virtual bool RenameRecord(const char* name, const char* newName, int allUsers) = 0;
  // Whether a temporary of the missing record (index -1) that reads whole
  // as form is left beside it: the record's only copy, which start-up left
  // to a writer that still runs. Nothing must be saved in its place. A
  // store that writes no temporaries has none.
  [[nodiscard]] virtual bool WholeTemporaryLeft(const RecordForm& form, int allUsers) {
    (void)form;
    (void)allUsers;
    return false;
  }
  // Times and the random source's starting value for archives written for the store.
  [[nodiscard]] virtual zip::ZipPlatform& ArchivePlatform() = 0;
};
