#include "framework/app/icon_fit.h"

#include <cstdlib>

namespace {
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 14;
constexpr std::uint16_t kDepthBits[4] = {1, 4, 8, 32};

std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
}  // namespace

IconChoice ChooseIconImage(const std::uint8_t* directory, std::size_t directorySize, int depthIndex, int size,
                           std::uint16_t& id) noexcept {
  if (directory == nullptr || directorySize < kHeaderSize) return IconChoice::kBadDirectory;
  const std::size_t count = ReadU16(directory + 4);
  if (directorySize < kHeaderSize + count * kEntrySize) return IconChoice::kBadDirectory;
  const std::uint8_t* entries = directory + kHeaderSize;

  if (depthIndex > 3) depthIndex = 3;
  for (int depth = depthIndex; depth >= 0; --depth) {
    const std::uint16_t bits = kDepthBits[depth];
    int best = -1;
    int bestDistance = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* e = entries + i * kEntrySize;
      if (ReadU16(e + 6) != bits) continue;
      const int width = e[0];
      if (size == 0 || width == size) {
        id = ReadU16(e + 12);
        return IconChoice::kChosen;
      }
      const int distance = std::abs(width - size);
      if (best < 0 || distance < bestDistance) {
        best = static_cast<int>(i);
        bestDistance = distance;
      }
    }
    if (best >= 0) {
      id = ReadU16(entries + static_cast<std::size_t>(best) * kEntrySize + 12);
      return IconChoice::kChosen;
    }
  }
  return IconChoice::kSystemChoice;
}
