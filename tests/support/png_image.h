// Saves a drawn window for a person to look at: top-down 0x00RRGGBB pixels
// as a 24-bit PNG. Tests that use it link zlib.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace test_support {

inline bool WritePng(const std::string& path, const std::vector<std::uint32_t>& pixels, int w, int h) {
  if (w <= 0 || h <= 0 || pixels.size() < static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) return false;
  std::string raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back('\0');  // no filter
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + x];
      raw.push_back(static_cast<char>((p >> 16) & 0xFF));
      raw.push_back(static_cast<char>((p >> 8) & 0xFF));
      raw.push_back(static_cast<char>(p & 0xFF));
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                static_cast<uLong>(raw.size()), 9) != Z_OK) {
    return false;
  }
  packed.resize(packedSize);
  const auto be32 = [](std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
  };
  std::string png("\x89PNG\r\n\x1a\n", 8);
  const auto chunk = [&](const char* type, const std::string& data) {
    be32(png, static_cast<std::uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    png += body;
    be32(png, static_cast<std::uint32_t>(
                  crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
  };
  std::string header;
  be32(header, static_cast<std::uint32_t>(w));
  be32(header, static_cast<std::uint32_t>(h));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB
  chunk("IHDR", header);
  chunk("IDAT", packed);
  chunk("IEND", "");
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  return std::fclose(f) == 0 && written;
}

}  // namespace test_support
