#include "framework/store/config_archive_win32.h"

#include <windows.h>

#include <memory>
#include <new>


#include "framework/store/config_file.h"
#include "framework/util/file_replace.h"
#include "framework/util/text_util.h"
#include "framework/util/win_handles.h"
#include "zip/win32/zip_win32.h"

namespace {

// As long as a replace waits for another program to let a record go.
constexpr ULONGLONG kHeldRecordWaitMs = 2000;
constexpr DWORD kHeldRecordPauseMs = 50;

// Errors that another handle on the file gives (opened without our sharing,
// a locked range, a file being replaced), and that end when it is closed.
bool IsHeldError(DWORD error) noexcept {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

// One try at reading the file whole; *again tells whether another try may
// find it readable.
RecordRead ReadWholeOnce(const char* path, std::uint32_t maxSize, CConfigByteBuffer& bytes, bool* again) noexcept {
  *again = false;
  bytes.ByteBufferFree();
  const CFileHandle file(
      CreateFileA(path, GENERIC_READ, kReaderShareMode, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return RecordRead::kMissing;
    *again = IsHeldError(error);
    return RecordRead::kUnreadable;
  }
  LARGE_INTEGER length;
  if (!GetFileSizeEx(file.Get(), &length) || length.QuadPart < 0 || length.QuadPart > maxSize) {
    return RecordRead::kUnreadable;
  }
  const auto size = static_cast<DWORD>(length.QuadPart);
  if (size == 0) return RecordRead::kRead;
  std::uint8_t* data = bytes.Resize(size);
  if (data == nullptr) return RecordRead::kUnreadable;
  DWORD total = 0;
  while (total < size) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), data + total, size - total, &got, nullptr)) {
      *again = IsHeldError(GetLastError());
      break;
    }
    if (got == 0) {
      // Cut while we read: the writer's next state is read whole.
      *again = true;
      break;
    }
    total += got;
  }
  if (total == size) return RecordRead::kRead;
  bytes.ByteBufferFree();
  return RecordRead::kUnreadable;
}

}  // namespace

std::unique_ptr<zip::ByteSource> CDataFolderStore::OpenRecord(const char* name, int index, int allUsers) {
  char path[260];
  if (!BuildConfigFilePath(name, index, path, allUsers)) return nullptr;
  return zip::Win32ZipPlatform().OpenArchiveFile(path);
}

RecordRead CDataFolderStore::ReadRecord(const char* name, int index, int allUsers, std::uint32_t maxSize,
                                        CConfigByteBuffer& bytes) {
  bytes.ByteBufferFree();
  char path[260];
  if (!BuildConfigFilePath(name, index, path, allUsers)) return RecordRead::kUnreadable;
  const ULONGLONG deadline = GetTickCount64() + kHeldRecordWaitMs;
  for (;;) {
    bool again = false;
    const RecordRead read = ReadWholeOnce(path, maxSize, bytes, &again);
    if (read != RecordRead::kUnreadable || !again || GetTickCount64() >= deadline) return read;
    // The main thread reads the options here: programs that send to it go on.
    PauseAnsweringSentMessages(kHeldRecordPauseMs);
  }
}

bool CDataFolderStore::WriteRecord(const char* name, int index, int allUsers, const void* data,
                                   std::uint32_t size) {
  lastWrite_ = size != 0 ? WriteConfigFileChecked(name, index, data, size, allUsers)
                         : RecordWriteStatus{RecordWriteOutcome::kFailed, ERROR_INVALID_DATA};
  return lastWrite_.Landed();
}

bool CDataFolderStore::RenameRecord(const char* name, const char* newName, int allUsers) {
  char from[260];
  char to[260];
  if (!BuildConfigFilePath(name, -1, from, allUsers) || !BuildConfigFilePath(newName, -1, to, allUsers)) {
    lastWrite_ = RecordWriteStatus{RecordWriteOutcome::kFailed, ERROR_FILENAME_EXCED_RANGE};
    return false;
  }
  const bool moved = ReplaceFileRetrying(from, to);
  lastWrite_ = moved ? RecordWriteStatus{RecordWriteOutcome::kLanded, 0}
                     : RecordWriteStatus{RecordWriteOutcome::kFailed, GetLastError()};
  return moved;
}

bool CDataFolderStore::WholeTemporaryLeft(const RecordForm& form, int allUsers) {
  char path[MAX_PATH];
  char pattern[MAX_PATH];
  if (!BuildConfigFilePath(form.name, -1, path, allUsers) || !CopyText(pattern, sizeof pattern, path) ||
      !AppendText(pattern, sizeof pattern, "_tmp*") || CutAtLastBackslash(path) == nullptr) {
    return false;
  }
  WIN32_FIND_DATAA found;
  const CFindHandle find(FindFirstFileA(pattern, &found));
  if (!find) return false;
  do {
    std::uint32_t writer = 0;
    char temp[MAX_PATH];
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        !TempNameOwner(found.cFileName, kRecordExtension, &writer) ||
        !JoinPath(temp, sizeof temp, path, found.cFileName)) {
      continue;
    }
    if (ContentsAsRecord(temp, form) == TempContents::kWhole) return true;
  } while (FindNextFileA(find.Get(), &found));
  return false;
}

zip::ZipPlatform& CDataFolderStore::ArchivePlatform() { return zip::Win32ZipPlatform(); }

TempContents ContentsAsRecord(const char* path, const RecordForm& form) noexcept {
  const CFileHandle file(
      CreateFileA(path, GENERIC_READ, kReaderShareMode, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER length;
  if (!file || !GetFileSizeEx(file.Get(), &length) || length.QuadPart < 0) return TempContents::kUnreadable;
  // Far larger than any record: bytes of something else.
  if (length.QuadPart > kMaxConfigRecordSize) return TempContents::kDamaged;
  const auto size = static_cast<DWORD>(length.QuadPart);
  const std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[size > 0 ? size : 1]);
  DWORD read = 0;
  if (!data || !ReadFile(file.Get(), data.get(), size, &read, nullptr) || read != size) {
    return TempContents::kUnreadable;
  }
  return ReadsWholeAs(form, data.get(), size) ? TempContents::kWhole : TempContents::kDamaged;
}

int LoadConfigArchiveNamed(CConfigText& text, const char* name, int index, int allUsers) {
  if (name == nullptr) {
    text.ConfigTextFree();
    return kArchiveNotOpened;
  }
  CDataFolderStore store;
  return LoadConfigArchiveFrom(store, text, name, index, allUsers);
}

int SaveConfigArchiveNamed(const CConfigText& text, const char* name, int index, int allUsers) {
  if (name == nullptr) return kArchiveWriteFailed;
  CDataFolderStore store;
  return SaveConfigArchiveTo(store, text, name, index, allUsers);
}

int ReadConfigRecordNamed(CConfigByteBuffer& buffer, const char* name, int index, int allUsers) {
  if (name == nullptr) {
    buffer.ByteBufferFree();
    return 0;
  }
  CDataFolderStore store;
  return ReadConfigRecordFrom(store, buffer, name, index, allUsers);
}
