#include "framework/app/standard_commands.h"

namespace {

// The submenus' entries; the popups' value pointers point here.
std::uint16_t gCaptionEntries[] = {0xF121, 0xF122, 0xF123, 0xF124, kCommandListEnd};
std::uint16_t gColorEntries[] = {0xF131, 0xF132, 0xF133, kCommandListEnd};
std::uint16_t gCustomColorEntries[] = {0xF134, 0xF135, 0xF136, 0xF137, kCommandListEnd};
std::uint16_t gFontEntries[] = {0xF141, 0xF142, kCommandListEnd};
std::uint16_t gLockEntries[] = {0xF151, 0xF152, 0xF153, 0xF154, 0xF155, kSeparatorCommandId, 0xF156, kCommandListEnd};
std::uint16_t gTransparencyEntries[] = {0xF161, kSeparatorCommandId, 0xF162, 0xF163, 0xF164, 0xF165, 0xF166,
                                        0xF167, 0xF168, 0xF169, 0xF16A, kSeparatorCommandId, 0xF16B,
                                        kCommandListEnd};

int gOwnerDrawnIconSize[2] = {16, 16};

constexpr std::uint16_t kOwn = kSameIdAsCommand;

constexpr StandardCommandStep Icon(std::uint16_t id, std::uint16_t resource) {
  return {StandardStep::kIcon, id, resource, CommandKind::kButton, 0, 0, 0, nullptr};
}
constexpr StandardCommandStep OwnerDrawnIcon(std::uint16_t id) {
  return {StandardStep::kOwnerDrawnIcon, id, 0, CommandKind::kButton, 0, 0, 0, nullptr};
}
constexpr StandardCommandStep Command(std::uint16_t id, CommandKind kind, std::uint32_t flags, std::uint16_t iconId,
                                      std::uint16_t textId, std::uint16_t* entries = nullptr) {
  return {StandardStep::kCommand, id, 0, kind, flags, iconId, textId, entries};
}
constexpr StandardCommandStep Button(std::uint16_t id) { return Command(id, CommandKind::kButton, 128, 0, kOwn); }
constexpr StandardCommandStep Menu(std::uint16_t id, std::uint16_t* entries) {
  return Command(id, CommandKind::kPopup, 384, kOwn, kOwn, entries);
}

const StandardCommandStep kSteps[] = {
    Command(0xF000, CommandKind::kSeparator, 4, 0, 0xF000),
    Command(0xF001, CommandKind::kSeparator, kCommandSplitPopup, 0, 0xF001),
    Command(0xF100, CommandKind::kPopup, 128, 0, 0xF002),  // the bars' overflow popup " * "
    Command(0xF105, CommandKind::kPopup, 128, 0, 0xF105),  // the window menu; its entries are set per opening
    Icon(0xF110, 0xC354),
    Command(0xF110, CommandKind::kButton, 384, kOwn, kOwn),
    Icon(0xF111, 0xC355),
    Command(0xF111, CommandKind::kButton, 384, kOwn, kOwn),
    Icon(0xF120, 0xC350),
    Menu(0xF120, gCaptionEntries),
    Button(0xF121), Button(0xF122), Button(0xF123), Button(0xF124),
    Icon(0xF130, 0xC351),
    Menu(0xF130, gColorEntries),
    Button(0xF131), Button(0xF132),
    Command(0xF133, CommandKind::kPopup, kCommandSplitPopup, 0, kOwn, gCustomColorEntries),
    OwnerDrawnIcon(0xF134), Command(0xF134, CommandKind::kButton, 384, kOwn, kOwn),
    OwnerDrawnIcon(0xF135), Command(0xF135, CommandKind::kButton, 384, kOwn, kOwn),
    OwnerDrawnIcon(0xF136), Command(0xF136, CommandKind::kButton, 384, kOwn, kOwn),
    OwnerDrawnIcon(0xF137), Command(0xF137, CommandKind::kButton, 384, kOwn, kOwn),
    Icon(0xF140, 0xC352),
    Menu(0xF140, gFontEntries),
    Button(0xF141), Button(0xF142),
    Icon(0xF150, 0xC353),
    Menu(0xF150, gLockEntries),
    Button(0xF151), Button(0xF152), Button(0xF153), Button(0xF154), Button(0xF155), Button(0xF156),
    Icon(0xF160, 0xC356),
    Menu(0xF160, gTransparencyEntries),
    Button(0xF161), Button(0xF162), Button(0xF163), Button(0xF164), Button(0xF165), Button(0xF166),
    Button(0xF167), Button(0xF168), Button(0xF169), Button(0xF16A), Button(0xF16B),
    // The brush-size item's icons, without a command.
    Icon(0xF16C, 0xC357),
    Icon(0xF16D, 0xC358),
};

}  // namespace

const StandardCommandStep* StandardCommandSteps(int* count) noexcept {
  if (count != nullptr) *count = static_cast<int>(sizeof kSteps / sizeof kSteps[0]);
  return kSteps;
}

int* OwnerDrawnIconSize() noexcept { return gOwnerDrawnIconSize; }
