// The standard reflected CRC-32 (polynomial 0x04C11DB7, reflected 0xEDB88320,
// initial and final value 0xFFFFFFFF). One implementation serves the whole
// program: the instance tag of the control message, the ZIP writer's entry
// CRCs and the traditional ZIP cipher's key schedule.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace crc32_detail {
constexpr std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
    table[i] = c;
  }
  return table;
}
}  // namespace crc32_detail

// Built at compile time, so it is ready before anything can use it and is
// safe to read from any thread.
inline constexpr std::array<std::uint32_t, 256> kCrc32Table = crc32_detail::MakeTable();
static_assert(kCrc32Table[1] == 0x77073096u);

// One register step: the byte b shifted through the register crc (no
// complementing). The ZIP cipher's key update uses exactly this step.
[[nodiscard]] constexpr std::uint32_t Crc32Step(std::uint32_t crc, std::uint8_t b) noexcept {
  return kCrc32Table[(crc ^ b) & 0xFFu] ^ (crc >> 8);
}

// Continues a CRC-32: UpdateCrc32(0, ...) starts one; feeding the data in
// pieces gives the same result as feeding it at once. A null buffer gives 0.
[[nodiscard]] std::uint32_t UpdateCrc32(std::uint32_t crc, const void* bytes, std::size_t count) noexcept;

// CRC-32 of a whole buffer; kCrc32String as length means a NUL-terminated text.
inline constexpr std::size_t kCrc32String = static_cast<std::size_t>(-1);
[[nodiscard]] std::uint32_t Crc32(const void* bytes, std::size_t length) noexcept;

// The table is built at compile time; kept so start-up can call it as
// documented. Does nothing.
inline void InitCrc32Table() noexcept {}
