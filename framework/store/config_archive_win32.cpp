#include "framework/store/config_archive_win32.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "framework/store/config_file.h"
#include "framework/util/file_replace.h"
#include "zip/win32/zip_win32.h"

namespace {

// vsnprintf into a record name; false when it does not fit.
bool FormatRecordName(char (&out)[260], const char* format, va_list args) noexcept {
  if (format == nullptr) return false;
  const int n = std::vsnprintf(out, sizeof out, format, args);
  return n > 0 && static_cast<std::size_t>(n) < sizeof out;
}

}  // namespace

std::unique_ptr<zip::ByteSource> CDataFolderStore::OpenRecord(const char* name, int index, int allUsers) {
  char path[260];
  if (!BuildConfigFilePath(name, index, path, allUsers)) return nullptr;
  return zip::Win32ZipPlatform().OpenArchiveFile(path);
}

bool CDataFolderStore::WriteRecord(const char* name, int index, int allUsers, const void* data,
                                   std::uint32_t size) {
  return size != 0 && WriteConfigFile(name, index, data, size, allUsers) == size;
}

bool CDataFolderStore::RenameRecord(const char* name, const char* newName, int allUsers) {
  char from[260];
  char to[260];
  if (!BuildConfigFilePath(name, -1, from, allUsers) || !BuildConfigFilePath(newName, -1, to, allUsers)) {
    return false;
  }
  return ReplaceFileRetrying(from, to);
}

zip::ZipPlatform& CDataFolderStore::ArchivePlatform() { return zip::Win32ZipPlatform(); }

int LoadConfigArchive(CConfigText& text, const char* nameFormat, int index, int allUsers, ...) {
  char name[260];
  va_list args;
  va_start(args, allUsers);
  const bool ok = FormatRecordName(name, nameFormat, args);
  va_end(args);
  if (!ok) {
    text.ConfigTextFree();
    return kArchiveNotOpened;
  }
  CDataFolderStore store;
  return LoadConfigArchiveFrom(store, text, name, index, allUsers);
}

int SaveConfigArchive(const CConfigText& text, const char* nameFormat, int index, int allUsers, ...) {
  char name[260];
  va_list args;
  va_start(args, allUsers);
  const bool ok = FormatRecordName(name, nameFormat, args);
  va_end(args);
  if (!ok) return kArchiveWriteFailed;
  CDataFolderStore store;
  return SaveConfigArchiveTo(store, text, name, index, allUsers);
}

int ReadConfigRecord(CConfigByteBuffer& buffer, const char* nameFormat, int index, int allUsers, ...) {
  char name[260];
  va_list args;
  va_start(args, allUsers);
  const bool ok = FormatRecordName(name, nameFormat, args);
  va_end(args);
  if (!ok) {
    buffer.ByteBufferFree();
    return 0;
  }
  CDataFolderStore store;
  return ReadConfigRecordFrom(store, buffer, name, index, allUsers);
}
