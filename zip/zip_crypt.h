// Traditional PKWARE stream cipher: three 32-bit keys driven by CRC-32 steps
// and a linear congruential step, with a 12-byte header before each entry.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zip {

struct ZipKeys {
  std::uint32_t k0 = 0x12345678u;
  std::uint32_t k1 = 0x23456789u;
  std::uint32_t k2 = 0x34567890u;
};

// Initial keys with every byte of the password mixed in (null: none).
[[nodiscard]] ZipKeys MakeZipKeys(const char* password) noexcept;
void UpdateZipKeys(ZipKeys& keys, std::uint8_t plain) noexcept;
[[nodiscard]] std::uint8_t ZipStreamByte(const ZipKeys& keys) noexcept;
[[nodiscard]] std::uint8_t EncryptZipByte(ZipKeys& keys, std::uint8_t plain) noexcept;
[[nodiscard]] std::uint8_t DecryptZipByte(ZipKeys& keys, std::uint8_t cipher) noexcept;
void EncryptZipBytes(ZipKeys& keys, std::uint8_t* bytes, std::size_t count) noexcept;
void DecryptZipBytes(ZipKeys& keys, std::uint8_t* bytes, std::size_t count) noexcept;

inline constexpr std::size_t kZipCryptHeaderSize = 12;

// Random source for the header bytes: one generator per process, seeded at
// its first use (from SeedZipRandom's value when that came first), safe to
// call from any thread. Values are 15 bits wide.
void SeedZipRandom(std::uint32_t start) noexcept;
[[nodiscard]] int NextZipRandom() noexcept;

// Fills header with 11 random bytes and the check byte, encrypted with keys
// (which the password was mixed into); keys then continue with the data.
void MakeZipCryptHeader(ZipKeys& keys, std::uint8_t check_byte,
                        std::uint8_t header[kZipCryptHeaderSize]) noexcept;

}  // namespace zip
