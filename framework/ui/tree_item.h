// The tree item: a system tree view instead of an owner-drawn item window.
// The application gives it its behaviour: the command's value is a window
// procedure that subclasses the tree view and passes on to oldTreeProc
// (the item is the tree window's user data). Right after subclassing, the
// procedure gets a WM_CREATE of its own with lParam 0 to fill the tree in;
// that one is not for the tree view and is not passed on.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/ui/list_item.h"
#include "framework/ui/ui_item.h"

inline constexpr std::int32_t kTreeItemType = 5;

class CTree : public CUIItem {
 public:
  CTree() noexcept;
  ~CTree() override;

  // Replaces the item's own creation: no tooltip, no OnCreate, no measuring.
  // The tree never moves into a bar's overflow popup. 0, or
  // kStatusWindowNotCreated, also when the command has no procedure.
  std::uint32_t Create(std::uint16_t commandId, HWND parent, HWND ownerWindow, CUIItem* holderMenu) override;
  void Measure(const CommandRecord& command, int orientation) override;
  void Paint(HDC dc, const RECT& client) override;
  // The tree window and the image list go, each once.
  void OnDestroy() override;

  WNDPROC oldTreeProc = nullptr;
  std::uint32_t treeStyle = WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_SHOWSELALWAYS;
  CImageListHandle imageList;  // set by the application
};
