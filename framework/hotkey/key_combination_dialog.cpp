// The key-combination dialog: every key by name in a list, the four
// modifier boxes, and the keys the user presses in the list selecting
// themselves.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "framework/object/application.h"
#include "framework/app/commands.h"
#include "framework/app/dialog_setup.h"
#include "framework/base/framework_messages.h"
#include "framework/app/res/framework_resource_ids.h"
#include "framework/hotkey/hotkey_edit.h"
#include "framework/text/text_table.h"
#include "framework/ui/window_list.h"
#include "framework/ui/list_item.h"

namespace {

constexpr std::uint16_t kColumnTitles = 0xF010;
constexpr int kColumnCount = 5;
constexpr std::uint32_t kKeyListFlags = 0x3000001;  // enabled, framed, a tab stop
constexpr int kMaxSelectedKeys = 16;

// The dialog is modal and one at a time: the field it works for.
CHotKeyEdit* gCurrent = nullptr;
CKeyComboFilter gFilter;
// The widths the user left, for the next opening during this run.
double gColumnWidths[kColumnCount] = {0.08, 0.2, 0.24, 0.24, 0.24};

struct ModifierBox {
  int id;
  std::uint8_t modifier;
};
constexpr ModifierBox kBoxes[] = {{FW_IDC_KEY_CTRL, kModCtrl},
                                  {FW_IDC_KEY_SHIFT, kModShift},
                                  {FW_IDC_KEY_ALT, kModAlt},
                                  {FW_IDC_KEY_WIN, kModWin}};

bool AsyncKeyDown(unsigned key) { return (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) != 0; }

CList* CurrentList() noexcept { return gCurrent != nullptr ? gCurrent->KeyList() : nullptr; }

void SetBoxes(HWND dialog, std::uint8_t modifiers) noexcept {
  for (const ModifierBox& b : kBoxes) {
    CheckDlgButton(dialog, b.id, (modifiers & b.modifier) != 0 ? BST_CHECKED : BST_UNCHECKED);
  }
}

std::uint8_t BoxModifiers(HWND dialog) noexcept {
  std::uint8_t m = 0;
  for (const ModifierBox& b : kBoxes) {
    if (IsDlgButtonChecked(dialog, b.id) == BST_CHECKED) m |= b.modifier;
  }
  return m;
}

INT_PTR Answer(HWND dialog, LRESULT result) noexcept {
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
  return TRUE;
}

void KeepColumnWidths() noexcept {
  const CList* list = CurrentList();
  if (list == nullptr) return;
  for (int i = 0; i < kColumnCount && i < list->columns.Count(); ++i) gColumnWidths[i] = list->columns[i].widthFraction;
}

void FocusList() noexcept {
  if (const CList* list = CurrentList(); list != nullptr && list->listBox != nullptr) SetFocus(list->listBox);
}

BOOL OnInitDialog(HWND dialog, CHotKeyEdit* field) noexcept {
  (void)PrepareDialog(dialog);
  gCurrent = field;
  gFilter.Reset();
  CList* list = CurrentList();
  if (list == nullptr) return TRUE;
  if (FindCommandIndex(FW_IDC_KEY_LIST) < 0) {
    (void)AddCommand(FW_IDC_KEY_LIST, CommandKind::kList, kKeyListFlags, 0, 0);
  }
  if (list->CreateInPlace(FW_IDC_KEY_LIST, dialog, dialog, GetDlgItem(dialog, FW_IDC_KEY_LIST), nullptr, true) !=
      kStatusOk) {
    return TRUE;
  }
  for (int i = 0; i < kColumnCount; ++i) {
    const char* title = GetText(kColumnTitles, static_cast<unsigned>(i));
    (void)list->AddColumn(title != nullptr ? title : "", gColumnWidths[i], 0);
  }
  FillKeyCombinationList(dialog, 0);
  const std::uint16_t value = field->GetHotKey();
  const unsigned key = value & 0xFFu;
  for (int row = 0; row < list->GetRowCount(); ++row) {
    if (static_cast<unsigned>(list->GetRowData(row)) == key) {
      list->SelectRow(row, true, false);
      if (key > 3) list->SetTopRow(row - 4);
      break;
    }
  }
  SetBoxes(dialog, static_cast<std::uint8_t>(value >> 8));
  const std::uint8_t mask = field->ModifierMask();
  for (const ModifierBox& b : kBoxes) EnableWindow(GetDlgItem(dialog, b.id), (mask & b.modifier) != 0);
  FocusList();
  return FALSE;
}

INT_PTR OnKey(HWND dialog, unsigned key, std::uint32_t flags) noexcept {
  const std::uint8_t modifiers = HeldModifiers(&AsyncKeyDown);
  const KeyComboAction action = gFilter.OnKey(key, flags, modifiers);
  if (action.cancel) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  if (action.setBoxes) SetBoxes(dialog, modifiers);
  if (action.fill) FillKeyCombinationList(dialog, key);
  return Answer(dialog, 1);
}

void DrawKeyRow(const DRAWITEMSTRUCT& item) noexcept {
  CList* list = CurrentList();
  const KeyNameEntry* row = FindKeyName(static_cast<unsigned>(item.itemData));
  if (list == nullptr || row == nullptr) return;
  char code[8];
  std::snprintf(code, sizeof code, "%u", static_cast<unsigned>(row->code));
  const char* cells[kColumnCount] = {code, row->vkName, row->description, row->displayName, row->localName};
  for (int i = 0; i < kColumnCount; ++i) list->DrawCell(i, cells[i], 0);
}

}  // namespace

void KeyListDeleter::operator()(CList* list) const noexcept { delete list; }
CList* MakeKeyList() noexcept { return new (std::nothrow) CList; }
HWND KeyListBox(const CList* list) noexcept { return list != nullptr ? list->listBox : nullptr; }

void FillKeyCombinationList(HWND, unsigned key) noexcept {
  CList* list = CurrentList();
  if (list == nullptr) return;
  BYTE state[256] = {};
  if (key != 0) (void)GetKeyboardState(state);
  bool candidate[kKeyNameCount];
  const bool select = KeyComboCandidates(state, key, candidate);
  const char* filter = gCurrent->NameFilter();
  // The list box also stops redrawing (and updating its scroll bar) for
  // each row: a window that is not the locked one would still do so.
  (void)LockWindowUpdate(list->window);
  SendMessageA(list->listBox, WM_SETREDRAW, FALSE, 0);
  list->Clear();
  for (unsigned code = 0; code < static_cast<unsigned>(kKeyNameCount); ++code) {
    if (!candidate[code]) continue;
    if (filter != nullptr && std::strstr(FindKeyName(code)->vkName, filter) == nullptr) continue;
    const int row = list->AddRow(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(code)));
    if (select && row >= 0) list->SelectRow(row, true, false);
  }
  SendMessageA(list->listBox, WM_SETREDRAW, TRUE, 0);
  (void)LockWindowUpdate(nullptr);
  InvalidateRect(list->listBox, nullptr, TRUE);
}

void ApplyKeyCombination(HWND dialog) noexcept {
  // Without its list the dialog offered no choice: the value stays.
  const CList* list = CurrentList();
  if (list == nullptr || list->listBox == nullptr) return;
  int rows[kMaxSelectedKeys];
  const int count = list->GetSelectedRows(kMaxSelectedKeys, rows);
  std::uint32_t codes[kMaxSelectedKeys];
  for (int i = 0; i < count; ++i) codes[i] = static_cast<std::uint32_t>(list->GetRowData(rows[i]));
  gCurrent->SetHotKey(ChooseKeyCombination(codes, count < 0 ? 0 : count, BoxModifiers(dialog)));
}

INT_PTR CALLBACK KeyCombinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog, reinterpret_cast<CHotKeyEdit*>(lParam));
    case WM_DRAWITEM:
      if (wParam != FW_IDC_KEY_LIST || lParam == 0) return FALSE;
      DrawKeyRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_HELP:
      RequestHelpTopic("");
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          ApplyKeyCombination(dialog);
          [[fallthrough]];
        case IDCANCEL:
          KeepColumnWidths();
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        case IDHELP:
          RequestHelpTopic("");
          return TRUE;
        case FW_IDC_KEY_CLEAR:
          FillKeyCombinationList(dialog, 0);
          FocusList();
          return TRUE;
        default:
          return FALSE;
      }
    case WM_DPICHANGED:
      (void)OnDialogDpiChanged(dialog, wParam, lParam);
      if (CList* list = CurrentList()) list->SetFont(LOWORD(wParam));
      return TRUE;
    case WM_NCDESTROY:
      gCurrent = nullptr;
      return FALSE;
    default:
      break;
  }
  if (message == WM_FW_COMMAND && LOWORD(wParam) == FW_IDC_KEY_LIST) {
    if (HIWORD(wParam) == kListDoubleClick) PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    if (HIWORD(wParam) == kListSelectionChanged) gFilter.ForgetKey();
    return Answer(dialog, 0);
  }
  if (message == WM_FW_HOTKEYQUERY) {
    if (lParam != 0) *reinterpret_cast<CHotKeyEdit**>(lParam) = gCurrent;
    return Answer(dialog, 0);
  }
  if (message == WM_FW_KEYCOMBOKEY) return OnKey(dialog, static_cast<unsigned>(wParam), static_cast<std::uint32_t>(lParam));
  return FALSE;
}
