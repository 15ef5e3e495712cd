// The record files of the data folder: composing their names, reading them
// and replacing them atomically.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/store/record_path.h"

#include "framework/store/record_store.h"

// "<data folder>\<name><index>.oqc" (the all-users data folder when allUsers
// is 1; no index when it is -1) into outPath (260 characters). False when the
// name does not fit; outPath then holds the cut text.
bool BuildConfigFilePath(const char* name, int index, char* outPath, int allUsers) noexcept;

// Reads the file "<folder>\<name>.<extension>" (folder null = the data
// folder; name and extension each left out when null). With buffer null the
// result is the file size; otherwise at most size bytes are read and their
// number returned. 0 when the file cannot be opened or its name does not fit.
[[nodiscard]] std::uint32_t ReadDataFile(const char* folder, const char* name, const char* extension, void* buffer,
                                         std::uint32_t size, int allUsers) noexcept;

[[nodiscard]] std::uint32_t ReadConfigFile(const char* name, int index, void* buffer, std::uint32_t size,
                                           int allUsers) noexcept;

// ReadConfigFile for a caller that must not take a record it could not read
// for a missing one; count receives what ReadConfigFile returns.
[[nodiscard]] RecordRead ReadConfigFileChecked(const char* name, int index, void* buffer, std::uint32_t size,
                                               int allUsers, std::uint32_t* count) noexcept;

// One replacing write of a record file, in two steps: Stage takes a copy of
// the contents and never waits, so that a caller can take them under a lock
// of its own; Finish writes them without it. Two writes of one file never run
// side by side in this process: a write staged while another is under way
// (on another thread, or from a message answered during that one's wait for
// a held file) hands its contents over, and the write under way puts them in
// place after its own. So the contents staged last are the ones that stay,
// and no thread ever waits for another's write.
class CRecordWrite {
 public:
  CRecordWrite() noexcept = default;
  // A write that was staged and not finished is finished here: contents
  // handed over to it must not be lost.
  ~CRecordWrite();
  CRecordWrite(const CRecordWrite&) = delete;
  CRecordWrite& operator=(const CRecordWrite&) = delete;

  // The record "<name><index>.oqc" of a data folder (as BuildConfigFilePath).
  // False when its name does not fit or there is no memory for the copy.
  [[nodiscard]] bool Stage(const char* name, int index, const void* data, std::uint32_t size, int allUsers) noexcept;
  // Any file, by its full path.
  [[nodiscard]] bool StagePath(const char* target, const void* data, std::uint32_t size) noexcept;

  // The data goes to a temporary of this process ("<target>_tmp<process
  // id>"), is flushed and moved over the target (waiting a moment for a
  // target that another program holds), the folder made when it is missing.
  // Returns the size staged when the last contents written replaced the file,
  // or when they were handed to the write under way; 0 when it failed: the
  // previous file is then untouched and the temporary removed.
  [[nodiscard]] std::uint32_t Finish() noexcept;

  // Whether a write of the record is under way in this process: the file
  // may then be older than the contents on their way to it.
  [[nodiscard]] static bool IsUnderWay(const char* name, int index, int allUsers) noexcept;

 private:
  enum class Role { kNone, kWriter, kHandedOver };
  // The write of target under way, under the registry's lock; null if none.
  [[nodiscard]] static CRecordWrite* WriterOf(const char* target) noexcept;

  Role role_ = Role::kNone;
  char target_[kRecordPathSize] = {};
  std::unique_ptr<std::uint8_t[]> contents_;  // the writer's: not yet written
  std::uint32_t contentsSize_ = 0;
  std::uint32_t stagedSize_ = 0;
  CRecordWrite* next_ = nullptr;
};

// A CRecordWrite of "<folder>\<name>.<extension>" (same path rules as
// ReadDataFile), staged and finished at once.
[[nodiscard]] std::uint32_t WriteFileAtomic(const char* folder, const char* name, const char* extension,
                                            const void* data, std::uint32_t size, int allUsers) noexcept;

[[nodiscard]] std::uint32_t WriteConfigFile(const char* name, int index, const void* data, std::uint32_t size,
                                            int allUsers) noexcept;

// Writes in place: creating or truncating the file (append 0) or opening it,
// created if missing (append nonzero), at its end when append is 1. Creates
// the folder when it is missing. Returns the number of bytes written.
[[nodiscard]] std::uint32_t WriteFileCreatingFolders(const char* path, const void* data, std::uint32_t size,
                                                     int append) noexcept;
