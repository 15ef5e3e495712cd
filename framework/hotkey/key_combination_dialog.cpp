// The key-combination dialog. Until the list item is in, the dialog offers
// no key list: it ends with the field's value unchanged.
#include "framework/hotkey/hotkey_edit.h"

#include <new>

class CList {
 public:
  HWND listBox = nullptr;
};

void KeyListDeleter::operator()(CList* list) const noexcept { delete list; }
CList* MakeKeyList() noexcept { return new (std::nothrow) CList; }
HWND KeyListBox(const CList* list) noexcept { return list != nullptr ? list->listBox : nullptr; }

INT_PTR CALLBACK KeyCombinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}
void FillKeyCombinationList(HWND, unsigned) noexcept {}
void ApplyKeyCombination(HWND) noexcept {}
