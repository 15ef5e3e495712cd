// Reader over arbitrary bytes: open, list, find and read every entry, with
// and without a password. Any crash, leak or endless loop is a finding.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "zip/zip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const char* password : {static_cast<const char*>(nullptr), "pw"}) {
    ZipHandle* h = OpenZipSource(nullptr, std::make_unique<zip::MemoryByteSource>(data, size), password);
    if (!h) continue;
    ZipEntryInfo info{};
    if (GetZipEntry(h, -1, &info) != kZipOk) {
      CloseZip(h);
      continue;
    }
    const int count = info.index < 64 ? info.index : 64;
    std::vector<std::uint8_t> buf(4096);
    for (int i = 0; i < count; ++i) {
      if (GetZipEntry(h, i, &info) != kZipOk) continue;
      int index = -1;
      (void)FindZipEntry(h, info.name, 1, &index, nullptr);
      // Bounded: a small archive may claim gigabytes.
      for (int round = 0; round < 256; ++round) {
        std::uint32_t got = 0;
        const ZipResult r = UnzipEntryToMemory(h, i, buf.data(), static_cast<std::uint32_t>(buf.size()), &got);
        if (got > buf.size()) __builtin_trap();
        if (r != kZipMoreData) break;
      }
    }
    CloseZip(h);
  }
  return 0;
}
