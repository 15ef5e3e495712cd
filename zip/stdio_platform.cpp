#include "zip/stdio_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace zip {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

class FileSink : public ArchiveSink {
 public:
  explicit FileSink(FilePtr f) : f_(std::move(f)) {}
  std::uint32_t Write(const void* data, std::uint32_t count) override {
    if (!f_) return 0;
    return static_cast<std::uint32_t>(std::fwrite(data, 1, count, f_.get()));
  }
  bool Seek(std::uint32_t position) override {
    return f_ && std::fseek(f_.get(), static_cast<long>(position), SEEK_SET) == 0;
  }
  bool Close() override {
    if (!f_) return true;
    const bool ok = std::fflush(f_.get()) == 0 && !std::ferror(f_.get());
    const bool closed = std::fclose(f_.release()) == 0;
    return ok && closed;
  }

 private:
  FilePtr f_;
};

class OwnedMemorySink : public MemoryBlockSink {
 public:
  OwnedMemorySink(std::unique_ptr<std::uint8_t[]> block, std::uint32_t size)
      : MemoryBlockSink(block.get(), size), block_(std::move(block)) {}

 private:
  std::unique_ptr<std::uint8_t[]> block_;
};

class FileSource : public EntrySource {
 public:
  explicit FileSource(FilePtr f) : f_(std::move(f)) {}
  std::int64_t Read(void* buffer, std::uint32_t count) override {
    const std::size_t n = std::fread(buffer, 1, count, f_.get());
    if (n < count && std::ferror(f_.get())) return -1;
    return static_cast<std::int64_t>(n);
  }

 private:
  FilePtr f_;
};

class FileByteSource : public ByteSource {
 public:
  FileByteSource(FilePtr f, std::uint64_t size) : f_(std::move(f)), size_(size) {}
  std::uint64_t Size() override { return size_; }
  std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count) override {
    if (offset >= size_) return 0;
    if (fseeko(f_.get(), static_cast<off_t>(offset), SEEK_SET) != 0) return -1;
    const std::size_t n = std::fread(buffer, 1, count, f_.get());
    if (n < count && std::ferror(f_.get())) return -1;
    return static_cast<std::int64_t>(n);
  }

 private:
  FilePtr f_;
  std::uint64_t size_;
};

class StdioExtractFile : public ExtractFile {
 public:
  StdioExtractFile(std::string target, bool read_only) : target_(std::move(target)), read_only_(read_only) {}
  // Takes the open temporary; nothing here can fail, so no file is orphaned.
  void Adopt(FilePtr f, std::string temp) noexcept {
    f_ = std::move(f);
    temp_ = std::move(temp);
  }
  ~StdioExtractFile() override {
    if (f_) Discard();
  }
  bool Write(const void* data, std::uint32_t count) override {
    return f_ && std::fwrite(data, 1, count, f_.get()) == count;
  }
  void SetTimes(std::uint64_t, std::uint64_t access, std::uint64_t write) override {
    access_ = access;
    write_ = write;
    times_set_ = true;
  }
  bool Commit() override {
    if (!f_) return false;
    const bool ok = std::fflush(f_.get()) == 0 && !std::ferror(f_.get());
    const bool closed = std::fclose(f_.release()) == 0;
    if (!ok || !closed) {
      std::remove(temp_.c_str());
      return false;
    }
    if (times_set_) {
      struct timeval tv[2];
      tv[0].tv_sec = static_cast<time_t>(FileTimeToUnix(access_));
      tv[0].tv_usec = 0;
      tv[1].tv_sec = static_cast<time_t>(FileTimeToUnix(write_));
      tv[1].tv_usec = 0;
      utimes(temp_.c_str(), tv);
    }
    if (read_only_) chmod(temp_.c_str(), 0444);
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
      std::remove(temp_.c_str());
      return false;
    }
    return true;
  }
  void Discard() override {
    if (f_) std::fclose(f_.release());
    std::remove(temp_.c_str());
  }

 private:
  FilePtr f_;
  std::string temp_;
  std::string target_;
  bool read_only_;
  bool times_set_ = false;
  std::uint64_t access_ = 0, write_ = 0;
};

std::uint32_t LocalDosDateTime(std::int64_t unix_seconds) {
  const std::time_t t = static_cast<std::time_t>(unix_seconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  return MakeDosDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

bool ReadAtFile(void* context, std::uint64_t offset, void* buffer, std::uint32_t count) {
  std::FILE* f = static_cast<std::FILE*>(context);
  if (fseeko(f, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  return std::fread(buffer, 1, count, f) == count;
}

}  // namespace

std::string ToHostPath(const std::string& path) {
  std::string p = path;
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  return p;
}

std::unique_ptr<ArchiveSink> StdioZipPlatform::CreateOutputFile(const char* path) {
  FilePtr f(std::fopen(ToHostPath(path).c_str(), "wb"));
  if (!f) return nullptr;
  return std::unique_ptr<ArchiveSink>(new FileSink(std::move(f)));
}

std::unique_ptr<ArchiveSink> StdioZipPlatform::CreateMemoryBlock(std::uint32_t size, ZipResult* error) {
  std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[size]());
  if (!block) {
    if (error) *error = kZipNoMemory;
    return nullptr;
  }
  return std::unique_ptr<ArchiveSink>(new OwnedMemorySink(std::move(block), size));
}

std::unique_ptr<EntrySource> StdioZipPlatform::OpenSourceFile(const char* path, SourceInfo* info,
                                                              ZipResult* error) {
  const std::string host = ToHostPath(path);
  struct stat st {};
  FilePtr f(std::fopen(host.c_str(), "rb"));
  if (!f || fstat(fileno(f.get()), &st) != 0 || S_ISDIR(st.st_mode)) {
    if (error) *error = kZipNotFound;
    return nullptr;
  }
  std::uint32_t win_attrs = 0x20;  // archive
  if (!(st.st_mode & S_IWUSR)) win_attrs |= 0x01;
  const bool exe = LooksLikeWindowsExecutable(static_cast<std::uint64_t>(st.st_size), &ReadAtFile, f.get());
  info->external_attributes = MakeExternalAttributes(win_attrs, false, exe);
  info->size = static_cast<std::uint32_t>(st.st_size);
  info->size_known = true;
  info->access_time = st.st_atime;
  info->modify_time = st.st_mtime;
  info->create_time = st.st_ctime;
  info->dos_date_time = LocalDosDateTime(st.st_mtime);
  std::rewind(f.get());
  return std::unique_ptr<EntrySource>(new FileSource(std::move(f)));
}

void StdioZipPlatform::CurrentTimes(SourceInfo* info) {
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
  info->access_time = info->modify_time = info->create_time = now;
  info->dos_date_time = LocalDosDateTime(now);
}

std::unique_ptr<ByteSource> StdioZipPlatform::OpenArchiveFile(const char* path) {
  const std::string host = ToHostPath(path);
  FilePtr f(std::fopen(host.c_str(), "rb"));
  struct stat st {};
  if (!f || fstat(fileno(f.get()), &st) != 0 || S_ISDIR(st.st_mode)) return nullptr;
  return std::unique_ptr<ByteSource>(new FileByteSource(std::move(f), static_cast<std::uint64_t>(st.st_size)));
}

std::string StdioZipPlatform::CurrentDirectory() {
  std::error_code ec;
  return std::filesystem::current_path(ec).string();
}

bool StdioZipPlatform::CreateFolder(const std::string& path) {
  const std::string host = ToHostPath(path);
  std::error_code ec;
  std::filesystem::create_directory(host, ec);
  return std::filesystem::is_directory(host, ec);
}

std::unique_ptr<ExtractFile> StdioZipPlatform::CreateExtractFile(const std::string& path,
                                                                 std::uint32_t attributes) {
  static std::atomic<std::uint32_t> counter{0};
  auto out = std::make_unique<StdioExtractFile>(ToHostPath(path), (attributes & 0x01) != 0);
  const auto pid = static_cast<std::uint32_t>(::getpid());
  // A name that is taken (left by a crash, or another extraction) is never
  // opened: the next number is tried.
  for (int attempt = 0; attempt < 64; ++attempt) {
    std::string temp = ExtractTempName(ToHostPath(path), pid, counter.fetch_add(1));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
    FilePtr f(::fdopen(fd, "wb"));
    if (!f) {
      ::close(fd);
      std::remove(temp.c_str());
      return nullptr;
    }
    out->Adopt(std::move(f), std::move(temp));
    return out;
  }
  return nullptr;
}

std::uint64_t StdioZipPlatform::LocalDosTimeToFileTime(std::uint32_t dos) {
  std::tm tm{};
  tm.tm_year = static_cast<int>(((dos >> 25) & 0x7F) + 80);
  tm.tm_mon = static_cast<int>((dos >> 21) & 0x0F) - 1;
  tm.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
  tm.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
  tm.tm_min = static_cast<int>((dos >> 5) & 0x3F);
  tm.tm_sec = static_cast<int>((dos & 0x1F) * 2);
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1)) return UnixToFileTime(DosDateTimeToUnixUtc(dos));
  return UnixToFileTime(static_cast<std::int64_t>(t));
}

std::uint32_t StdioZipPlatform::RandomSeed() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
  return static_cast<std::uint32_t>(ms) ^ static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(this));
}

}  // namespace zip
