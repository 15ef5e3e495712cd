// A bar: a tool or menu bar of a framework window holding a row or column
// of UI items, docked in one of the window's bays or floating as a small
// tool window whose items wrap into lines. Items that do not fit are hidden,
// last first, and reached through the overflow button at the bar's end. The
// program itself makes no bars; the tests and the demonstration program do,
// through CreateBar and AddBar.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/ui/bar_core.h"
#include "framework/util/grow_array.h"

class CFrameWindow;
class CUIItem;

inline constexpr char kBarClass[] = "OrvoAppBar";
inline constexpr int kOverflowListSize = 256;
inline constexpr std::uint16_t kNoBayId = 0xFFFF;

class CBar {
 public:
  CBar() noexcept { items.SetGrowStep(-1); }
  ~CBar() { DestroyBar(); }
  CBar(const CBar&) = delete;
  CBar& operator=(const CBar&) = delete;

  HWND window = nullptr;
  HWND busyOverlay = nullptr;
  std::uint16_t id = 0;            // also the id of its command in the window menu
  std::uint16_t frameId = 0;       // the framework window it belongs to
  std::uint16_t bayId = kNoBayId;  // floating: none
  std::uint16_t row = 0;
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::uint16_t length = 0;
  std::uint16_t thickness = 0;
  std::uint16_t minLength = 0;
  std::uint16_t preferredLength = 0;
  std::uint16_t minThickness = 0;
  std::uint16_t flags = 0;
  std::int32_t side = kBarFloating;  // 0 top, 1 bottom, 2 left, 3 right, -1 floating
  RECT inner{};
  RECT lastInner{};
  std::int32_t itemGap = 0;
  CGrowArray<CUIItem*> items;  // the overflow button last
  CFrameWindow* holder = nullptr;
  std::uint16_t* overflow = nullptr;  // ids of the items hidden for lack of room, ended by 0xFFFF

  // Makes the bar's window (hidden, floating) with an item for each of
  // fewer than 256 commands (made by the item factory by the command's kind; a kind
  // without a class gets a plain item) and the overflow button last. The
  // command of the bar's own id is added when missing. 0, or
  // kStatusWindowNotCreated (the caller destroys the bar).
  [[nodiscard]] std::uint32_t CreateBar(std::uint16_t barId, CFrameWindow& frame, const std::uint16_t* commands,
                                        int count, std::uint16_t barFlags) noexcept;
  // Destroys the items that CreateBar made, the overflow list and the
  // window; safe to call again. Items put into a bar by hand stay their
  // maker's.
  void DestroyBar() noexcept;
  [[nodiscard]] int Orientation() const noexcept { return BarOrientation(side); }
  // The bar's thickness across; sets the minimum thickness.
  int GetBarThickness() noexcept;
  // Lays the items out in width x height; without items it only keeps the
  // size as length and thickness.
  void LayoutBar(int width, int height, bool force) noexcept;
  // Docks the bar in the bay of that id at (x, y) of the bay, or floats it
  // at (x, y) of the screen (bay id -1). With reparent the bar takes the
  // style, parent and orientation of its new place.
  void DockOrFloatBar(int newBayId, int left, int top, int width, int height, bool reparent) noexcept;
  // After an item changed its size: the items laid out again, and the
  // floating bar resized or the docked bar's window laid out again.
  void RefreshLayout() noexcept;
  // Writes the record "(Orvo)Bar<id>".
  void SaveBarPosition() const noexcept;
  void ShowBusyOverlay(bool on) noexcept;
  void ShowBar(int showCommand) const noexcept;

 private:
  bool ownsItems_ = false;
};

// Puts a created bar into the application's bar list (which owns it from
// then on) and docks or floats it (DockOrFloatBar with reparent). The
// bar's index, or -1 (the bar is destroyed and freed).
int AddBar(CBar* bar, int bayId, int x, int y, int width, int height) noexcept;
// Every bar's command removed and its window and items destroyed, the last
// first; the bars stay listed (their positions are saved afterwards).
void DestroyAllBars() noexcept;
// Destroys the bars and frees them and the list.
void FreeAllBars() noexcept;

LRESULT CALLBACK BarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
