#include "zip/win32/zip_win32.h"

#include <windows.h>

#include <atomic>
#include <new>
#include <string>

#include "framework/util/file_replace.h"
#include "framework/util/win_handles.h"

namespace zip {

namespace {

// Closes an owned file and reports whether the close succeeded: a failed
// close can lose buffered data, which must fail the archive or extraction.
bool CloseOwned(CFileHandle& file) {
  const HANDLE h = file.Release();
  return h == INVALID_HANDLE_VALUE || CloseHandle(h) != FALSE;
}

std::uint64_t ToU64(const FILETIME& ft) {
  return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME ToFileTime(std::uint64_t v) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(v & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
  return ft;
}

std::uint32_t FileTimeToLocalDos(const FILETIME& utc) {
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) {
    return MakeDosDateTime(1980, 1, 1, 0, 0, 0);
  }
  return (static_cast<std::uint32_t>(date) << 16) | time;
}

bool SeekTo(HANDLE h, std::uint64_t offset) {
  LARGE_INTEGER li;
  li.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(h, li, nullptr, FILE_BEGIN) != FALSE;
}

class FileSink : public ArchiveSink {
 public:
  explicit FileSink(HANDLE h) : file_(h) {}
  std::uint32_t Write(const void* data, std::uint32_t count) override {
    DWORD written = 0;
    if (!WriteFile(file_.Get(), data, count, &written, nullptr)) return 0;
    return written;
  }
  bool Seek(std::uint32_t position) override { return SeekTo(file_.Get(), position); }
  bool Close() override { return CloseOwned(file_); }

 private:
  CFileHandle file_;
};

class MappedMemorySink : public MemoryBlockSink {
 public:
  MappedMemorySink(HANDLE mapping, void* view, std::uint32_t size)
      : MemoryBlockSink(static_cast<std::uint8_t*>(view), size), mapping_(mapping), view_(view) {}
  ~MappedMemorySink() override {
    if (view_) UnmapViewOfFile(view_);
  }

 private:
  CKernelHandle mapping_;
  void* view_;
};

class FileSource : public EntrySource {
 public:
  explicit FileSource(HANDLE h) : file_(h) {}
  std::int64_t Read(void* buffer, std::uint32_t count) override {
    DWORD got = 0;
    if (!ReadFile(file_.Get(), buffer, count, &got, nullptr)) return -1;
    return got;
  }

 private:
  CFileHandle file_;
};

class FileByteSource : public ByteSource {
 public:
  FileByteSource(HANDLE h, std::uint64_t size) : file_(h), size_(size) {}
  std::uint64_t Size() override { return size_; }
  std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count) override {
    if (offset >= size_) return 0;
    if (!SeekTo(file_.Get(), offset)) return -1;
    DWORD got = 0;
    if (!ReadFile(file_.Get(), buffer, count, &got, nullptr)) return -1;
    return got;
  }

 private:
  CFileHandle file_;
  std::uint64_t size_;
};

class Win32ExtractFile : public ExtractFile {
 public:
  Win32ExtractFile(std::string target, DWORD attributes) : target_(std::move(target)), attributes_(attributes) {}
  ~Win32ExtractFile() override {
    if (file_.Valid()) Discard();
  }
  // Takes the open temporary; nothing here can fail, so no file is orphaned.
  void Adopt(HANDLE h, std::string temp) noexcept {
    file_.Reset(h);
    temp_ = std::move(temp);
  }
  bool Write(const void* data, std::uint32_t count) override {
    DWORD written = 0;
    return WriteFile(file_.Get(), data, count, &written, nullptr) && written == count;
  }
  void SetTimes(std::uint64_t creation, std::uint64_t access, std::uint64_t write) override {
    const FILETIME c = ToFileTime(creation), a = ToFileTime(access), w = ToFileTime(write);
    SetFileTime(file_.Get(), &c, &a, &w);
  }
  bool Commit() override {
    if (!CloseOwned(file_) || !ReplaceFileRetrying(temp_.c_str(), target_.c_str())) {
      DeleteFileA(temp_.c_str());
      return false;
    }
    // Set only once the file has its name: a read-only temporary could not
    // be moved or deleted so freely.
    if (attributes_ != FILE_ATTRIBUTE_NORMAL) SetFileAttributesA(target_.c_str(), attributes_);
    return true;
  }
  void Discard() override {
    file_.Reset();
    DeleteFileA(temp_.c_str());
  }

 private:
  CFileHandle file_;
  std::string temp_;
  std::string target_;
  DWORD attributes_;
};

bool ReadAtHandle(void* context, std::uint64_t offset, void* buffer, std::uint32_t count) {
  HANDLE h = static_cast<HANDLE>(context);
  DWORD got = 0;
  return SeekTo(h, offset) && ReadFile(h, buffer, count, &got, nullptr) && got == count;
}

class Win32Platform : public ZipPlatform {
 public:
  std::unique_ptr<ArchiveSink> CreateOutputFile(const char* path) override {
    CFileHandle h(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) return nullptr;
    // The allocation comes before the handle is released: when it fails the
    // owner still closes the file.
    return std::unique_ptr<ArchiveSink>(new FileSink(h.Release()));
  }

  std::unique_ptr<ArchiveSink> CreateMemoryBlock(std::uint32_t size, ZipResult* error) override {
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, nullptr);
    if (!mapping) {
      if (error) *error = kZipNoMemory;
      return nullptr;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
    if (!view) {
      CloseHandle(mapping);
      if (error) *error = kZipNoMemory;
      return nullptr;
    }
    auto* sink = new (std::nothrow) MappedMemorySink(mapping, view, size);
    if (!sink) {
      UnmapViewOfFile(view);
      CloseHandle(mapping);
      if (error) *error = kZipNoMemory;
      return nullptr;
    }
    return std::unique_ptr<ArchiveSink>(sink);
  }

  std::unique_ptr<EntrySource> OpenSourceFile(const char* path, SourceInfo* info, ZipResult* error) override {
    CFileHandle h(CreateFileA(path, GENERIC_READ, kReaderShareMode, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION fi;
    if (!h.Valid() || !GetFileInformationByHandle(h.Get(), &fi)) {
      if (error) *error = kZipNotFound;
      return nullptr;
    }
    const std::uint64_t size = (static_cast<std::uint64_t>(fi.nFileSizeHigh) << 32) | fi.nFileSizeLow;
    const bool dir = (fi.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool exe = LooksLikeWindowsExecutable(size, &ReadAtHandle, h.Get());
    info->external_attributes = MakeExternalAttributes(fi.dwFileAttributes, dir, exe);
    info->size = static_cast<std::uint32_t>(size);
    info->size_known = true;
    info->access_time = FileTimeToUnix(ToU64(fi.ftLastAccessTime));
    info->modify_time = FileTimeToUnix(ToU64(fi.ftLastWriteTime));
    info->create_time = FileTimeToUnix(ToU64(fi.ftCreationTime));
    info->dos_date_time = FileTimeToLocalDos(fi.ftLastWriteTime);
    if (!SeekTo(h.Get(), 0)) {
      if (error) *error = kZipNotFound;
      return nullptr;
    }
    return std::unique_ptr<EntrySource>(new FileSource(h.Release()));
  }

  void CurrentTimes(SourceInfo* info) override {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::int64_t t = FileTimeToUnix(ToU64(now));
    info->access_time = info->modify_time = info->create_time = t;
    info->dos_date_time = FileTimeToLocalDos(now);
  }

  std::unique_ptr<ByteSource> OpenArchiveFile(const char* path) override {
    CFileHandle h(CreateFileA(path, GENERIC_READ, kReaderShareMode, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!h.Valid() || !GetFileSizeEx(h.Get(), &size)) return nullptr;
    return std::unique_ptr<ByteSource>(new FileByteSource(h.Release(), static_cast<std::uint64_t>(size.QuadPart)));
  }

  std::string CurrentDirectory() override {
    char buf[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, buf);
    if (n == 0 || n >= MAX_PATH) return std::string();
    return std::string(buf, n);
  }

  bool CreateFolder(const std::string& path) override {
    CreateDirectoryA(path.c_str(), nullptr);
    const DWORD attrs = GetFileAttributesA(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::unique_ptr<ExtractFile> CreateExtractFile(const std::string& path, std::uint32_t attributes) override {
    static std::atomic<std::uint32_t> counter{0};
    DWORD attrs = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE);
    if (attrs == 0) attrs = FILE_ATTRIBUTE_NORMAL;
    auto out = std::make_unique<Win32ExtractFile>(path, attrs);
    const DWORD pid = GetCurrentProcessId();
    // A name that is taken (left by a crash, or another extraction) is never
    // opened: the next number is tried.
    for (int attempt = 0; attempt < 64; ++attempt) {
      std::string temp = ExtractTempName(path, pid, counter.fetch_add(1));
      HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_EXISTS) continue;
        return nullptr;
      }
      out->Adopt(h, std::move(temp));
      return out;
    }
    return nullptr;
  }

  std::uint64_t LocalDosTimeToFileTime(std::uint32_t dos) override {
    FILETIME local, utc;
    if (!DosDateTimeToFileTime(static_cast<WORD>(dos >> 16), static_cast<WORD>(dos & 0xFFFFu), &local) ||
        !LocalFileTimeToFileTime(&local, &utc)) {
      return UnixToFileTime(DosDateTimeToUnixUtc(dos));
    }
    return ToU64(utc);
  }

  std::uint32_t RandomSeed() override {
    const std::uint64_t ticks = GetTickCount64();
    const auto desktop = reinterpret_cast<std::uintptr_t>(GetDesktopWindow());
    return static_cast<std::uint32_t>(ticks ^ static_cast<std::uint64_t>(desktop));
  }
};

}  // namespace

ZipPlatform& Win32ZipPlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace zip

ZipHandle* CreateZipFile(const char* path, const char* password) noexcept {
  return CreateZipFileWith(zip::Win32ZipPlatform(), path, password);
}

ZipHandle* CreateZipInMemory(void* buffer, std::uint32_t size, const char* password) noexcept {
  return CreateZipInMemoryWith(zip::Win32ZipPlatform(), buffer, size, password);
}

ZipHandle* OpenZipFile(const char* path, const char* password) noexcept {
  return OpenZipFileWith(zip::Win32ZipPlatform(), path, password);
}
