#include "framework/hotkey/key_names_win32.h"

#include <windows.h>

namespace {

std::int32_t SystemKeyCharacter(std::uint32_t code) {
  // A dead key comes back with its top bit set: as a signed value, negative.
  return static_cast<std::int32_t>(MapVirtualKeyA(code, MAPVK_VK_TO_CHAR));
}

std::uint32_t SystemScanCode(std::uint32_t code) { return MapVirtualKeyA(code, MAPVK_VK_TO_VSC); }

int SystemKeyNameText(std::int32_t lParam, char* out, int capacity) {
  return GetKeyNameTextA(static_cast<LONG>(lParam), out, capacity);
}

}  // namespace

void CompleteKeyNameTable() noexcept {
  KeyboardLayoutQueries layout;
  layout.keyCharacter = SystemKeyCharacter;
  layout.scanCode = SystemScanCode;
  layout.keyNameText = SystemKeyNameText;
  CompleteKeyNameTable(KeyNameTable(), layout);
}
