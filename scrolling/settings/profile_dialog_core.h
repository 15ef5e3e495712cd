// What the profile dialog and its window picker decide without the window
// system: the name a chosen program gives a profile, the picker's step at
// each tick, and the geometry of the overlay's frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The name taken from a chosen program: the part of the path after its last
// backslash (the whole path when there is none), cut to size - 1 characters
// and NUL-terminated. Nothing is written when size is 0.
void ProfileNameFromPath(std::string_view path, char* name, std::size_t size) noexcept;

enum class PickerStep {
  kEnd,         // no mouse button is down any more: the pick ends
  kNewWindow,   // another window is under the cursor: outline it, read it
  kSameWindow,  // nothing changed: only keep the overlay on top
};

// The picker's step at a tick, from the buttons and the window now under the
// cursor (0: none) against the one outlined last.
[[nodiscard]] PickerStep DecidePickerStep(bool anyButtonDown, std::uintptr_t windowUnderCursor,
                                          std::uintptr_t lastWindow) noexcept;

// Rectangles in the overlay's own coordinates, right and bottom exclusive.
struct FrameBox {
  int left;
  int top;
  int right;
  int bottom;
  friend bool operator==(const FrameBox& a, const FrameBox& b) noexcept {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

inline constexpr int kOverlayFrameWidth = 5;

// The strips of a frame of the given thickness along the left, top, bottom
// and right edges of a width x height area. Negative sizes count as 0; in
// an area thinner than two strips they overlap and cover all of it.
[[nodiscard]] std::array<FrameBox, 4> OverlayFrameStrips(int width, int height, int thickness) noexcept;

// The part of the area inside the frame, which the overlay leaves to the
// window below; empty (left == right or top == bottom) when the strips
// cover it all.
[[nodiscard]] FrameBox OverlayFrameInside(int width, int height, int thickness) noexcept;
