// The hot-key field's decisions over plain data: the value a keystroke
// gives, the combination the key-combination dialog's selection gives, the
// dialog's handling of the keys it sees, and the text a value is shown with.
//
// A hot-key value is 16 bits: the virtual key in the low byte (0 = none,
// 255 = modifiers only) and the RegisterHotKey modifiers in the high byte.
#pragma once

#include <cstdint>
#include <optional>

#include "framework/hotkey/key_names.h"

// Modifier bits of the high byte (MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN).
inline constexpr std::uint8_t kModAlt = 0x01;
inline constexpr std::uint8_t kModCtrl = 0x02;
inline constexpr std::uint8_t kModShift = 0x04;
inline constexpr std::uint8_t kModWin = 0x08;
inline constexpr std::uint16_t kHotKeyAlt = kModAlt << 8;
inline constexpr std::uint16_t kHotKeyCtrl = kModCtrl << 8;
inline constexpr std::uint16_t kHotKeyShift = kModShift << 8;
inline constexpr std::uint16_t kHotKeyWin = kModWin << 8;

// The virtual keys the decisions look at.
namespace hotkey_vk {
inline constexpr unsigned kBack = 0x08;
inline constexpr unsigned kShift = 0x10;
inline constexpr unsigned kControl = 0x11;
inline constexpr unsigned kMenu = 0x12;
inline constexpr unsigned kEscape = 0x1B;
inline constexpr unsigned kSnapshot = 0x2C;
inline constexpr unsigned kLWin = 0x5B;
inline constexpr unsigned kRWin = 0x5C;
inline constexpr unsigned kLShift = 0xA0;
inline constexpr unsigned kRShift = 0xA1;
inline constexpr unsigned kLControl = 0xA2;
inline constexpr unsigned kRControl = 0xA3;
inline constexpr unsigned kLMenu = 0xA4;
inline constexpr unsigned kRMenu = 0xA5;
}  // namespace hotkey_vk

[[nodiscard]] constexpr std::uint16_t MakeHotKey(std::uint8_t modifiers, unsigned key) noexcept {
  return static_cast<std::uint16_t>(modifiers << 8 | (key & 0xFFu));
}

// Shift, Ctrl, Alt and the left Windows key: pressed alone they are part of
// the next combination, not one of their own. The right Windows key is not
// among them, so it can be a hot key by itself.
[[nodiscard]] bool IsHeldModifierKey(unsigned key) noexcept;

// The modifiers held, asked key by key (Ctrl, Shift, Alt, left Windows).
using KeyDownQuery = bool (*)(unsigned key);
[[nodiscard]] std::uint8_t HeldModifiers(KeyDownQuery isDown) noexcept;

// The value a keystroke in the field gives with the modifiers held, or none
// for a modifier key alone. Backspace clears the key but keeps the modifiers.
[[nodiscard]] std::optional<std::uint16_t> HotKeyFromKeystroke(unsigned key, std::uint8_t modifiers) noexcept;

// The dialog's choice from its selected codes and the modifiers of its
// boxes: any ordinary key (the last wins) with the boxes' modifiers; else a
// modifier key itself as the key, the other selected modifier kinds added
// (Windows over Alt over Shift over Ctrl as the key). Nothing selected: 0.
[[nodiscard]] std::uint16_t ChooseKeyCombination(const std::uint32_t* codes, int count,
                                                 std::uint8_t boxModifiers) noexcept;

// What the dialog does with a key event its list saw.
struct KeyComboAction {
  bool cancel = false;    // the Esc that ends the dialog
  bool setBoxes = false;  // show the held modifiers in the boxes
  bool fill = false;      // list the keys held down
};

// The dialog's memory of the key events: a repeated event does nothing,
// Esc ends the dialog only after three Esc events before it in a row (so a
// stray Esc meant for the field does not throw the choice away), and the
// list follows a change of key or modifiers.
class CKeyComboFilter {
 public:
  // The dialog opens: nothing remembered.
  void Reset() noexcept { *this = CKeyComboFilter(); }
  // The selection was changed by other means: the next key lists again.
  void ForgetKey() noexcept { hasKey_ = false; }
  // flags: the keystroke flags of the hook (bit 31 set on a release).
  [[nodiscard]] KeyComboAction OnKey(unsigned key, std::uint32_t flags, std::uint8_t modifiers) noexcept;

 private:
  bool hasEvent_ = false;
  unsigned lastEventKey_ = 0;
  std::uint32_t lastEventFlags_ = 0;
  int escCount_ = 0;
  bool hasKey_ = false;
  unsigned lastKey_ = 0;
  std::uint8_t lastModifiers_ = 0;
};

// The rows the dialog lists for a key (0: none) with the keyboard state
// (256 bytes, bit 7 set for a key down): the key and every other key down,
// all selected; with key 0, or nothing down, every code unselected. Marks
// candidate[code] for codes 0..254; whether the rows are selected.
bool KeyComboCandidates(const std::uint8_t keyState[256], unsigned key, bool candidate[kKeyNameCount]) noexcept;

// The text a value is shown with: the layout's names of the modifiers
// ("Ctrl + Shift + ") and the key's shown name, "NONE" for 0. A
// process-wide buffer overwritten by each call.
[[nodiscard]] const char* FormatHotKeyName(std::uint16_t value) noexcept;
