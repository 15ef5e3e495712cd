// Dialog set-up without the window: the DPI the dialog font is made for,
// moving a control from one DPI to another, and which check boxes are
// widened next to a small control.
#pragma once

#include <cstdint>

#include "framework/theme/theme_core.h"

inline constexpr int kDialogBaseDpi = 96;

// The dialog font is never made for less than 96 DPI.
[[nodiscard]] constexpr int DialogFontDpi(int dpi) noexcept { return dpi > kDialogBaseDpi ? dpi : kDialogBaseDpi; }

// A control's rectangle laid out for fromDpi, moved to toDpi (each edge
// rounded to the nearest pixel, so that a change and its reverse give the
// rectangle back). A DPI that is not known (0 or less) moves nothing.
[[nodiscard]] PixelRect ScaleRectForDpi(const PixelRect& rect, int fromDpi, int toDpi) noexcept;

// A plain check box (button style 2; an automatic one, 3, is not).
[[nodiscard]] constexpr bool IsPlainCheckBox(std::uint32_t style) noexcept { return (style & 0xF) == 2; }

// Whether a plain check box is widened after the control to its left: that
// control's style has any of the bits 0x7, the check box's top lies within
// half its height of that control's top, and its left edge between that
// control's left edge and three check-box heights further.
[[nodiscard]] bool FollowsSmallControl(const PixelRect& checkBox, const PixelRect& neighbour,
                                       std::uint32_t neighbourStyle) noexcept;

// 1.2 times the width, truncated.
[[nodiscard]] constexpr int WidenedCheckBoxWidth(int width) noexcept { return width * 6 / 5; }
