#include "framework/ui/plain_items.h"

#include "framework/object/application.h"
#include "framework/app/command_table_core.h"
#include "framework/theme/draw.h"
#include "framework/theme/theme.h"
#include "framework/ui/menu_core.h"

namespace {

constexpr std::uint32_t kStaticFramed = 0x1000000;
constexpr std::uint32_t kStaticSunken = 0x2000000;

RECT ToRect(const BarRect& r) noexcept { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

void CButton::Paint(HDC dc, const RECT& client) {
  PaintCommonItem(dc, client);
  const CommandRecord* record = FindCommand(gApp.commands, static_cast<std::uint16_t>(id));
  if (holder == nullptr || record == nullptr || (record->flags & kCommandChecked) == 0) return;
  if (record->iconId != 0 && iconWidth > 0) return;
  // A checked popup entry without an icon shows a check in the icon column.
  const ItemDrawState state = GetItemDrawState(record->flags);
  const int o = state.pressedOffset;
  const RECT check{o, o, labelHeight + 2 * SpaceWidth() + o, height + o};
  DrawCheckGlyph(gApp.theme, dc, static_cast<std::uint32_t>(state.textColour), &check);
}

void CStatic::Paint(HDC dc, const RECT& client) {
  const CommandRecord* record = FindCommand(gApp.commands, static_cast<std::uint16_t>(id));
  const std::uint32_t live = record != nullptr ? record->flags : 0;
  CTheme& theme = gApp.theme;
  CMemoryDC buffer;
  const bool buffered = BeginDoubleBuffer(theme, buffer, &dc, width + 1, height + 1);
  // No hot or pressed look: enabled or not is all a static text shows.
  const std::uint32_t colour = (live & kCommandEnabled) != 0 ? 1 : 0;
  const bool centre = (live & kItemCentre) != 0 && holder == nullptr;
  const int bold = (live & kItemBold) != 0 ? 1 : 0;
  const int style = (live & kStaticFramed) != 0 ? 4 : ((live & kStaticSunken) != 0 ? 3 : 0);
  DrawItemFrame(theme, dc, &client, style, style != 0 ? 15u : 0u, 0, -1, -1, -1);
  LayoutParts(client, 0, centre, holder != nullptr);
  const std::uint16_t iconId = record != nullptr ? record->iconId : 0;
  if (iconId != 0 && iconWidth > 0)
    (void)DrawThemeIcon(theme, dc, iconId, (live & kCommandEnabled) != 0 ? 1 : 0, &iconRect);

  const char* label = GetItemText(kItemTextLabel);
  if (labelWidth > 0 && label != nullptr) {
    const StaticLabel parts = ParseStaticLabel(label);
    const char* text = label + parts.text;
    const int s = SpaceWidth();
    const int dpi = Dpi();
    int shift = 0;
    if (parts.icon != 0) {
      const int side = labelRect.bottom - labelRect.top;
      const RECT square{labelRect.left, labelRect.top, labelRect.left + side, labelRect.top + side};
      (void)DrawThemeIcon(theme, dc, static_cast<std::uint32_t>(parts.icon), 1, &square);
      shift = side + s;
    }
    const RECT textRect{labelRect.left + shift, labelRect.top, labelRect.right, labelRect.bottom};
    (void)DrawTextFormat(theme, dc, dpi, "%s", colour, &textRect, centre ? 1 : 0, bold, text);
    if (parts.percent >= 0) {
      int w = 0;
      int h = 0;
      (void)MeasureTextThemeFont(theme, text, &w, &h, bold, dpi);
      const StaticBar bar =
          StaticBarRects(textRect.left, labelRect.top, labelRect.bottom - labelRect.top, w, h, s, parts.percent);
      const RECT outline = ToRect(bar.outline);
      FrameSolidRect(dc, &outline, theme.slots[4]);
      const RECT fill = ToRect(bar.fill);
      if (fill.right > fill.left) FillSolidRect(dc, &fill, theme.slots[46]);
      const RECT percentRect{bar.percentLeft, labelRect.top, labelRect.right, labelRect.bottom};
      (void)DrawTextFormat(theme, dc, dpi, "%d%%", colour, &percentRect, 0, bold, parts.percent);
    }
  }
  if (buffered) EndDoubleBuffer(theme, buffer);
}

void CStatic::OnSize() {
  if ((flags & kItemStretchLabel) != 0 && window != nullptr) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
}

void CSeparator::Measure(const CommandRecord& command, int) {
  flags = command.flags;
  width = height = SeparatorThickness(command.flags);
}

void CSeparator::Paint(HDC dc, const RECT& client) {
  DrawItemFrame(gApp.theme, dc, &client, 0, 0, 0, -1, -1, -1);
  BarRect line{};
  if (SeparatorLine(width, height, &line)) {
    const RECT r = ToRect(line);
    DrawSeparator(gApp.theme, dc, &r);
  }
}
