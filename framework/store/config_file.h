// The record files of the data folder: composing their names, reading them
// and replacing them atomically.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/store/record_path.h"

#include "framework/store/record_store.h"

// The extension of every record file.
inline constexpr char kRecordExtension[] = "oqc";

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

// What became of one write of a record file.
enum class RecordWriteOutcome : std::uint8_t {
  kLanded,  // its contents, or newer ones staged after them, replaced the file
  kFailed,  // the file is as it was; error says why
  // Handed to a write of the same file that this thread has under way below
  // the caller (a message answered while that write waits for a held file).
  // That write puts these contents in place last, after the caller has
  // returned, and its own result says whether they landed: nothing is known
  // here yet, and this is neither success nor failure.
  kWithOuterWrite,
};

struct [[nodiscard]] RecordWriteStatus {
  RecordWriteOutcome outcome = RecordWriteOutcome::kFailed;
  std::uint32_t error = 0;  // the system's error code of a failure; 0 when none is known

  [[nodiscard]] bool Landed() const noexcept { return outcome == RecordWriteOutcome::kLanded; }
  [[nodiscard]] bool Failed() const noexcept { return outcome == RecordWriteOutcome::kFailed; }
};

// How long a write waits for the write under way that it handed its contents
// to, and the exit and the end of the session for the writes under way: the
// round under way and the one after it, each retried as long as a replace
// waits for a held file (file_replace.h), with room for the writes themselves.
inline constexpr std::uint32_t kRecordWriteWaitMs = 2 * 2000 + 1000;

// One replacing write of a record file, in two steps: Stage takes a copy of
// the contents and never waits, so that a caller can take them under a lock
// of its own; Finish writes them without it. Two writes of one file never run
// side by side in this process: a write staged while another is under way
// (on another thread, or from a message answered during that one's wait for
// a held file) hands its contents over, and the write under way puts them in
// place after its own. So the contents staged last are the ones that stay.
// A write handed to another thread's waits for their result (at most
// kRecordWriteWaitMs, answering what is sent to its thread meanwhile); one
// handed to a write of its own thread, which lies below it on the stack and
// cannot go on before it returns, is left to that write to report.
class CRecordWrite {
 public:
  CRecordWrite() noexcept = default;
  // A write that was staged and not finished is finished here: contents
  // handed over to it must not be lost.
  ~CRecordWrite();
  CRecordWrite(const CRecordWrite&) = delete;
  CRecordWrite& operator=(const CRecordWrite&) = delete;

  // The record "<name><index>.oqc" of a data folder (as BuildConfigFilePath).
  // False when its name does not fit or there is no memory for the copy
  // (the system's error code is then the thread's last error).
  [[nodiscard]] bool Stage(const char* name, int index, const void* data, std::uint32_t size, int allUsers) noexcept;
  // Any file, by its full path.
  [[nodiscard]] bool StagePath(const char* target, const void* data, std::uint32_t size) noexcept;

  // The data goes to a temporary of this process ("<target>_tmp<process
  // id>"), is flushed and moved over the target (waiting a moment for a
  // target that another program holds), the folder made when it is missing.
  // Landed only once the contents, or newer ones staged after them, are in
  // the file. A failure leaves the previous file untouched and removes the
  // temporary. The writer's own result also answers for the contents that
  // writes of its own thread handed to it (kWithOuterWrite there), so that
  // no failure goes unreported.
  [[nodiscard]] RecordWriteStatus Finish() noexcept;

  // Whether a write of the record is under way in this process: the file
  // may then be older than the contents on their way to it.
  [[nodiscard]] static bool IsUnderWay(const char* name, int index, int allUsers) noexcept;

 private:
  friend bool WaitForRecordWrites(std::uint32_t milliseconds) noexcept;

  enum class Role { kNone, kWriter, kWaiting, kWithOuterWrite };
  // The write of target under way, under the registry's lock; null if none.
  [[nodiscard]] static CRecordWrite* WriterOf(const char* target) noexcept;
  // Under the registry's lock: a waiting write gives up its place with its
  // writer.
  void LeaveWriterLocked() noexcept;

  Role role_ = Role::kNone;
  char target_[kRecordPathSize] = {};
  // The writer's: the contents not yet written, the thread that writes them,
  // the writes of other threads that wait for them and for the round under
  // way, and whether its own thread handed contents over since its last round.
  std::unique_ptr<std::uint8_t[]> contents_;
  std::uint32_t contentsSize_ = 0;
  std::uint32_t thread_ = 0;
  CRecordWrite* pendingWaiters_ = nullptr;
  CRecordWrite* roundWaiters_ = nullptr;
  bool pendingFromOwnThread_ = false;
  CRecordWrite* next_ = nullptr;
  // A waiting write's: the writer, the link in its lists, the event that the
  // writer sets with the result.
  CRecordWrite* writer_ = nullptr;
  CRecordWrite* nextWaiter_ = nullptr;
  void* resolvedEvent_ = nullptr;
  bool resolved_ = false;
  RecordWriteStatus result_{};
};

// Waits until no other thread has a write of a record under way, at most
// milliseconds, answering what is sent to the calling thread meanwhile; the
// writes of the calling thread lie below it and are not waited for. False
// when some write was still under way at the bound.
[[nodiscard]] bool WaitForRecordWrites(std::uint32_t milliseconds) noexcept;

// A CRecordWrite of "<folder>\<name>.<extension>" (same path rules as
// ReadDataFile), staged and finished at once.
[[nodiscard]] std::uint32_t WriteFileAtomic(const char* folder, const char* name, const char* extension,
                                            const void* data, std::uint32_t size, int allUsers) noexcept;

[[nodiscard]] std::uint32_t WriteConfigFile(const char* name, int index, const void* data, std::uint32_t size,
                                            int allUsers) noexcept;
// WriteConfigFile for a caller that tells the user when the write did not
// land, with the system's reason.
[[nodiscard]] RecordWriteStatus WriteConfigFileChecked(const char* name, int index, const void* data,
                                                       std::uint32_t size, int allUsers) noexcept;

// Writes in place: creating or truncating the file (append 0) or opening it,
// created if missing (append nonzero), at its end when append is 1. Creates
// the folder when it is missing. Returns the number of bytes written.
[[nodiscard]] std::uint32_t WriteFileCreatingFolders(const char* path, const void* data, std::uint32_t size,
                                                     int append) noexcept;
