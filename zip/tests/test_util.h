// Shared helpers of the archive tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "zip/stdio_platform.h"
#include "zip/zip.h"

namespace ziptest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes RandomBytes(std::size_t n, std::uint32_t start) {
  std::mt19937 rng(start);
  Bytes v(n);
  for (auto& b : v) b = static_cast<std::uint8_t>(rng());
  return v;
}

// English-like text: words from a small vocabulary, so it compresses like text.
inline Bytes TextBytes(std::size_t n, std::uint32_t start) {
  static const char* const kWords[] = {"the ", "scroll ", "window ", "profile ", "wheel ", "button ", "drag ", "of ",
                                       "and ", "to ", "mouse ", "speed\n", "a ", "setting ", "hook ", "message "};
  std::mt19937 rng(start);
  Bytes v;
  while (v.size() < n) {
    for (const char* w = kWords[rng() % 16]; *w && v.size() < n;) v.push_back(static_cast<std::uint8_t>(*w++));
  }
  return v;
}

inline Bytes RepetitiveBytes(std::size_t n) {
  Bytes v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>("abcabcabd"[i % 9]);
  return v;
}

inline Bytes Str(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Fixed, distinct times, so archive layouts are reproducible; DOS times read
// as UTC, independent of the test machine's zone.
class FixedTimePlatform : public zip::StdioZipPlatform {
 public:
  void CurrentTimes(zip::SourceInfo* info) override {
    info->modify_time = 1700000000;
    info->access_time = 1700000100;
    info->create_time = 1690000000;
    info->dos_date_time = zip::MakeDosDateTime(2023, 11, 14, 22, 13, 20);
  }
  std::uint64_t LocalDosTimeToFileTime(std::uint32_t dos) override {
    return zip::UnixToFileTime(zip::DosDateTimeToUnixUtc(dos));
  }
};

// Finishes a memory writer and hands out its bytes; both steps must give expect.
inline Bytes Finish(ZipHandle* h, ZipResult expect = kZipOk) {
  void* base = nullptr;
  std::uint32_t len = 0;
  EXPECT_EQ(GetZipMemory(h, &base, &len), expect);
  Bytes out;
  if (base) out.assign(static_cast<std::uint8_t*>(base), static_cast<std::uint8_t*>(base) + len);
  EXPECT_EQ(CloseZipWriter(h), expect);
  return out;
}

// A fresh folder per test, removed with its contents at the end.
struct TempDir {
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("ziptest_" + std::to_string(::getpid()) + "_" +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
  TempDir() {
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

inline Bytes ReadFile(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& p, const Bytes& data) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                           static_cast<std::streamsize>(data.size()));
}

}  // namespace ziptest
