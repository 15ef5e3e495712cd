#include "framework/hotkey/hotkey_edit.h"

#include <cstdio>
#include <cstring>

#include "framework/hotkey/key_names.h"

// Placeholder until the field captures keys: it shows values, nothing more.

CHotKeyEdit::~CHotKeyEdit() { DetachHotKeyEdit(); }

std::uint32_t CHotKeyEdit::CreateHotKeyEdit() noexcept { return 0; }

void CHotKeyEdit::DestroyHotKeyEdit() noexcept { DetachHotKeyEdit(); }

bool CHotKeyEdit::AttachHotKeyEdit(HWND edit) noexcept {
  DetachHotKeyEdit();
  if (edit == nullptr) return false;
  edit_ = edit;
  value_ = 0;
  return true;
}

void CHotKeyEdit::DetachHotKeyEdit() noexcept { edit_ = nullptr; }

void CHotKeyEdit::SetHotKey(std::uint16_t value) noexcept {
  value_ = value;
  if (edit_ == nullptr) return;
  SetWindowTextA(edit_, FormatHotKeyName(value));
  SendMessageA(edit_, EM_SETSEL, 128, 128);
}

const char* FormatHotKeyName(std::uint16_t value) noexcept {
  static char text[260];
  text[0] = '\0';
  struct Modifier {
    std::uint16_t bit;
    unsigned code;
  };
  constexpr Modifier kOrder[] = {{kHotKeyCtrl, 17}, {kHotKeyShift, 16}, {kHotKeyAlt, 18}, {kHotKeyWin, 91}};
  for (const Modifier& m : kOrder) {
    if ((value & m.bit) == 0) continue;
    const KeyNameEntry* row = FindKeyName(m.code);
    std::strncat(text, row != nullptr ? row->localName : "", sizeof text - std::strlen(text) - 1);
    std::strncat(text, " + ", sizeof text - std::strlen(text) - 1);
  }
  const unsigned key = value & 0xFFu;
  if (key != 255) {
    const char* name = KeyShownName(key);
    std::strncat(text, name != nullptr ? name : "", sizeof text - std::strlen(text) - 1);
  }
  return text;
}
