#include "framework/hotkey/hotkey_core.h"

#include <cstring>

bool IsHeldModifierKey(unsigned key) noexcept {
  return key == hotkey_vk::kShift || key == hotkey_vk::kControl || key == hotkey_vk::kMenu || key == hotkey_vk::kLWin;
}

std::uint8_t HeldModifiers(KeyDownQuery isDown) noexcept {
  if (isDown == nullptr) return 0;
  std::uint8_t m = 0;
  if (isDown(hotkey_vk::kControl)) m |= kModCtrl;
  if (isDown(hotkey_vk::kShift)) m |= kModShift;
  if (isDown(hotkey_vk::kMenu)) m |= kModAlt;
  if (isDown(hotkey_vk::kLWin)) m |= kModWin;
  return m;
}

std::optional<std::uint16_t> HotKeyFromKeystroke(unsigned key, std::uint8_t modifiers) noexcept {
  key &= 0xFFu;
  if (IsHeldModifierKey(key)) return std::nullopt;
  return MakeHotKey(modifiers, key == hotkey_vk::kBack ? 0 : key);
}

std::uint16_t ChooseKeyCombination(const std::uint32_t* codes, int count, std::uint8_t boxModifiers) noexcept {
  if (codes == nullptr || count <= 0) return 0;
  constexpr unsigned kNone = 0x100;
  unsigned shift = kNone, ctrl = kNone, alt = kNone, win = kNone, main = kNone;
  const auto first = [](unsigned& slot, unsigned code) {
    if (slot == kNone) slot = code;
  };
  for (int i = 0; i < count; ++i) {
    const unsigned code = codes[i] & 0xFFu;
    switch (code) {
      case hotkey_vk::kShift:
      case hotkey_vk::kLShift:
      case hotkey_vk::kRShift:
        first(shift, code);
        break;
      case hotkey_vk::kControl:
      case hotkey_vk::kLControl:
      case hotkey_vk::kRControl:
        first(ctrl, code);
        break;
      case hotkey_vk::kMenu:
      case hotkey_vk::kLMenu:
      case hotkey_vk::kRMenu:
        first(alt, code);
        break;
      case hotkey_vk::kLWin:
      case hotkey_vk::kRWin:
        first(win, code);
        break;
      default:
        main = code;
        break;
    }
  }
  // The other kinds selected beside the one that becomes the key.
  const std::uint8_t withCtrl = ctrl != kNone ? kModCtrl : 0;
  const std::uint8_t withShift = shift != kNone ? kModShift : 0;
  const std::uint8_t withAlt = alt != kNone ? kModAlt : 0;
  const std::uint8_t m = boxModifiers;
  if (main != kNone) return MakeHotKey(m, main);
  if (win != kNone) return MakeHotKey((m & ~kModWin) | withCtrl | withShift | withAlt, win);
  if (alt != kNone) return MakeHotKey((m & ~kModAlt) | withCtrl | withShift, alt);
  if (shift != kNone) return MakeHotKey((m & ~kModShift) | withCtrl, shift);
  return MakeHotKey(m & ~kModCtrl, ctrl);
}

KeyComboAction CKeyComboFilter::OnKey(unsigned key, std::uint32_t flags, std::uint8_t modifiers) noexcept {
  KeyComboAction action;
  if (hasEvent_ && key == lastEventKey_ && flags == lastEventFlags_) return action;
  hasEvent_ = true;
  lastEventKey_ = key;
  lastEventFlags_ = flags;
  if (key == hotkey_vk::kEscape) {
    if (escCount_ >= 3) {
      action.cancel = true;
      escCount_ = 0;
    } else {
      ++escCount_;
    }
  } else {
    escCount_ = 0;
  }
  if (hasKey_ && key == lastKey_ && modifiers == lastModifiers_) return action;
  hasKey_ = true;
  lastKey_ = key;
  lastModifiers_ = modifiers;
  action.setBoxes = !IsHeldModifierKey(key);
  constexpr std::uint32_t kReleased = 0x80000000u;
  action.fill = (flags & kReleased) == 0 || key == hotkey_vk::kSnapshot;
  return action;
}

bool KeyComboCandidates(const std::uint8_t keyState[256], unsigned key, bool candidate[kKeyNameCount]) noexcept {
  bool any = false;
  if (key != 0 && keyState != nullptr) {
    for (unsigned code = 0; code < static_cast<unsigned>(kKeyNameCount); ++code) {
      candidate[code] = code == key || (keyState[code] & 0x80u) != 0;
      any = any || candidate[code];
    }
  }
  if (!any) {
    for (int code = 0; code < kKeyNameCount; ++code) candidate[code] = true;
  }
  return any;
}

const char* FormatHotKeyName(std::uint16_t value) noexcept {
  static char text[260];
  text[0] = '\0';
  const auto append = [](const char* part) {
    if (part != nullptr) std::strncat(text, part, sizeof text - std::strlen(text) - 1);
  };
  struct Modifier {
    std::uint16_t bit;
    unsigned code;
  };
  constexpr Modifier kOrder[] = {{kHotKeyCtrl, hotkey_vk::kControl},
                                 {kHotKeyShift, hotkey_vk::kShift},
                                 {kHotKeyAlt, hotkey_vk::kMenu},
                                 {kHotKeyWin, hotkey_vk::kLWin}};
  for (const Modifier& m : kOrder) {
    if ((value & m.bit) == 0) continue;
    const KeyNameEntry* row = FindKeyName(m.code);
    append(row != nullptr ? row->localName : nullptr);
    append(" + ");
  }
  const unsigned key = value & 0xFFu;
  if (key != 255) append(KeyShownName(key));
  return text;
}
