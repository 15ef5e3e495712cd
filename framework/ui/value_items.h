// The value items: each edits a record of the application that its
// command's value points to, in place while the user drags. The brush size
// is an integer dragged up or down over the item; the colour swatch and the
// 16-colour palette pick their colours from any pixel of the screen by a
// press on the item and a drag out of it; the slider's thumb is dragged, or
// its track clicked to step by one.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/ui/ui_item.h"
#include "framework/ui/value_item_core.h"
#include "framework/util/win_handles.h"

inline constexpr std::int32_t kSliderItemType = 9;
inline constexpr std::int32_t kBrushSizeItemType = 10;
inline constexpr std::int32_t kColorItemType = 11;
inline constexpr std::int32_t kPaletteItemType = 12;

// The screen's pixel at a screen point. Where the screen cannot be read as a
// whole, the window under the point is read instead. CLR_INVALID when
// neither can be.
[[nodiscard]] COLORREF ReadScreenPixel(POINT point) noexcept;

// Creation fails (kStatusUnknownCommand from OnCreate) for a command
// without its value record. The colour items mark their command as a value
// item (kCommandKeepsPressed); all report changes with WM_FW_COMMAND.

class CBrushSize : public CUIItem {
 public:
  CBrushSize() noexcept;
  std::uint32_t OnCreate(const CommandRecord& command, HWND parent, HWND ownerWindow, CUIItem* holderMenu) override;
  void MeasureExtra(const CommandRecord& command, int orientation) override;
  void Paint(HDC dc, const RECT& client) override;

  RangeValue* range = nullptr;
  std::int32_t lastValue = -1;
  std::int32_t lastLength = -1;
  std::int32_t lastWidth = 0;
  CFontHandle numberFont;  // the largest bold font the number fits in
  RECT measureRect{};
  char numberText[16] = {};

 private:
  void FitNumberFont(HDC dc, int dpi) noexcept;
};

class CColor : public CUIItem {
 public:
  CColor() noexcept;
  std::uint32_t OnCreate(const CommandRecord& command, HWND parent, HWND ownerWindow, CUIItem* holderMenu) override;
  void MeasureExtra(const CommandRecord& command, int orientation) override;
  void Paint(HDC dc, const RECT& client) override;

  ColorValue* colorValue = nullptr;
};

class CPalette : public CUIItem {
 public:
  CPalette() noexcept;
  std::uint32_t OnCreate(const CommandRecord& command, HWND parent, HWND ownerWindow, CUIItem* holderMenu) override;
  void MeasureExtra(const CommandRecord& command, int orientation) override;
  void Paint(HDC dc, const RECT& client) override;

  PaletteValue* palette = nullptr;
  RECT cells[kPaletteColors]{};  // as last painted, in client coordinates
};

class CSlider : public CUIItem {
 public:
  CSlider() noexcept;
  std::uint32_t OnCreate(const CommandRecord& command, HWND parent, HWND ownerWindow, CUIItem* holderMenu) override;
  void MeasureExtra(const CommandRecord& command, int orientation) override;
  void Paint(HDC dc, const RECT& client) override;

  RangeValue* range = nullptr;
  RECT thumbRect{};  // as last painted, in client coordinates

  // The track as last laid out.
  [[nodiscard]] SliderTrack Track() const noexcept;
};
