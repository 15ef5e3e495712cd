// The UI item base: the framework's small owner-drawn controls (menu
// entries, buttons, texts, separators, lists, ...) each own one child window
// of the class "OrvoAppUIItem" and are described by a command record that
// they look up by id whenever they need it, so a change of the record shows
// in every item bound to it. The base supplies the window, the global item
// list, hot tracking, presses and clicks, double clicks, tooltips, measuring
// and the common layout of an item's parts; classes override painting,
// measuring and set-up.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/base/command_record.h"
#include "framework/ui/ui_item_core.h"
#include "framework/util/status_codes.h"

class CBar;
class CUIItem;

// Called first for every message of an item's window; its result is ignored.
using UIItemHook = int (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, CUIItem* item);

inline constexpr int kMenuItemType = 3;  // the type code of the menu item (a popup entry)
inline constexpr char kUIItemClass[] = "OrvoAppUIItem";

// Text parts an item asks for.
inline constexpr int kItemTextLabel = 0;
inline constexpr int kItemTextSecond = 1;
inline constexpr int kItemTextTooltip = 3;
inline constexpr int kItemTextWidthSample = 4;

// Registers "OrvoAppUIItem" once per process (start-up calls it; Create
// makes sure of it too). False when the class cannot be registered.
bool RegisterUIItemClass() noexcept;

// The next press of each button counts as a first press (no double click).
void ForgetItemPresses() noexcept;

LRESULT CALLBACK UIItemWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class CUIItem {
 public:
  // Appends the item to the application's item list.
  CUIItem() noexcept;
  // Clears the hot and pressed state of its command, leaves the item list,
  // removes its tooltip and destroys its window. OnDestroy is not called: a
  // class that owns more releases it in its own destructor.
  virtual ~CUIItem();
  CUIItem(const CUIItem&) = delete;
  CUIItem& operator=(const CUIItem&) = delete;

  // The item's window as a child of parent, sending its notifications to
  // owner; holder is the menu whose popup holds it. 0, or
  // kStatusWindowNotCreated (the caller deletes the item).
  virtual std::uint32_t Create(std::uint16_t commandId, HWND parent, HWND ownerWindow, CUIItem* holderMenu);
  virtual std::uint32_t OnCreate(const CommandRecord& command, HWND parent, HWND ownerWindow, CUIItem* holderMenu);
  // Orientation 1: the holder stacks its items vertically.
  virtual void Measure(const CommandRecord& command, int orientation);
  virtual void MeasureExtra(const CommandRecord& command, int orientation);
  // OnDestroy, the tooltip and the window go; the object can be created again.
  virtual void Destroy();
  virtual void OnDestroy();
  // The base paints the common pattern (PaintCommonItem).
  virtual void Paint(HDC dc, const RECT& client);
  virtual void OnSize();
  virtual void DoNothing(std::uint32_t unused);
  // State 0 redraws the window at once; then whether ApplyState changed the
  // item's layout.
  virtual bool Refresh(int state);
  virtual bool ApplyState(int state);

  // The item's popup: opened at the anchor rectangle (screen coordinates),
  // closed with the chain below it, and whether the cursor is on the arrow
  // zone at the item's right edge.
  virtual std::uint32_t OpenPopup(const RECT& anchor);
  virtual void ClosePopup();
  [[nodiscard]] virtual bool IsCursorOnSubmenuArrow() const;

  void SetHook(UIItemHook procedure) noexcept { hook = procedure; }
  // -1 keeps the stored x, y, width or height; also shows the window.
  void SetItemBounds(int left, int top, int w, int h) noexcept;
  // The text part of the item's command (asked of the owner for the text id
  // 0xFFFE), or null.
  [[nodiscard]] const char* GetItemText(int part) const noexcept;
  [[nodiscard]] ItemDrawState GetItemDrawState(std::uint32_t commandFlags) const noexcept;
  // Fills the four part rectangles for the client rectangle.
  void LayoutParts(const RECT& client, int offset, bool centre, bool inPopup) noexcept;
  // The button of a button message, with every button that is held down.
  [[nodiscard]] static std::uint32_t GetMouseButtonMask(UINT message) noexcept;

  // The window procedure of the class; classes that replace the procedure of
  // their window pass what they do not end on to it.
  static LRESULT HandleMessage(CUIItem* item, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

  HWND window = nullptr;
  HWND owner = nullptr;  // receives the item's notifications and text requests
  std::uint32_t id = 0xFFFF;
  std::uint32_t flags = 0;  // the command's flags when last measured
  std::int32_t type = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t iconWidth = 0;
  std::int32_t iconHeight = 0;
  std::int32_t extraWidth = 0;
  std::int32_t extraHeight = 0;
  std::int32_t labelWidth = 0;
  std::int32_t labelHeight = 0;
  std::int32_t secondWidth = 0;
  std::int32_t secondHeight = 0;
  std::int32_t arrowWidth = 0;
  CUIItem* holder = nullptr;  // the menu whose popup holds the item; null outside popups
  CBar* bar = nullptr;        // the bar that holds the item
  std::int32_t iconColumn = 0;
  std::uint8_t rowBreak = 0;
  std::int32_t lastMousePos = 0;
  std::uint8_t inDragOut = 0;
  RECT iconRect{};
  RECT labelRect{};
  RECT extraRect{};
  RECT secondRect{};
  UIItemHook hook = nullptr;
  // A menu entry of a menu bar: keyboard navigation of the menus moves
  // through these (set by the bar that holds it).
  std::uint8_t topLevelMenu = 0;

 protected:
  // Adds the item's tooltip (outside popups, or with the command's flag).
  void AddTooltip(const CommandRecord& command, HWND parent) noexcept;
  void RemoveTooltip() noexcept;
  // The painting every plain item follows, double-buffered: the frame of its
  // state, the icon, the label and, in a popup, the second text.
  void PaintCommonItem(HDC dc, const RECT& client) noexcept;
  [[nodiscard]] int Dpi() const noexcept;
  // Detaches the item from the window, forgets it as the hot or pressed
  // window and destroys it; the handle is cleared.
  void DestroyItemWindow(HWND& handle) noexcept;
  [[nodiscard]] int SpaceWidth() const noexcept;
};
