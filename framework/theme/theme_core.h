// The theme's arithmetic over plain data: colour slots, colour arguments,
// icon tinting, rounded-corner blending and the geometry of the drawing
// primitives. Everything here is free of Windows headers so that it can be
// checked natively; theme.cpp and draw.cpp put GDI around it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "framework/util/colour.h"

inline constexpr int kColourSlotCount = 59;
using ColourSlots = std::array<ColorRef, kColourSlotCount>;

// System colour indices as GetSysColor numbers them (checked against the
// Windows headers in theme.cpp).
enum class SysColour : int {
  kActiveCaption = 2,
  kInactiveCaption = 3,
  kMenu = 4,
  kWindow = 5,
  kMenuText = 7,
  kHighlight = 13,
  kHighlightText = 14,
  kBtnFace = 15,
  kBtnShadow = 16,
  kGrayText = 17,
  kBtnHighlight = 20,
  k3dLight = 22,
  kGradientActiveCaption = 27,
  kGradientInactiveCaption = 28,
};
inline constexpr int kSysColourCount = 31;
using SystemColours = std::array<ColorRef, kSysColourCount>;

[[nodiscard]] constexpr ColorRef SysColourOf(const SystemColours& sys, SysColour which) noexcept {
  return sys[static_cast<std::size_t>(which)];
}

// Colour-scheme choices kept in the application's state record; the theme
// reads them through this small record so it does not depend on that file.
enum class SchemeMode : std::uint8_t { kClassic = 0, kDerived = 1, kCustom = 2, kAutomatic = 255 };
struct SchemeSettings {
  std::uint8_t mode = static_cast<std::uint8_t>(SchemeMode::kAutomatic);
  // Custom colours 0 to 4; the scheme uses 0, 2, 3 and 4.
  std::array<ColorRef, 5> custom{0x00EE6E18u, 0u, 0x0055ADFFu, 0u, 0u};
};

// Base colours of the scheme. The five system ones persist between
// computations: when neither the visual style nor the system gives new
// ones, the earlier values stay.
struct SchemeBase {
  ColorRef activeCaption = 0;
  ColorRef inactiveCaption = 0;
  ColorRef highlight = 0;
  ColorRef menuText = 0;
  ColorRef highlightText = 0;
  ColorRef b0 = 0;
  ColorRef b2 = 0;
  ColorRef b3 = 0;
  ColorRef b4 = 0;
};

// What the Win32 side found out before the slots are computed.
struct SchemeInputs {
  bool styled = false;    // a visual style gave the base colours
  bool gradient = false;  // caption gradients are on
  ColorRef gradientActive = 0;
  ColorRef gradientInactive = 0;
};

// 255 becomes 1 with a visual style and 0 without; any other value stays.
[[nodiscard]] std::uint8_t ResolveSchemeMode(std::uint8_t mode, bool styled) noexcept;

// Takes the five base colours from the system colours.
void BaseFromSystemColours(SchemeBase& base, const SystemColours& sys) noexcept;

// Caption gradient blending, mode resolution (written back into `scheme`),
// the four derived bases and all 59 slots.
void ComputeScheme(SchemeBase& base, const SchemeInputs& inputs, SchemeSettings& scheme, const SystemColours& sys,
                   ColourSlots& slots) noexcept;

// Colour argument: low 2 bits 0, 1, 2 pick slots 3, 4, 5; 3 means the
// COLORREF held in bits 8-31.
[[nodiscard]] constexpr ColorRef ResolveColourArg(std::uint32_t arg, const ColourSlots& slots) noexcept {
  switch (arg & 3u) {
    case 0: return slots[3];
    case 1: return slots[4];
    case 2: return slots[5];
    default: return arg >> 8;
  }
}

// A slot index from a caller: 0-58, anything else (-1 by convention) means
// the operation's default slot.
[[nodiscard]] constexpr int SlotOrDefault(int slot, int fallback) noexcept {
  return slot >= 0 && slot < kColourSlotCount ? slot : fallback;
}

// Icon tint over 32-bit pixels (blue, green, red, fourth byte). A pixel is
// opaque when the first byte of its mask pixel is not 0xFF. Returns false,
// leaving the pixels untouched, when no pixel is opaque.
[[nodiscard]] bool TintIconPixels(std::uint8_t* colour, const std::uint8_t* mask, std::size_t pixelCount,
                                  ColorRef light, ColorRef dark) noexcept;

// Rounded corners: one entry per pixel of a 3 x 3 corner in row order.
struct CornerEntry {
  std::int8_t percent;  // weight of the overlay pixel
  std::int8_t fromDrawing;  // base pixel: 1 the current drawing, 0 the parent's background
  std::int8_t base;     // pixel 0-8
  std::int8_t overlay;  // pixel 0-8 of the current drawing
};
using CornerPattern = std::array<CornerEntry, 9>;
enum class CornerPosition : int { kTopLeft = 0, kTopRight = 1, kBottomLeft = 2, kBottomRight = 3 };
extern const std::array<CornerPattern, 4> kCornerPatterns;

inline constexpr int kScratchSize = 16;  // the scratch surface is 16 x 16, top-down
// Blends scratch rows 0-2 (drawing) and 3-5 (parent's background) into rows
// 6-8, columns 0-2. Pixels are 0x00RRGGBB words as a 32-bit DIB holds them.
void BlendCorner(std::uint32_t* scratch, const CornerPattern& pattern) noexcept;

// Plain geometry in the drawing primitives' own terms.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend constexpr bool operator==(const PixelRect& a, const PixelRect& b) noexcept {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};
struct PixelPoint {
  int x = 0;
  int y = 0;
  friend constexpr bool operator==(const PixelPoint& a, const PixelPoint& b) noexcept {
    return a.x == b.x && a.y == b.y;
  }
};

[[nodiscard]] constexpr PixelRect DeflateRectBy(const PixelRect& r, int n) noexcept {
  return PixelRect{r.left + n, r.top + n, r.right - n, r.bottom - n};
}

// A 1-pixel edge as two polylines drawn with MoveTo/LineTo (end points not
// drawn): left and top first, then right and bottom.
struct EdgeLines {
  std::array<PixelPoint, 3> topLeft;
  std::array<PixelPoint, 3> bottomRight;
};
[[nodiscard]] EdgeLines Edge3dLines(const PixelRect& r) noexcept;

// Separator: two lines; the first in slot 31, the second in slot 32.
struct PixelLine {
  PixelPoint from;
  PixelPoint to;
};
[[nodiscard]] std::array<PixelLine, 2> SeparatorLines(const PixelRect& r) noexcept;

[[nodiscard]] PixelRect SplitterBar(const PixelRect& r, int vertical) noexcept;

// Size grip: twelve c x c squares, in drawing order; even entries in slot
// 27, odd ones in slot 26.
[[nodiscard]] std::array<PixelRect, 12> SizeGripSquares(const PixelRect& r) noexcept;

// type 0 right, 1 down, 2 up.
[[nodiscard]] std::array<PixelPoint, 3> TriangleGlyphPoints(int type, const PixelRect& r) noexcept;
[[nodiscard]] std::array<PixelPoint, 6> CheckGlyphPoints(const PixelRect& r) noexcept;

// Corner squares that the corner flags ask for, in drawing order:
// top-left (1), bottom-left (4), top-right (2), bottom-right (8).
struct CornerSquare {
  PixelRect square;
  CornerPosition corner;
};
struct CornerSquares {
  std::array<CornerSquare, 4> items;
  int count = 0;
};
[[nodiscard]] CornerSquares CornerSquaresFor(const PixelRect& r, unsigned flags) noexcept;

// Reference point of downward-running text of width w and height h
// (measured unrotated) for alignment 0 top, 1 centre, 2 bottom.
[[nodiscard]] PixelPoint VerticalTextOrigin(const PixelRect& r, int w, int h, int align) noexcept;

// A gradient vertex channel holds the colour byte in its high half.
[[nodiscard]] constexpr std::uint16_t GradientChannel(std::uint8_t byte) noexcept {
  return static_cast<std::uint16_t>(byte << 8);
}

// Icon table order: ascending by the low 16 bits of the id.
[[nodiscard]] constexpr std::uint16_t IconKey(std::uint32_t id) noexcept { return static_cast<std::uint16_t>(id & 0xFFFFu); }

// First position whose id is not less than `id`: a new duplicate goes in
// front of the existing one. `ids(i)` gives the id of entry i.
template <class IdAt>
[[nodiscard]] std::size_t IconInsertPosition(std::size_t count, IdAt ids, std::uint32_t id) {
  std::size_t lo = 0;
  std::size_t hi = count;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (IconKey(ids(mid)) < IconKey(id)) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

// Index of an entry with the id's low 16 bits, or -1.
template <class IdAt>
[[nodiscard]] int IconFindIndex(std::size_t count, IdAt ids, std::uint32_t id) {
  const std::size_t pos = IconInsertPosition(count, ids, id);
  return pos < count && IconKey(ids(pos)) == IconKey(id) ? static_cast<int>(pos) : -1;
}

// The seven font sets: normal, bold, vertical, fixed, and the UI normal,
// bold and vertical ones that follow the chosen UI face and size.
inline constexpr int kFontSetCount = 7;
enum class FontFace : std::uint8_t { kDefault, kFixed, kUi };
struct FontSetParams {
  FontFace face;
  int weight;
  int escapement;
  int pitchAndFamily;
};
inline constexpr std::array<FontSetParams, kFontSetCount> kFontSets{{
    {FontFace::kDefault, 400, 0, 0},
    {FontFace::kDefault, 700, 0, 0},
    {FontFace::kDefault, 400, -900, 0},
    {FontFace::kFixed, 400, 0, 1},
    {FontFace::kUi, 400, 0, 0},
    {FontFace::kUi, 700, 0, 0},
    {FontFace::kUi, 400, -900, 0},
}};
inline constexpr int kDefaultFontSize = 12;
inline constexpr char kFixedFontFace[] = "Courier New";

