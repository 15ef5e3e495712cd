#include "framework/ui/tree_item.h"

#include "framework/object/application.h"
#include "framework/app/commands.h"

CTree::CTree() noexcept { type = kTreeItemType; }

CTree::~CTree() { CTree::OnDestroy(); }

std::uint32_t CTree::Create(std::uint16_t commandId, HWND parent, HWND ownerWindow, CUIItem* holderMenu) {
  if (window != nullptr) Destroy();
  CommandRecord* record = FindCommand(gApp.commands, commandId);
  // Without the application's procedure the tree view would be left with
  // none: no tree at all.
  if (record == nullptr || record->value == nullptr) return kStatusWindowNotCreated;
  record->flags &= ~kCommandMayOverflow;
  flags = record->flags | 0x4;
  if ((record->flags & kCommandArrowPressed) != 0) treeStyle |= WS_TABSTOP;
  const auto procedure = reinterpret_cast<WNDPROC>(record->value);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES};
  (void)InitCommonControlsEx(&icc);
  window = CreateWindowExA(WS_EX_STATICEDGE, WC_TREEVIEWA, "", treeStyle, 0, 0, width, height, parent, nullptr,
                           gApp.ResourceInstance(), nullptr);
  if (window == nullptr) return kStatusWindowNotCreated;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  oldTreeProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
  id = commandId;
  owner = ownerWindow;
  holder = holderMenu;
  width = height = 64;
  // The application's procedure sets the tree up on a creation message of
  // its own, without the system's creation record.
  SendMessageA(window, WM_CREATE, 0, 0);
  return kStatusOk;
}

void CTree::Measure(const CommandRecord&, int) {}

void CTree::Paint(HDC, const RECT&) {}

void CTree::OnDestroy() {
  // A tree window destroyed with its parent is no longer ours: its handle
  // may already name another window.
  if (window != nullptr && IsWindow(window) &&
      GetWindowLongPtrA(window, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
    DestroyWindow(window);
  }
  window = nullptr;
  imageList.Reset();
}
