#include "framework/hotkey/key_names.h"

#include <array>

namespace {

// A key that the system's virtual-key list defines by name.
struct NamedKey {
  std::uint8_t code;
  const char* vkName;
  const char* description;
  const char* displayName;
};

// The codes the list leaves without a name, by the word it uses for them.
struct UnnamedRange {
  std::uint8_t first;
  std::uint8_t last;
  const char* description;
};

constexpr NamedKey kNamedKeys[] = {
    {0x00, "NONE", "None", ""},
    {0x01, "VK_LBUTTON", "Left mouse button", ""},
    {0x02, "VK_RBUTTON", "Right mouse button", ""},
    {0x03, "VK_CANCEL", "Control-break processing", "Break"},
    {0x04, "VK_MBUTTON", "Middle mouse button", ""},
    {0x05, "VK_XBUTTON1", "X1 mouse button", ""},
    {0x06, "VK_XBUTTON2", "X2 mouse button", ""},
    {0x08, "VK_BACK", "BACKSPACE key", "Backspace"},
    {0x09, "VK_TAB", "TAB key", "Tab"},
    {0x0C, "VK_CLEAR", "CLEAR key", "Clear"},
    {0x0D, "VK_RETURN", "ENTER key", "Enter"},
    {0x10, "VK_SHIFT", "SHIFT key", "Shift"},
    {0x11, "VK_CONTROL", "CTRL key", "Ctrl"},
    {0x12, "VK_MENU", "ALT key", "Alt"},
    {0x13, "VK_PAUSE", "PAUSE key", "Pause"},
    {0x14, "VK_CAPITAL", "CAPS LOCK key", "Caps Lock"},
    {0x15, "VK_KANA_HANGUL", "IME Kana / Hangul mode", ""},
    {0x17, "VK_JUNJA", "IME Junja mode", ""},
    {0x18, "VK_FINAL", "IME final mode", ""},
    {0x19, "VK_HANJA_KANJI", "IME Hanja / Kanji mode", ""},
    {0x1B, "VK_ESCAPE", "ESC key", "Esc"},
    {0x1C, "VK_CONVERT", "IME convert", ""},
    {0x1D, "VK_NONCONVERT", "IME nonconvert", ""},
    {0x1E, "VK_ACCEPT", "IME accept", ""},
    {0x1F, "VK_MODECHANGE", "IME mode change request", ""},
    {0x20, "VK_SPACE", "SPACEBAR", "Spacebar"},
    {0x21, "VK_PRIOR", "PAGE UP key", "Page Up"},
    {0x22, "VK_NEXT", "PAGE DOWN key", "Page Down"},
    {0x23, "VK_END", "END key", "End"},
    {0x24, "VK_HOME", "HOME key", "Home"},
    {0x25, "VK_LEFT", "LEFT ARROW key", "Left"},
    {0x26, "VK_UP", "UP ARROW key", "Up"},
    {0x27, "VK_RIGHT", "RIGHT ARROW key", "Right"},
    {0x28, "VK_DOWN", "DOWN ARROW key", "Down"},
    {0x29, "VK_SELECT", "SELECT key", "Select"},
    {0x2A, "VK_PRINT", "PRINT key", "Print"},
    {0x2B, "VK_EXECUTE", "EXECUTE key", "Excute"},
    {0x2C, "VK_SNAPSHOT", "PRINT SCREEN key", "Print Screen"},
    {0x2D, "VK_INSERT", "INS key", "Ins"},
    {0x2E, "VK_DELETE", "DEL key", "Del"},
    {0x2F, "VK_HELP", "HELP key", "Help"},
    {0x5B, "VK_LWIN", "Left Windows key", "Left Win"},
    {0x5C, "VK_RWIN", "Right Windows key", "Right Win"},
    {0x5D, "VK_APPS", "Applications key", "Applications"},
    {0x5F, "VK_SLEEP", "Computer Sleep key", "Sleep"},
    {0x6A, "VK_MULTIPLY", "Multiply key", "Numpad *"},
    {0x6B, "VK_ADD", "Add key", "Numpad +"},
    {0x6C, "VK_SEPARATOR", "Separator key", "Separator"},
    {0x6D, "VK_SUBTRACT", "Subtract key", "Numpad -"},
    {0x6E, "VK_DECIMAL", "Decimal key", "Numpad ,"},
    {0x6F, "VK_DIVIDE", "Divide key", "Numpad /"},
    {0x90, "VK_NUMLOCK", "NUM LOCK key", "Num Lock"},
    {0x91, "VK_SCROLL", "SCROLL LOCK key", "Scroll Lock"},
    {0xA0, "VK_LSHIFT", "Left SHIFT key", "Left Shift"},
    {0xA1, "VK_RSHIFT", "Right SHIFT key, FALSE", "Right Shift"},
    {0xA2, "VK_LCONTROL", "Left CONTROL key", "Left Ctrl"},
    {0xA3, "VK_RCONTROL", "Right CONTROL key", "Right Ctrl"},
    {0xA4, "VK_LMENU", "Left MENU key", "Left Alt"},
    {0xA5, "VK_RMENU", "Right MENU key", "Right Alt"},
    {0xA6, "VK_BROWSER_BACK", "Browser Back key", "Browser Back"},
    {0xA7, "VK_BROWSER_FORWARD", "Browser Forward key", "Browser Forward"},
    {0xA8, "VK_BROWSER_REFRESH", "Browser Refresh key", "Browser Refresh"},
    {0xA9, "VK_BROWSER_STOP", "Browser Stop key", "Browser Stop"},
    {0xAA, "VK_BROWSER_SEARCH", "Browser Search key", "Browser Search"},
    {0xAB, "VK_BROWSER_FAVORITES", "Browser Favorites key", "Browser Favorites"},
    {0xAC, "VK_BROWSER_HOME", "Browser Start and Home key", "Browser Home"},
    {0xAD, "VK_VOLUME_MUTE", "Volume Mute key", "Volume Mute"},
    {0xAE, "VK_VOLUME_DOWN", "Volume Down key", "Volume Down"},
    {0xAF, "VK_VOLUME_UP", "Volume Up key", "Volume Up"},
    {0xB0, "VK_MEDIA_NEXT_TRACK", "Next Track key", "Media Next Track"},
    {0xB1, "VK_MEDIA_PREV_TRACK", "Previous Track key", "Media Previous Track"},
    {0xB2, "VK_MEDIA_STOP", "Stop Media key", "Media Stop"},
    {0xB3, "VK_MEDIA_PLAY_PAUSE", "Play/Pause Media key", "Media Play / Pause"},
    {0xB4, "VK_LAUNCH_MAIL", "Start Mail key", "Start Mail"},
    {0xB5, "VK_LAUNCH_MEDIA_SELECT", "Select Media key", "Select Media"},
    {0xB6, "VK_LAUNCH_APP1", "Start Application 1 key", "Start Application 1"},
    {0xB7, "VK_LAUNCH_APP2", "Start Application 2 key", "Start Application 2"},
    {0xBA, "VK_OEM_1", "Misc. characters: US ';:' key", ""},
    {0xBB, "VK_OEM_PLUS", "The '+' key in every layout", ""},
    {0xBC, "VK_OEM_COMMA", "The ',' key in every layout", ""},
    {0xBD, "VK_OEM_MINUS", "The '-' key in every layout", ""},
    {0xBE, "VK_OEM_PERIOD", "The '.' key in every layout", ""},
    {0xBF, "VK_OEM_2", "Misc. characters: US '/?' key", ""},
    {0xC0, "VK_OEM_3", "Misc. characters: US '`~' key", ""},
    {0xDB, "VK_OEM_4", "Misc. characters: US '[{' key", ""},
    {0xDC, "VK_OEM_5", "Misc. characters: US '\\|' key", ""},
    {0xDD, "VK_OEM_6", "Misc. characters: US ']}' key", ""},
    {0xDE, "VK_OEM_7", "Misc. characters: US quote key", ""},
    {0xDF, "VK_OEM_8", "Keyboard specific", ""},
    {0xE2, "VK_OEM_102", "Keyboard specific", ""},
    {0xE5, "VK_PROCESSKEY", "IME PROCESS key", ""},
    {0xE7, "VK_PACKET", "Used to pass Unicode characters", ""},
    {0xF6, "VK_ATTN", "Attn key", ""},
    {0xF7, "VK_CRSEL", "CrSel key", ""},
    {0xF8, "VK_EXSEL", "ExSel key", ""},
    {0xF9, "VK_EREOF", "Erase EOF key", ""},
    {0xFA, "VK_PLAY", "Play key", ""},
    {0xFB, "VK_ZOOM", "Zoom key", ""},
    {0xFC, "VK_NONAME", "Reserved", ""},
    {0xFD, "VK_PA1", "PA1 key", ""},
    {0xFE, "VK_OEM_CLEAR", "Clear key", ""},
};

constexpr UnnamedRange kUnnamedRanges[] = {
    {0x07, 0x07, "Undefined"},    {0x0A, 0x0B, "Reserved"},     {0x0E, 0x0F, "Undefined"},
    {0x16, 0x16, "Undefined"},    {0x1A, 0x1A, "Undefined"},    {0x3A, 0x40, "Undefined"},
    {0x5E, 0x5E, "Reserved"},     {0x88, 0x8F, "Unassigned"},   {0x92, 0x96, "OEM specific"},
    {0x97, 0x9F, "Unassigned"},   {0xB8, 0xB9, "Reserved"},     {0xC1, 0xD7, "Reserved"},
    {0xD8, 0xDA, "Unassigned"},   {0xE0, 0xE0, "Reserved"},     {0xE1, 0xE1, "OEM specific"},
    {0xE3, 0xE4, "OEM specific"}, {0xE6, 0xE6, "OEM specific"}, {0xE8, 0xE8, "Unassigned"},
    {0xE9, 0xF5, "OEM specific"},
};

template <std::size_t N>
constexpr void Put(char (&dst)[N], const char* src) {
  std::size_t i = 0;
  for (; i + 1 < N && src[i] != '\0'; ++i) dst[i] = src[i];
  for (; i < N; ++i) dst[i] = '\0';
}

// "<prefix><n>" with n below 100.
template <std::size_t N>
constexpr void PutNumbered(char (&dst)[N], const char* prefix, int n, const char* suffix) {
  char text[N] = {};
  std::size_t i = 0;
  for (; prefix[i] != '\0'; ++i) text[i] = prefix[i];
  if (n >= 10) text[i++] = static_cast<char>('0' + n / 10);
  text[i++] = static_cast<char>('0' + n % 10);
  for (std::size_t k = 0; suffix[k] != '\0'; ++k) text[i++] = suffix[k];
  Put(dst, text);
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr std::array<KeyNameEntry, kKeyNameCount> BuildKeyNameTable() {
  std::array<KeyNameEntry, kKeyNameCount> table{};
  for (int code = 0; code < kKeyNameCount; ++code) {
    KeyNameEntry& e = table[static_cast<std::size_t>(code)];
    e.code = static_cast<std::uint8_t>(code);
    const char hex[5] = {'0', 'x', kHexDigits[code >> 4], kHexDigits[code & 15], '\0'};
    Put(e.vkName, hex);
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) {
      const char key[2] = {static_cast<char>(code), '\0'};
      Put(e.vkName, key);
      Put(e.displayName, key);
      const char description[7] = {static_cast<char>(code), ' ', 'k', 'e', 'y', '\0', '\0'};
      Put(e.description, description);
    } else if (code >= 0x60 && code <= 0x69) {
      PutNumbered(e.vkName, "VK_NUMPAD", code - 0x60, "");
      PutNumbered(e.description, "Numeric keypad ", code - 0x60, " key");
      PutNumbered(e.displayName, "Numpad ", code - 0x60, "");
    } else if (code >= 0x70 && code <= 0x87) {
      PutNumbered(e.vkName, "VK_F", code - 0x6F, "");
      PutNumbered(e.description, "F", code - 0x6F, " key");
      PutNumbered(e.displayName, "F", code - 0x6F, "");
    }
  }
  for (const UnnamedRange& range : kUnnamedRanges) {
    for (int code = range.first; code <= range.last; ++code) Put(table[static_cast<std::size_t>(code)].description, range.description);
  }
  for (const NamedKey& key : kNamedKeys) {
    KeyNameEntry& e = table[key.code];
    Put(e.vkName, key.vkName);
    Put(e.description, key.description);
    Put(e.displayName, key.displayName);
  }
  return table;
}

// Built while compiling: the table is ready before any code of the program
// runs, whatever the order in which globals are made.
constexpr std::array<KeyNameEntry, kKeyNameCount> kStoredKeyNames = BuildKeyNameTable();
std::array<KeyNameEntry, kKeyNameCount> gKeyNames = kStoredKeyNames;

constexpr std::size_t TextLength(const char* text, std::size_t capacity) {
  std::size_t n = 0;
  while (n < capacity && text[n] != '\0') ++n;
  return n;
}

// Every row of the stored table has a name and a description.
constexpr bool EveryRowNamed() {
  for (const KeyNameEntry& e : kStoredKeyNames) {
    if (e.vkName[0] == '\0' || e.description[0] == '\0') return false;
  }
  return true;
}
static_assert(EveryRowNamed());

bool IsPrintable(std::int32_t character) noexcept {
  return character >= 0x20 && character != 0x7F && character <= 0xFF;
}

}  // namespace

KeyNameEntry* KeyNameTable() noexcept { return gKeyNames.data(); }

const KeyNameEntry* FindKeyName(unsigned code) noexcept {
  return code < static_cast<unsigned>(kKeyNameCount) ? &gKeyNames[code] : nullptr;
}

const char* KeyShownName(unsigned code) noexcept {
  const KeyNameEntry* e = FindKeyName(code);
  if (e == nullptr) return nullptr;
  if (e->displayName[0] != '\0') return e->displayName;
  if (e->localName[0] != '\0') return e->localName;
  return e->vkName;
}

void CompleteKeyNameTable(KeyNameEntry* table, const KeyboardLayoutQueries& layout) noexcept {
  if (table == nullptr) return;
  // The layout's names can be long; only the first 31 characters are kept.
  char name[2600];
  for (int i = 0; i < kKeyNameCount; ++i) {
    KeyNameEntry& e = table[i];
    e.vkNameLength = static_cast<std::uint16_t>(TextLength(e.vkName, sizeof e.vkName));
    std::int32_t character = layout.keyCharacter != nullptr ? layout.keyCharacter(e.code) : 0;
    if (character < 0) character = 0;
    if (IsPrintable(character) && e.displayName[0] == '\0') {
      e.displayName[0] = static_cast<char>(character);
      e.displayName[1] = '\0';
    }
    if (layout.keyNameText == nullptr) continue;
    const std::uint32_t scan = layout.scanCode != nullptr ? layout.scanCode(e.code) : 0;
    // A code the layout maps to no scan code is no key of it; the layout's
    // name for scan code 0 belongs to something else.
    if (scan == 0) continue;
    const auto lParam = static_cast<std::int32_t>(scan << 16);
    name[0] = '\0';
    int length = layout.keyNameText(lParam, name, static_cast<int>(sizeof name));
    if (length <= 0) {
      name[0] = '\0';
      length = layout.keyNameText(lParam | (1 << 24), name, static_cast<int>(sizeof name));
    }
    if (length > 0 && name[0] != '\0') {
      name[sizeof name - 1] = '\0';
      std::size_t n = 0;
      for (; n + 1 < sizeof e.localName && name[n] != '\0'; ++n) e.localName[n] = name[n];
      e.localName[n] = '\0';
    }
  }
}
