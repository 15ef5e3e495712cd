#include "zip/zip_io.h"

#include <cstdio>
#include <cstring>

#include "framework/util/temp_names.h"

namespace zip {

std::uint32_t MemoryBlockSink::Write(const void* data, std::uint32_t count) {
  if (count == 0) return 0;
  if (!base_ || static_cast<std::uint64_t>(pos_) + count >= size_) return 0;
  std::memcpy(base_ + pos_, data, count);
  pos_ += count;
  return count;
}

bool MemoryBlockSink::Seek(std::uint32_t position) {
  if (position >= size_) return false;
  pos_ = position;
  return true;
}

std::int64_t BufferSource::Read(void* buffer, std::uint32_t count) {
  const std::uint32_t left = length_ - pos_;
  const std::uint32_t n = count < left ? count : left;
  if (n) std::memcpy(buffer, data_ + pos_, n);
  pos_ += n;
  return n;
}

std::int64_t MemoryByteSource::ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count) {
  if (offset >= size_) return 0;
  const std::uint64_t left = size_ - offset;
  const std::uint32_t n = left < count ? static_cast<std::uint32_t>(left) : count;
  if (n) std::memcpy(buffer, data_ + offset, n);
  return n;
}

std::string ExtractTempName(const std::string& path, std::uint32_t processId, std::uint32_t sequence) {
  const std::size_t cut = path.find_last_of("\\/");
  char name[32];
  if (!ComposeScratchTempName(processId, sequence, name, sizeof name)) name[0] = '\0';
  return (cut == std::string::npos ? std::string() : path.substr(0, cut + 1)) + name;
}

std::uint64_t ZipPlatform::LocalDosTimeToFileTime(std::uint32_t dos_date_time) {
  return UnixToFileTime(DosDateTimeToUnixUtc(dos_date_time));
}

std::uint64_t UnixToFileTime(std::int64_t seconds) noexcept {
  return static_cast<std::uint64_t>(seconds * 10000000 + static_cast<std::int64_t>(kFileTimeUnixEpoch));
}

std::int64_t FileTimeToUnix(std::uint64_t file_time) noexcept {
  return (static_cast<std::int64_t>(file_time) - static_cast<std::int64_t>(kFileTimeUnixEpoch)) /
         10000000;
}

namespace {
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}
}  // namespace

std::int64_t DosDateTimeToUnixUtc(std::uint32_t dos) noexcept {
  const std::int64_t year = 1980 + ((dos >> 25) & 0x7F);
  unsigned month = (dos >> 21) & 0x0F;
  unsigned day = (dos >> 16) & 0x1F;
  if (month < 1) month = 1;
  if (month > 12) month = 12;
  if (day < 1) day = 1;
  const std::int64_t hour = (dos >> 11) & 0x1F;
  const std::int64_t minute = (dos >> 5) & 0x3F;
  const std::int64_t second = (dos & 0x1F) * 2;
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::uint32_t MakeDosDateTime(int year, int month, int day, int hour, int minute,
                              int second) noexcept {
  if (year < 1980) return (1u << 21) | (1u << 16);  // 1980-01-01 00:00
  const std::uint32_t date = (static_cast<std::uint32_t>(year - 1980) << 9) |
                             (static_cast<std::uint32_t>(month) << 5) | static_cast<std::uint32_t>(day);
  const std::uint32_t time = (static_cast<std::uint32_t>(hour) << 11) |
                             (static_cast<std::uint32_t>(minute) << 5) |
                             static_cast<std::uint32_t>(second / 2);
  return (date << 16) | (time & 0xFFFFu);
}

std::uint32_t MakeExternalAttributes(std::uint32_t windows_attributes, bool directory,
                                     bool executable) noexcept {
  std::uint32_t mode = directory ? 0x4000u : 0x8000u;
  mode |= 0x0100u;                                   // owner read
  if (!(windows_attributes & 0x01u)) mode |= 0x0080u;  // owner write unless read-only
  if (executable) mode |= 0x0040u;
  return (mode << 16) | (windows_attributes & 0x37u);
}

bool LooksLikeWindowsExecutable(std::uint64_t file_size, ReadAtFn read_at, void* context) noexcept {
  if (file_size <= 40) return false;
  std::uint8_t mz[2];
  if (!read_at(context, 0, mz, 2) || mz[0] != 'M' || mz[1] != 'Z') return false;
  std::uint8_t b[4];
  if (!read_at(context, 60, b, 4)) return false;
  const std::uint64_t v = static_cast<std::uint64_t>(b[0]) | (static_cast<std::uint64_t>(b[1]) << 8) |
                          (static_cast<std::uint64_t>(b[2]) << 16) | (static_cast<std::uint64_t>(b[3]) << 24);
  // 64-bit sum: a header offset near 4 GB must not wrap around.
  if (!(v + 52 < file_size)) return false;
  if (!read_at(context, v, b, 4)) return false;
  const std::uint32_t sig = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                            (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  return sig == 0x00004550u || sig == 0x0000454Eu || sig == 0x0000454Cu || sig == 0x00005A4Du;
}

}  // namespace zip
