#include "zip/zip_crypt.h"

#include <chrono>
#include <mutex>

#include "framework/util/crc32.h"

namespace zip {

ZipKeys MakeZipKeys(const char* password) noexcept {
  ZipKeys keys;
  if (password) {
    for (const char* p = password; *p; ++p) UpdateZipKeys(keys, static_cast<std::uint8_t>(*p));
  }
  return keys;
}

void UpdateZipKeys(ZipKeys& keys, std::uint8_t plain) noexcept {
  keys.k0 = Crc32Step(keys.k0, plain);
  keys.k1 = (keys.k1 + (keys.k0 & 0xFFu)) * 134775813u + 1u;
  keys.k2 = Crc32Step(keys.k2, static_cast<std::uint8_t>(keys.k1 >> 24));
}

std::uint8_t ZipStreamByte(const ZipKeys& keys) noexcept {
  const std::uint32_t t = (keys.k2 & 0xFFFFu) | 2u;
  return static_cast<std::uint8_t>((t * (t ^ 1u)) >> 8);
}

std::uint8_t EncryptZipByte(ZipKeys& keys, std::uint8_t plain) noexcept {
  const std::uint8_t c = static_cast<std::uint8_t>(plain ^ ZipStreamByte(keys));
  UpdateZipKeys(keys, plain);
  return c;
}

std::uint8_t DecryptZipByte(ZipKeys& keys, std::uint8_t cipher) noexcept {
  const std::uint8_t p = static_cast<std::uint8_t>(cipher ^ ZipStreamByte(keys));
  UpdateZipKeys(keys, p);
  return p;
}

void EncryptZipBytes(ZipKeys& keys, std::uint8_t* bytes, std::size_t count) noexcept {
  for (std::size_t i = 0; i < count; ++i) bytes[i] = EncryptZipByte(keys, bytes[i]);
}

void DecryptZipBytes(ZipKeys& keys, std::uint8_t* bytes, std::size_t count) noexcept {
  for (std::size_t i = 0; i < count; ++i) bytes[i] = DecryptZipByte(keys, bytes[i]);
}

namespace {
// Writers on several threads may make headers at once; one lock keeps the
// generator's state consistent and the seeding a one-time event.
struct RandomState {
  std::mutex lock;
  bool seeded = false;
  std::uint32_t state = 0;
};

RandomState& Random() {
  static RandomState r;
  return r;
}

std::uint32_t DefaultSeed() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
  static int anchor;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms) ^
                                    reinterpret_cast<std::uintptr_t>(&anchor));
}
}  // namespace

void SeedZipRandom(std::uint32_t start) noexcept {
  RandomState& r = Random();
  std::lock_guard<std::mutex> guard(r.lock);
  if (r.seeded) return;
  r.state = start;
  r.seeded = true;
}

int NextZipRandom() noexcept {
  RandomState& r = Random();
  std::lock_guard<std::mutex> guard(r.lock);
  if (!r.seeded) {
    r.state = DefaultSeed();
    r.seeded = true;
  }
  r.state = r.state * 214013u + 2531011u;
  return static_cast<int>((r.state >> 16) & 0x7FFFu);
}

void MakeZipCryptHeader(ZipKeys& keys, std::uint8_t check_byte,
                        std::uint8_t header[kZipCryptHeaderSize]) noexcept {
  for (std::size_t i = 0; i < kZipCryptHeaderSize; ++i) {
    header[i] = static_cast<std::uint8_t>(NextZipRandom() >> 7);
  }
  header[kZipCryptHeaderSize - 1] = check_byte;
  EncryptZipBytes(keys, header, kZipCryptHeaderSize);
}

}  // namespace zip
