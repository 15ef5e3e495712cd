// The key-name table: one row per virtual-key code 0..254 with the names the
// hot-key field and the key-combination dialog show. The display, virtual-key
// and description columns are fixed; start-up completes the rest from the
// keyboard layout of the running system.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int kKeyNameCount = 255;  // codes 0..254; 255 means "no key"

#pragma pack(push, 1)
struct KeyNameEntry {
  std::uint8_t code;
  char displayName[32];  // mostly empty; start-up puts a printable key's character here
  char vkName[32];       // "VK_BACK", "A", "0x07", ...
  char description[33];
  char localName[32];  // the layout's own name of the key, from start-up
  std::uint16_t vkNameLength;  // from start-up
};
#pragma pack(pop)
static_assert(sizeof(KeyNameEntry) == 132, "a key-name row is 132 bytes");
static_assert(offsetof(KeyNameEntry, vkName) == 33);
static_assert(offsetof(KeyNameEntry, localName) == 98);
static_assert(offsetof(KeyNameEntry, vkNameLength) == 130);

// The process's table, kKeyNameCount rows indexed by code.
[[nodiscard]] KeyNameEntry* KeyNameTable() noexcept;

// The row of a code, or null for 255 and above.
[[nodiscard]] const KeyNameEntry* FindKeyName(unsigned code) noexcept;

// The name a key is shown with: its display name, else the layout's name,
// else its virtual-key name. Null for 255 and above.
[[nodiscard]] const char* KeyShownName(unsigned code) noexcept;

// What completing the table asks of the keyboard layout; the program passes
// the system's functions, tests pass their own.
struct KeyboardLayoutQueries {
  // The unshifted character of a key; negative for a dead key, 0 for none.
  std::int32_t (*keyCharacter)(std::uint32_t code) = nullptr;
  std::uint32_t (*scanCode)(std::uint32_t code) = nullptr;
  // The key's name for a keystroke lParam (scan code in bits 16..23, bit 24
  // the extended-key flag) into out; its length, 0 when it has none.
  int (*keyNameText)(std::int32_t lParam, char* out, int capacity) = nullptr;
};

// Fills every row's name length, gives a row without a display name the
// key's printable character, and takes the layout's name of each key (asked
// once more as an extended key when the plain scan code has no name).
void CompleteKeyNameTable(KeyNameEntry* table, const KeyboardLayoutQueries& layout) noexcept;
