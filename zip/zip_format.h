// Record sizes, signatures and little-endian helpers of the archive format.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zip {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50u;    // "PK" 3 4
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50u;  // "PK" 1 2
inline constexpr std::uint32_t kEndRecordSignature = 0x06054B50u;      // "PK" 5 6
inline constexpr std::uint32_t kDataDescriptorSignature = 0x08074B50u; // "PK" 7 8
inline constexpr std::uint16_t kExtendedTimestampId = 0x5455u;         // "UT"

inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndRecordSize = 22;
inline constexpr std::size_t kMaxNameLength = 259;  // name buffers hold 260 with the NUL

inline void PutLe16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutLe32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline std::uint16_t GetLe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace zip
