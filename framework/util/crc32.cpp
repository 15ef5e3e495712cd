#include "framework/util/crc32.h"

#include <cstring>

std::uint32_t UpdateCrc32(std::uint32_t crc, const void* bytes, std::size_t count) noexcept {
  if (!bytes) return 0;
  const auto* p = static_cast<const std::uint8_t*>(bytes);
  crc = ~crc;
  // Byte-wise table lookup: entries are small (config records, key texts),
  // and large ZIP data is fed in 16 KB chunks where this is fast enough.
  for (std::size_t i = 0; i < count; ++i) crc = Crc32Step(crc, p[i]);
  return ~crc;
}

std::uint32_t Crc32(const void* bytes, std::size_t length) noexcept {
  if (!bytes) return 0;
  if (length == kCrc32String) length = std::strlen(static_cast<const char*>(bytes));
  return UpdateCrc32(0, bytes, length);
}
