// The plain UI items, which add nothing to the base but painting and, for
// the separator, measuring: a command button (also the ordinary popup-menu
// entry), a static text with an optional inline icon and progress bar, and
// a separator line or spacer.
#pragma once

#include "framework/ui/ui_item.h"

class CButton : public CUIItem {
 public:
  CButton() noexcept { type = 1; }
  void Paint(HDC dc, const RECT& client) override;
};

// The label may start with "#n" (icon n at its left) and then "@p" (a bar
// filled to p percent after the text, with the percentage).
class CStatic : public CUIItem {
 public:
  CStatic() noexcept { type = 2; }
  void Paint(HDC dc, const RECT& client) override;
  void OnSize() override;
};

// 6 pixels thick with a line along the long side, or a 3-pixel spacer for
// the command's class flag; the holder stretches the other side.
class CSeparator : public CUIItem {
 public:
  void Measure(const CommandRecord& command, int orientation) override;
  void Paint(HDC dc, const RECT& client) override;
};
