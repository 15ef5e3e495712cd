// Helpers of the archive tests: bytes, hand-made archives, the writer's
// bytes, and a folder's listing through the standard library, so that they
// serve both back-ends. Files, folders and damaged archives are the shared
// helpers' (tests/support/test_support.h).
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/test_support.h"
#include "zip/zip.h"
#include "zip/zip_format.h"
#ifndef _WIN32
#include "zip/stdio_platform.h"
#endif

namespace ziptest {

using test_support::Bytes;
using test_support::Str;

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

// The back-end that the extraction cases (extraction_test.cpp) run on: each
// test program that holds them names its own.
zip::ZipPlatform& BackEnd();

// ---- a hand-made archive of stored entries with every field under control ----
struct RawEntry {
  RawEntry(std::string n, Bytes d) : name(std::move(n)), data(std::move(d)) {}
  std::string name;
  Bytes data;
  std::uint16_t made_by = 0x0314;  // Unix host
  std::uint32_t external = 0x81A40000u;
  Bytes local_extra;
  std::optional<std::uint32_t> crc, usize, csize;  // lies in both headers
};

constexpr std::uint32_t kRawDos = 0x57274A6Eu;

// Appends little-endian fields of the given byte widths.
inline void Put(Bytes& b, std::initializer_list<std::pair<std::uint32_t, int>> fields) {
  for (const auto& [value, width] : fields) {
    for (int i = 0; i < width; ++i) b.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

inline Bytes BuildRaw(const std::vector<RawEntry>& entries, std::size_t prefix = 0, const std::string& comment = "") {
  Bytes a(prefix, 0xEE), central;
  for (const RawEntry& e : entries) {
    const auto offset = static_cast<std::uint32_t>(a.size() - prefix);
    const auto size = static_cast<std::uint32_t>(e.data.size()), n = static_cast<std::uint32_t>(e.name.size());
    const std::uint32_t crc = e.crc.value_or(crc32(0, e.data.data(), size));
    const std::uint32_t us = e.usize.value_or(size), cs = e.csize.value_or(size);
    Put(a, {{zip::kLocalHeaderSignature, 4}, {20, 2}, {0, 2}, {0, 2}, {kRawDos, 4}, {crc, 4}, {cs, 4}, {us, 4},
            {n, 2}, {static_cast<std::uint32_t>(e.local_extra.size()), 2}});
    for (const Bytes& part : {Str(e.name), e.local_extra, e.data}) a.insert(a.end(), part.begin(), part.end());
    Put(central, {{zip::kCentralHeaderSignature, 4}, {e.made_by, 2}, {20, 2}, {0, 2}, {0, 2}, {kRawDos, 4}, {crc, 4},
                  {cs, 4}, {us, 4}, {n, 2}, {0, 4}, {0, 4}, {e.external, 4}, {offset, 4}});
    central.insert(central.end(), e.name.begin(), e.name.end());
  }
  const auto count = static_cast<std::uint32_t>(entries.size());
  Put(central, {{zip::kEndRecordSignature, 4}, {0, 4}, {count, 2}, {count, 2},
                {static_cast<std::uint32_t>(central.size()), 4}, {static_cast<std::uint32_t>(a.size() - prefix), 4},
                {static_cast<std::uint32_t>(comment.size()), 2}});
  a.insert(a.end(), central.begin(), central.end());
  a.insert(a.end(), comment.begin(), comment.end());
  return a;
}

#ifndef _WIN32
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
#endif

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

// The names in a folder, sorted.
inline std::vector<std::string> Listing(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace ziptest
