// Choosing an image from an icon group directory: pure arithmetic over
// resource bytes, so that it can be checked without Windows.
#pragma once

#include <cstddef>
#include <cstdint>

enum class IconChoice {
  kChosen,        // `id` names the image to load
  kSystemChoice,  // no depth matched: let the system pick from the directory
  kBadDirectory,  // the directory is too short for its own entry count
};

// The standard icon group directory: a 6-byte header with the entry count at
// offset 4, then 14-byte entries (width byte at 0, bit count at 6, resource id
// at 12). depthIndex 0..3 asks for 1, 4, 8 or 32 bits per pixel and falls back
// to the lower depths in turn; a negative depthIndex asks for the system's
// choice. Among the entries of the depth found: the first whose width equals
// size (the first at all when size is 0), else the closest width, the first
// of equals.
[[nodiscard]] IconChoice ChooseIconImage(const std::uint8_t* directory, std::size_t directorySize, int depthIndex,
                                         int size, std::uint16_t& id) noexcept;

