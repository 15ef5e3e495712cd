// The hot-key field: an ordinary dialog edit control that shows a key
// combination and captures the one the user presses while it has the focus,
// with a small "+" button that opens the key-combination dialog.
//
// A hot-key value is 16 bits: the virtual key in the low byte (0 = none,
// 255 = modifiers only) and the RegisterHotKey modifiers in the high byte.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/hotkey/hotkey_core.h"
#include "framework/util/win_handles.h"

class CList;

// Owns the key list; defined with the dialog, which knows the list item.
struct KeyListDeleter {
  void operator()(CList* list) const noexcept;
};
[[nodiscard]] CList* MakeKeyList() noexcept;
// The list box of the key list, where the dialog's keys are typed.
[[nodiscard]] HWND KeyListBox(const CList* list) noexcept;

// The "+" button's control id, a child of the edit.
inline constexpr int kHotKeyButtonId = 1;

class CHotKeyEdit {
 public:
  // Nothing is made or registered here: objects may be constructed before
  // the application exists. CreateHotKeyEdit does the set-up.
  CHotKeyEdit() noexcept;
  ~CHotKeyEdit();
  CHotKeyEdit(const CHotKeyEdit&) = delete;
  CHotKeyEdit& operator=(const CHotKeyEdit&) = delete;

  // Explicit set-up on the UI thread: value 0, the key list made, and the
  // keyboard hook of that thread. 0 or an error status (the thread's last
  // error when the hook cannot be installed). A second call starts afresh.
  [[nodiscard]] std::uint32_t CreateHotKeyEdit() noexcept;
  void DestroyHotKeyEdit() noexcept;

  // Takes over the edit control (value 0 until SetHotKey) and gives it the
  // "+" button; false for none or when the button cannot be made.
  bool AttachHotKeyEdit(HWND edit) noexcept;
  void DetachHotKeyEdit() noexcept;

  // Stores the value and shows it in the attached edit.
  void SetHotKey(std::uint16_t value) noexcept;
  [[nodiscard]] std::uint16_t GetHotKey() const noexcept { return static_cast<std::uint16_t>(value_); }

  [[nodiscard]] HWND Edit() const noexcept { return edit_; }
  [[nodiscard]] HWND Button() const noexcept { return button_; }
  [[nodiscard]] bool HookInstalled() const noexcept { return hook_.Valid(); }

  // The key-combination dialog's view of the object: its key list (null
  // before CreateHotKeyEdit), the text that listed keys' virtual-key names
  // must contain (null: every key) and the boxes it may enable (bits 1 Alt,
  // 2 Ctrl, 4 Shift, 8 Windows).
  [[nodiscard]] CList* KeyList() const noexcept { return keyList_.get(); }
  [[nodiscard]] const char* NameFilter() const noexcept { return nameFilter_; }
  [[nodiscard]] std::uint8_t ModifierMask() const noexcept { return modifierMask_; }

  // Opens the key-combination dialog for this field, owned by owner, as the
  // "+" button does; the dialog's answer (IDOK, IDCANCEL), -1 when it could
  // not be shown.
  INT_PTR RunKeyCombinationDialog(HWND owner) noexcept;

 private:
  friend LRESULT CALLBACK HotKeyEditProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK HotKeyButtonProc(HWND, UINT, WPARAM, LPARAM);

  void OnButton() noexcept;

  std::uint32_t value_ = 0;
  HWND edit_ = nullptr;
  HWND button_ = nullptr;
  // Kept for a field that registers its own hot key; none does here.
  HWND registerWindow_ = nullptr;
  int registerId_ = 0;
  bool registered_ = false;
  WNDPROC oldEditProc_ = nullptr;
  WNDPROC oldButtonProc_ = nullptr;
  CHookHandle hook_;
  // Made by CreateHotKeyEdit: a list item joins the application's item list
  // when it is constructed.
  std::unique_ptr<CList, KeyListDeleter> keyList_;
  const char* nameFilter_ = nullptr;
  std::uint8_t modifierMask_ = 255;
};

LRESULT CALLBACK HotKeyEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HotKeyButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HotKeyKeyboardProc(int code, WPARAM wParam, LPARAM lParam);

// The key-combination dialog (resource 50104); its parameter is the field.
INT_PTR CALLBACK KeyCombinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Lists the keys for a key (0: every key, none selected).
void FillKeyCombinationList(HWND dialog, unsigned key) noexcept;
// Sets the dialog's field to the combination its selection and boxes give.
void ApplyKeyCombination(HWND dialog) noexcept;
