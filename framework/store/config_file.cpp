#include "framework/store/config_file.h"

#include <windows.h>

#include <cstring>
#include <mutex>
#include <new>
#include <utility>

#include "framework/object/application.h"
#include "framework/store/record_path.h"
#include "framework/util/file_replace.h"
#include "framework/util/files.h"
#include "framework/util/temp_names.h"
#include "framework/util/text_util.h"
#include "framework/util/win_handles.h"

namespace {

// The writes under way, one per file: taken only for moments, never across
// a write.
std::mutex gWritesLock;
CRecordWrite* gWriters = nullptr;

const char* DataFolder(int allUsers) noexcept {
  return allUsers == 1 ? gApp.allUsersDataFolder : gApp.dataFolder;
}

// Opens with CreateFileA; when that fails and the file's folder is missing,
// creates the folder path and tries once more.
CFileHandle CreateCreatingFolder(const char* path, DWORD access, DWORD share, DWORD disposition) noexcept {
  CFileHandle file(CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) return file;
  char folder[kRecordPathSize];
  if (!CopyText(folder, sizeof folder, path) || CutAtLastBackslash(folder) == nullptr) return file;
  if (!PathExists(folder)) (void)CreateDirectoryPath(folder, 1);
  file.Reset(CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file;
}

bool WriteAll(HANDLE file, const void* data, std::uint32_t size) noexcept {
  DWORD written = 0;
  if (size == 0) return true;
  return WriteFile(file, data, size, &written, nullptr) && written == size;
}

}  // namespace

bool BuildConfigFilePath(const char* name, int index, char* outPath, int allUsers) noexcept {
  char recordName[kRecordPathSize];
  if (!ComposeRecordName(name, index, recordName, sizeof recordName)) {
    outPath[0] = '\0';
    return false;
  }
  return ComposeDataFilePath(DataFolder(allUsers), recordName, kRecordExtension, outPath, kRecordPathSize);
}

namespace {

// ReadDataFile, telling a missing file from one that is there but could not
// be opened or read.
RecordRead ReadDataFileChecked(const char* folder, const char* name, const char* extension, void* buffer,
                               std::uint32_t size, int allUsers, std::uint32_t* count) noexcept {
  *count = 0;
  char path[kRecordPathSize];
  if (!ComposeDataFilePath(folder != nullptr ? folder : DataFolder(allUsers), name, extension, path, sizeof path)) {
    return RecordRead::kUnreadable;
  }
  CFileHandle file(
      CreateFileA(path, GENERIC_READ, kReaderShareMode, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? RecordRead::kMissing
                                                                          : RecordRead::kUnreadable;
  }
  if (buffer == nullptr) {
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file.Get(), &length) || length.QuadPart < 0) return RecordRead::kUnreadable;
    *count = length.QuadPart > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<std::uint32_t>(length.QuadPart);
    return RecordRead::kRead;
  }
  DWORD read = 0;
  if (!ReadFile(file.Get(), buffer, size, &read, nullptr)) return RecordRead::kUnreadable;
  *count = read;
  return RecordRead::kRead;
}

}  // namespace

std::uint32_t ReadDataFile(const char* folder, const char* name, const char* extension, void* buffer,
                           std::uint32_t size, int allUsers) noexcept {
  std::uint32_t count = 0;
  (void)ReadDataFileChecked(folder, name, extension, buffer, size, allUsers, &count);
  return count;
}

std::uint32_t ReadConfigFile(const char* name, int index, void* buffer, std::uint32_t size, int allUsers) noexcept {
  std::uint32_t count = 0;
  (void)ReadConfigFileChecked(name, index, buffer, size, allUsers, &count);
  return count;
}

RecordRead ReadConfigFileChecked(const char* name, int index, void* buffer, std::uint32_t size, int allUsers,
                                 std::uint32_t* count) noexcept {
  *count = 0;
  char recordName[kRecordPathSize];
  if (!ComposeRecordName(name, index, recordName, sizeof recordName)) return RecordRead::kUnreadable;
  return ReadDataFileChecked(nullptr, recordName, kRecordExtension, buffer, size, allUsers, count);
}

namespace {

// A copy of the contents; null when there is no memory for it.
std::unique_ptr<std::uint8_t[]> CopyOf(const void* data, std::uint32_t size) noexcept {
  std::unique_ptr<std::uint8_t[]> copy(new (std::nothrow) std::uint8_t[size > 0 ? size : 1]);
  if (copy && size > 0) std::memcpy(copy.get(), data, size);
  return copy;
}

// The thread's last error, or fallback when a call failed without one.
std::uint32_t LastErrorOr(DWORD fallback) noexcept {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

// One write of the contents through this process's temporary; *error gets
// the system's reason of a failure.
bool ReplaceWithContents(const char* target, const std::uint8_t* data, std::uint32_t size,
                         std::uint32_t* error) noexcept {
  char temp[kRecordPathSize];
  if (!ComposeRecordTempPath(target, GetCurrentProcessId(), temp, sizeof temp)) {
    *error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  bool written = false;
  {
    CFileHandle file = CreateCreatingFolder(temp, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file) {
      *error = LastErrorOr(ERROR_CANNOT_MAKE);
      return false;
    }
    // The data must be on disk before the move can make it the record.
    written = WriteAll(file.Get(), data, size) && FlushFileBuffers(file.Get());
    if (!written) *error = LastErrorOr(ERROR_DISK_FULL);
  }
  if (written) {
    if (ReplaceFileRetrying(temp, target)) return true;
    *error = LastErrorOr(ERROR_ACCESS_DENIED);
  }
  (void)DeleteFileA(temp);
  return false;
}

}  // namespace

static_assert(kRecordWriteWaitMs == 2 * kReplaceRetryMs + 1000, "two rounds of a replace and their writes");

CRecordWrite::~CRecordWrite() {
  if (role_ == Role::kWriter) (void)Finish();
  if (role_ == Role::kWaiting) {
    const std::lock_guard<std::mutex> guard(gWritesLock);
    if (!resolved_) LeaveWriterLocked();
  }
  if (resolvedEvent_ != nullptr) CloseHandle(resolvedEvent_);
}

CRecordWrite* CRecordWrite::WriterOf(const char* target) noexcept {
  for (CRecordWrite* w = gWriters; w != nullptr; w = w->next_) {
    if (EqualNoCase(w->target_, target)) return w;
  }
  return nullptr;
}

void CRecordWrite::LeaveWriterLocked() noexcept {
  for (CRecordWrite** list : {&writer_->pendingWaiters_, &writer_->roundWaiters_}) {
    for (CRecordWrite** link = list; *link != nullptr; link = &(*link)->nextWaiter_) {
      if (*link == this) {
        *link = nextWaiter_;
        nextWaiter_ = nullptr;
        writer_ = nullptr;
        return;
      }
    }
  }
}

bool CRecordWrite::Stage(const char* name, int index, const void* data, std::uint32_t size, int allUsers) noexcept {
  char target[kRecordPathSize];
  if (!BuildConfigFilePath(name, index, target, allUsers)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  return StagePath(target, data, size);
}

bool CRecordWrite::StagePath(const char* target, const void* data, std::uint32_t size) noexcept {
  if (role_ != Role::kNone || target == nullptr || (data == nullptr && size != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!CopyText(target_, sizeof target_, target)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  std::unique_ptr<std::uint8_t[]> copy = CopyOf(data, size);
  if (!copy) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  const DWORD thread = GetCurrentThreadId();
  const std::lock_guard<std::mutex> guard(gWritesLock);
  if (CRecordWrite* writer = WriterOf(target_)) {
    if (writer->thread_ == thread) {
      // Below us on this thread's stack: it writes these after we return.
      writer->pendingFromOwnThread_ = true;
      role_ = Role::kWithOuterWrite;
    } else {
      resolvedEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
      if (resolvedEvent_ == nullptr) return false;  // nothing handed over
      writer_ = writer;
      nextWaiter_ = writer->pendingWaiters_;
      writer->pendingWaiters_ = this;
      role_ = Role::kWaiting;
    }
    // Newer than anything that writer holds: it writes these after its own.
    writer->contents_ = std::move(copy);
    writer->contentsSize_ = size;
    return true;
  }
  contents_ = std::move(copy);
  contentsSize_ = size;
  thread_ = thread;
  role_ = Role::kWriter;
  next_ = gWriters;
  gWriters = this;
  return true;
}

RecordWriteStatus CRecordWrite::Finish() noexcept {
  if (role_ == Role::kWithOuterWrite) {
    role_ = Role::kNone;
    return RecordWriteStatus{RecordWriteOutcome::kWithOuterWrite, 0};
  }
  if (role_ == Role::kWaiting) {
    (void)WaitAnsweringSentMessages(resolvedEvent_, kRecordWriteWaitMs);
    RecordWriteStatus status{RecordWriteOutcome::kFailed, ERROR_TIMEOUT};
    {
      const std::lock_guard<std::mutex> guard(gWritesLock);
      if (resolved_) {
        status = result_;
      } else {
        LeaveWriterLocked();
      }
    }
    CloseHandle(resolvedEvent_);
    resolvedEvent_ = nullptr;
    resolved_ = false;
    role_ = Role::kNone;
    return status;
  }
  if (role_ != Role::kWriter) return RecordWriteStatus{RecordWriteOutcome::kFailed, ERROR_INVALID_FUNCTION};
  // What this thread staged: its own contents in the first round, and those
  // that its messages handed over in later ones. A round of another
  // thread's contents that lands after a failed one of ours puts newer
  // contents in the file: ours are not lost then.
  bool firstRound = true;
  RecordWriteStatus own{RecordWriteOutcome::kLanded, 0};
  for (;;) {
    std::unique_ptr<std::uint8_t[]> contents;
    std::uint32_t size = 0;
    bool ownRound = false;
    {
      const std::lock_guard<std::mutex> guard(gWritesLock);
      if (!contents_) {
        CRecordWrite** link = &gWriters;
        while (*link != this) link = &(*link)->next_;
        *link = next_;
        next_ = nullptr;
        break;
      }
      contents = std::move(contents_);
      size = contentsSize_;
      roundWaiters_ = pendingWaiters_;
      pendingWaiters_ = nullptr;
      ownRound = firstRound || pendingFromOwnThread_;
      pendingFromOwnThread_ = false;
    }
    firstRound = false;
    std::uint32_t error = 0;
    const bool landed = ReplaceWithContents(target_, contents.get(), size, &error);
    const RecordWriteStatus round{landed ? RecordWriteOutcome::kLanded : RecordWriteOutcome::kFailed,
                                  landed ? 0u : error};
    {
      const std::lock_guard<std::mutex> guard(gWritesLock);
      while (CRecordWrite* waiter = roundWaiters_) {
        roundWaiters_ = waiter->nextWaiter_;
        waiter->nextWaiter_ = nullptr;
        waiter->writer_ = nullptr;
        waiter->result_ = round;
        waiter->resolved_ = true;
        SetEvent(waiter->resolvedEvent_);
      }
    }
    if (ownRound || landed) own = round;
  }
  role_ = Role::kNone;
  return own;
}

bool CRecordWrite::IsUnderWay(const char* name, int index, int allUsers) noexcept {
  char target[kRecordPathSize];
  if (!BuildConfigFilePath(name, index, target, allUsers)) return false;
  const std::lock_guard<std::mutex> guard(gWritesLock);
  return WriterOf(target) != nullptr;
}

bool WaitForRecordWrites(std::uint32_t milliseconds) noexcept {
  constexpr DWORD kLookAgainMs = 20;
  const DWORD thread = GetCurrentThreadId();
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  for (;;) {
    bool others = false;
    {
      const std::lock_guard<std::mutex> guard(gWritesLock);
      for (const CRecordWrite* w = gWriters; w != nullptr && !others; w = w->next_) others = w->thread_ != thread;
    }
    if (!others) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    PauseAnsweringSentMessages(static_cast<DWORD>(deadline - now < kLookAgainMs ? deadline - now : kLookAgainMs));
  }
}

namespace {

// A write of the file target, staged and finished at once.
RecordWriteStatus WriteAtomically(const char* target, const void* data, std::uint32_t size) noexcept {
  CRecordWrite write;
  if (!write.StagePath(target, data, size)) {
    return RecordWriteStatus{RecordWriteOutcome::kFailed, LastErrorOr(ERROR_NOT_ENOUGH_MEMORY)};
  }
  return write.Finish();
}

}  // namespace

std::uint32_t WriteFileAtomic(const char* folder, const char* name, const char* extension, const void* data,
                              std::uint32_t size, int allUsers) noexcept {
  char target[kRecordPathSize];
  if (!ComposeDataFilePath(folder != nullptr ? folder : DataFolder(allUsers), name, extension, target,
                           sizeof target)) {
    return 0;
  }
  return WriteAtomically(target, data, size).Landed() ? size : 0;
}

std::uint32_t WriteConfigFile(const char* name, int index, const void* data, std::uint32_t size,
                              int allUsers) noexcept {
  return WriteConfigFileChecked(name, index, data, size, allUsers).Landed() ? size : 0;
}

RecordWriteStatus WriteConfigFileChecked(const char* name, int index, const void* data, std::uint32_t size,
                                         int allUsers) noexcept {
  char target[kRecordPathSize];
  if (!BuildConfigFilePath(name, index, target, allUsers)) {
    return RecordWriteStatus{RecordWriteOutcome::kFailed, ERROR_FILENAME_EXCED_RANGE};
  }
  return WriteAtomically(target, data, size);
}

std::uint32_t WriteFileCreatingFolders(const char* path, const void* data, std::uint32_t size, int append) noexcept {
  if (path == nullptr || (data == nullptr && size != 0)) return 0;
  CFileHandle file = CreateCreatingFolder(path, GENERIC_READ | GENERIC_WRITE, 0,
                                          append != 0 ? OPEN_ALWAYS : CREATE_ALWAYS);
  if (!file) return 0;
  if (append == 1 && SetFilePointer(file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR) {
    return 0;
  }
  DWORD written = 0;
  if (size == 0) return 0;
  if (!WriteFile(file.Get(), data, size, &written, nullptr)) return 0;
  return written;
}
