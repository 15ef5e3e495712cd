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
  return ComposeDataFilePath(DataFolder(allUsers), recordName, "oqc", outPath, kRecordPathSize);
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
  return ReadDataFileChecked(nullptr, recordName, "oqc", buffer, size, allUsers, count);
}

namespace {

// A copy of the contents; null when there is no memory for it.
std::unique_ptr<std::uint8_t[]> CopyOf(const void* data, std::uint32_t size) noexcept {
  std::unique_ptr<std::uint8_t[]> copy(new (std::nothrow) std::uint8_t[size > 0 ? size : 1]);
  if (copy && size > 0) std::memcpy(copy.get(), data, size);
  return copy;
}

// One write of the contents through this process's temporary.
bool ReplaceWithContents(const char* target, const std::uint8_t* data, std::uint32_t size) noexcept {
  char temp[kRecordPathSize];
  if (!ComposeRecordTempPath(target, GetCurrentProcessId(), temp, sizeof temp)) return false;
  bool written = false;
  {
    CFileHandle file = CreateCreatingFolder(temp, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file) return false;
    // The data must be on disk before the move can make it the record.
    written = WriteAll(file.Get(), data, size) && FlushFileBuffers(file.Get());
  }
  if (written && ReplaceFileRetrying(temp, target)) return true;
  (void)DeleteFileA(temp);
  return false;
}

}  // namespace

CRecordWrite::~CRecordWrite() {
  if (role_ == Role::kWriter) (void)Finish();
}

CRecordWrite* CRecordWrite::WriterOf(const char* target) noexcept {
  for (CRecordWrite* w = gWriters; w != nullptr; w = w->next_) {
    if (EqualNoCase(w->target_, target)) return w;
  }
  return nullptr;
}

bool CRecordWrite::Stage(const char* name, int index, const void* data, std::uint32_t size, int allUsers) noexcept {
  char target[kRecordPathSize];
  return BuildConfigFilePath(name, index, target, allUsers) && StagePath(target, data, size);
}

bool CRecordWrite::StagePath(const char* target, const void* data, std::uint32_t size) noexcept {
  if (role_ != Role::kNone || target == nullptr || (data == nullptr && size != 0) ||
      !CopyText(target_, sizeof target_, target)) {
    return false;
  }
  std::unique_ptr<std::uint8_t[]> copy = CopyOf(data, size);
  if (!copy) return false;
  stagedSize_ = size;
  const std::lock_guard<std::mutex> guard(gWritesLock);
  if (CRecordWrite* writer = WriterOf(target_)) {
    // Newer than anything that writer holds: it writes these after its own.
    writer->contents_ = std::move(copy);
    writer->contentsSize_ = size;
    role_ = Role::kHandedOver;
    return true;
  }
  contents_ = std::move(copy);
  contentsSize_ = size;
  role_ = Role::kWriter;
  next_ = gWriters;
  gWriters = this;
  return true;
}

std::uint32_t CRecordWrite::Finish() noexcept {
  if (role_ == Role::kHandedOver) {
    role_ = Role::kNone;
    return stagedSize_;
  }
  if (role_ != Role::kWriter) return 0;
  bool replaced = false;
  std::uint32_t size = 0;
  for (;;) {
    std::unique_ptr<std::uint8_t[]> contents;
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
    }
    replaced = ReplaceWithContents(target_, contents.get(), size);
  }
  role_ = Role::kNone;
  return replaced ? stagedSize_ : 0;
}

bool CRecordWrite::IsUnderWay(const char* name, int index, int allUsers) noexcept {
  char target[kRecordPathSize];
  if (!BuildConfigFilePath(name, index, target, allUsers)) return false;
  const std::lock_guard<std::mutex> guard(gWritesLock);
  return WriterOf(target) != nullptr;
}

std::uint32_t WriteFileAtomic(const char* folder, const char* name, const char* extension, const void* data,
                              std::uint32_t size, int allUsers) noexcept {
  char target[kRecordPathSize];
  if (!ComposeDataFilePath(folder != nullptr ? folder : DataFolder(allUsers), name, extension, target,
                           sizeof target)) {
    return 0;
  }
  CRecordWrite write;
  if (!write.StagePath(target, data, size)) return 0;
  return write.Finish();
}

std::uint32_t WriteConfigFile(const char* name, int index, const void* data, std::uint32_t size,
                              int allUsers) noexcept {
  char recordName[kRecordPathSize];
  if (!ComposeRecordName(name, index, recordName, sizeof recordName)) return 0;
  return WriteFileAtomic(nullptr, recordName, "oqc", data, size, allUsers);
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
