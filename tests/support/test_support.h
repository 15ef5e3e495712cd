// Helpers for every test, with or without Windows (win32/win_test_support.h
// holds the Win32 ones): numbers and texts as the tests write them, a fresh
// temporary folder, whole files, and an archive damaged on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

using Bytes = std::vector<std::uint8_t>;

// "0x" and the value in upper-case hex digits, as the logs of the tests and
// their helper programs write numbers, handles and messages.
inline std::string Hex(std::uint64_t v) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
  return text;
}

// A text the code under test handed out; "<null>" for none.
inline std::string Text(const char* p) { return p != nullptr ? std::string(p) : std::string("<null>"); }

inline Bytes Str(std::string_view s) { return Bytes(s.begin(), s.end()); }

// Removes a file or a tree, read-only files too, without following links: a
// link goes as itself. Made by each platform's part.
void RemoveTree(const std::string& path);

// A fresh folder below the system's temporary one, removed with all it
// holds at the end; named after the process and a count. Paths in it are
// written with the platform's separator.
class TempDir {
 public:
  TempDir();
  ~TempDir() { RemoveTree(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  [[nodiscard]] const std::string& Path() const { return path_; }
  [[nodiscard]] std::string operator/(const std::string& name) const { return path_ + kSeparator + name; }

#ifdef _WIN32
  static constexpr char kSeparator = '\\';
#else
  static constexpr char kSeparator = '/';
#endif

 private:
  std::string path_;
};

// A whole file as text or as bytes; "<missing>" when it cannot be read.
template <typename Content = std::string>
Content ReadWholeFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  const std::string_view missing = "<missing>";
  if (f == nullptr) return Content(missing.begin(), missing.end());
  Content out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.insert(out.end(), buf, buf + n);
  std::fclose(f);
  return out;
}

inline bool WriteWholeFile(const std::string& path, const void* data, std::size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}
inline bool WriteWholeFile(const std::string& path, std::string_view content) {
  return WriteWholeFile(path, content.data(), content.size());
}
inline bool WriteWholeFile(const std::string& path, const Bytes& content) {
  return WriteWholeFile(path, content.data(), content.size());
}

// Where the stored bytes of the ZIP archive's entry `name` start (its
// encryption header included) in an archive without a comment; 0 when it
// has no such entry. The format's offsets are written out: a reader of its
// own, apart from the one under test.
inline std::size_t EntryDataOffset(const Bytes& a, const std::string& name) {
  constexpr std::size_t kEnd = 22, kCentral = 46, kLocal = 30;
  const auto le = [&a](std::size_t at, int bytes) {
    std::size_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | a[at + static_cast<std::size_t>(i)];
    return v;
  };
  if (a.size() < kEnd) return 0;
  const std::size_t end = a.size() - kEnd;
  std::size_t c = le(end + 16, 4);
  for (std::size_t left = le(end + 10, 2); left > 0 && c + kCentral <= end; --left) {
    const std::size_t length = le(c + 28, 2), local = le(c + 42, 4);
    if (c + kCentral + length <= end && local + kLocal <= a.size() &&
        std::string(reinterpret_cast<const char*>(&a[c + kCentral]), length) == name) {
      return local + kLocal + le(local + 26, 2) + le(local + 28, 2);
    }
    c += kCentral + length + le(c + 30, 2) + le(c + 32, 2);
  }
  return 0;
}

// Flips the byte `at` of the stored bytes of the archive file's entry
// `name`; at 6, inside an encrypted entry's header, every byte after it
// reads wrong.
inline bool DamageEntry(const std::string& archive, const std::string& name, std::size_t at = 6) {
  Bytes a = ReadWholeFile<Bytes>(archive);
  const std::size_t data = EntryDataOffset(a, name);
  if (data == 0 || data + at >= a.size()) return false;
  a[data + at] ^= 0x55;
  return WriteWholeFile(archive, a);
}

}  // namespace test_support
