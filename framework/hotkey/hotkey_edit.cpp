#include "framework/hotkey/hotkey_edit.h"

#include "framework/object/application.h"
#include "framework/base/framework_messages.h"
#include "framework/app/res/framework_resource_ids.h"
#include "framework/util/status_codes.h"

namespace {

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | BS_FLAT;
// Clear the hidden-focus and active marks, so that the button draws as
// unfocused once more.
constexpr WPARAM kShowButtonUnfocused = MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_ACTIVE);

CHotKeyEdit* ObjectOf(HWND window) noexcept {
  return reinterpret_cast<CHotKeyEdit*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool AsyncKeyDown(unsigned key) { return (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) != 0; }

// The hot-key object a window stands for (a field, or the open dialog);
// other windows leave the answer null.
CHotKeyEdit* QueryHotKeyObject(HWND window, WPARAM wParam) noexcept {
  CHotKeyEdit* object = nullptr;
  SendMessageA(window, WM_FW_HOTKEYQUERY, wParam, reinterpret_cast<LPARAM>(&object));
  return object;
}

}  // namespace

CHotKeyEdit::CHotKeyEdit() noexcept = default;

CHotKeyEdit::~CHotKeyEdit() { DestroyHotKeyEdit(); }

std::uint32_t CHotKeyEdit::CreateHotKeyEdit() noexcept {
  DestroyHotKeyEdit();
  value_ = 0;
  registerWindow_ = nullptr;
  registerId_ = 0;
  registered_ = false;
  keyList_.reset(MakeKeyList());
  if (!keyList_) return kStatusOutOfMemory;
  hook_.Reset(SetWindowsHookExA(WH_KEYBOARD, &HotKeyKeyboardProc, nullptr, GetCurrentThreadId()));
  if (!hook_) {
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_HOOK_NOT_INSTALLED;
  }
  return kStatusOk;
}

void CHotKeyEdit::DestroyHotKeyEdit() noexcept {
  hook_.Reset();
  DetachHotKeyEdit();
  keyList_.reset();
}

bool CHotKeyEdit::AttachHotKeyEdit(HWND edit) noexcept {
  DetachHotKeyEdit();
  if (edit == nullptr || !IsWindow(edit)) return false;
  edit_ = edit;
  value_ = 0;
  SetWindowLongPtrA(edit, GWL_STYLE, GetWindowLongPtrA(edit, GWL_STYLE) | WS_CLIPCHILDREN);
  SetWindowLongPtrA(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  oldEditProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HotKeyEditProc)));
  RECT client{};
  GetClientRect(edit, &client);
  const int side = client.bottom - client.top;
  button_ = CreateWindowExA(0, "BUTTON", "+", kButtonStyle, client.right - side, 0, side, side, edit,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHotKeyButtonId)),
                            reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(edit, GWLP_HINSTANCE)), nullptr);
  if (button_ == nullptr) {
    DetachHotKeyEdit();
    return false;
  }
  SendMessageA(button_, WM_SETFONT, static_cast<WPARAM>(SendMessageA(edit, WM_GETFONT, 0, 0)), FALSE);
  SetWindowLongPtrA(button_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  oldButtonProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(button_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HotKeyButtonProc)));
  EnableWindow(button_, IsWindowEnabled(edit));
  return true;
}

void CHotKeyEdit::DetachHotKeyEdit() noexcept {
  if (edit_ == nullptr) return;
  if (button_ != nullptr) {
    // Its last messages still find the object and the procedure to pass to.
    DestroyWindow(button_);
    button_ = nullptr;
  }
  if (oldEditProc_ != nullptr && IsWindow(edit_)) {
    SetWindowLongPtrA(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldEditProc_));
    SetWindowLongPtrA(edit_, GWLP_USERDATA, 0);
  }
  oldEditProc_ = nullptr;
  oldButtonProc_ = nullptr;
  edit_ = nullptr;
}

void CHotKeyEdit::SetHotKey(std::uint16_t value) noexcept {
  value_ = value;
  if (edit_ == nullptr) return;
  SetWindowTextA(edit_, FormatHotKeyName(value));
  SendMessageA(edit_, EM_SETSEL, 128, 128);
}

INT_PTR CHotKeyEdit::RunKeyCombinationDialog(HWND owner) noexcept {
  nameFilter_ = nullptr;
  modifierMask_ = 255;
  return DialogBoxParamA(gApp.ResourceInstance(), MAKEINTRESOURCEA(FW_IDD_KEY_COMBINATION), owner,
                         &KeyCombinationDialogProc, reinterpret_cast<LPARAM>(this));
}

void CHotKeyEdit::OnButton() noexcept {
  const HWND edit = edit_;
  const std::uint32_t before = value_;
  (void)RunKeyCombinationDialog(GetParent(edit));
  if (edit_ != edit || !IsWindow(edit)) return;
  SetFocus(edit);
  // A page reads its fields when the focused control reports a change;
  // while the dialog was up the edit had no focus, so its own report of the
  // new text went unheard. Report it again now that it has the focus.
  if (value_ != before) {
    SendMessageA(GetParent(edit), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(edit), EN_CHANGE),
                 reinterpret_cast<LPARAM>(edit));
  }
}

LRESULT CALLBACK HotKeyEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CHotKeyEdit* self = ObjectOf(window);
  if (self == nullptr || self->oldEditProc_ == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  const WNDPROC old = self->oldEditProc_;
  switch (message) {
    case WM_DESTROY:
      self->DetachHotKeyEdit();
      break;
    case WM_SIZE: {
      const int width = LOWORD(lParam);
      const int height = HIWORD(lParam);
      if (self->button_ != nullptr) SetWindowPos(self->button_, nullptr, width - height, 0, height, height, SWP_NOZORDER);
      break;
    }
    case WM_ENABLE:
      if (self->button_ != nullptr) EnableWindow(self->button_, static_cast<BOOL>(wParam));
      break;
    case WM_SHOWWINDOW:
      self->SetHotKey(self->GetHotKey());
      break;
    case WM_GETDLGCODE:
      // Every key, Tab and Enter included, is a key for the field.
      return DLGC_WANTALLKEYS;
    case WM_COMMAND:
      if (LOWORD(wParam) == kHotKeyButtonId) self->OnButton();
      break;
    case WM_FW_HOTKEYQUERY:
      if (lParam != 0) *reinterpret_cast<CHotKeyEdit**>(lParam) = self;
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      return 0;  // the keyboard hook took the key; the field never types
    default:
      break;
  }
  return CallWindowProcA(old, window, message, wParam, lParam);
}

LRESULT CALLBACK HotKeyButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CHotKeyEdit* self = ObjectOf(window);
  const WNDPROC old = self != nullptr ? self->oldButtonProc_ : nullptr;
  if (old == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_KILLFOCUS) {
    SendMessageA(window, WM_UPDATEUISTATE, kShowButtonUnfocused, 0);
    // A dialog makes a focused push button its default one; it is not.
    SetWindowLongPtrA(window, GWL_STYLE, kButtonStyle);
    InvalidateRect(window, nullptr, TRUE);
  }
  return CallWindowProcA(old, window, message, wParam, lParam);
}

LRESULT CALLBACK HotKeyKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code != HC_ACTION) return CallNextHookEx(nullptr, code, wParam, lParam);
  const HWND focus = GetFocus();
  if (focus == nullptr) return CallNextHookEx(nullptr, code, wParam, lParam);
  if (CHotKeyEdit* field = QueryHotKeyObject(focus, 0)) {
    // Press and release alike: the modifiers held at the release decide.
    if (const auto value = HotKeyFromKeystroke(static_cast<unsigned>(wParam), HeldModifiers(&AsyncKeyDown))) {
      field->SetHotKey(*value);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  const HWND root = GetAncestor(focus, GA_ROOT);
  if (root != nullptr) {
    const CHotKeyEdit* owner = QueryHotKeyObject(root, wParam);
    if (owner != nullptr && owner->KeyList() != nullptr && focus == KeyListBox(owner->KeyList()) &&
        SendMessageA(root, WM_FW_KEYCOMBOKEY, wParam, lParam) == 1) {
      return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
