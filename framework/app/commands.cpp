#include "framework/app/commands.h"

#include "framework/object/application.h"
#include "framework/app/standard_commands.h"

namespace {

ModalDepthListener gModalDepthListener = nullptr;

}  // namespace

// ---- the table ---------------------------------------------------------------

std::int32_t AddCommand(std::uint16_t id, CommandKind kind, std::uint32_t flags, std::uint16_t iconId,
                        std::uint16_t textId, void* value, float param1, float param2) noexcept {
  return InsertCommandRecord(gApp.commands, MakeCommandRecord(id, kind, flags, iconId, textId, value, param1, param2));
}

std::int32_t FindCommandIndex(std::uint16_t id) noexcept { return FindCommandIndex(gApp.commands, id); }

std::uint32_t GetCommand(std::uint16_t id, CommandRecord* out) noexcept {
  const CommandRecord* record = FindCommand(gApp.commands, id);
  if (record == nullptr) return kStatusUnknownCommand;
  if (out != nullptr) *out = *record;
  return kStatusOk;
}

std::uint32_t RegisterStandardCommands() noexcept {
  int count = 0;
  const StandardCommandStep* steps = StandardCommandSteps(&count);
  for (int i = 0; i < count; ++i) {
    const StandardCommandStep& s = steps[i];
    switch (s.step) {
      case StandardStep::kIcon:
        if (ThemeAddIcon(gApp.theme, s.id, s.iconResource, 0, 0, nullptr) != kStatusOk) {
          return kStatusStandardIconNotAdded;
        }
        break;
      case StandardStep::kOwnerDrawnIcon:
        if (ThemeAddIcon(gApp.theme, s.id, reinterpret_cast<std::uintptr_t>(OwnerDrawnIconSize()), kIconOwnerDrawn,
                         0, nullptr) != kStatusOk) {
          return kStatusStandardIconNotAdded;
        }
        break;
      case StandardStep::kCommand:
        if (AddCommand(s.id, s.kind, s.flags, s.iconId, s.textId, s.entries) < 0) {
          return kStatusStandardCommandNotAdded;
        }
        break;
    }
  }
  return kStatusOk;
}

// ---- the application's windows ---------------------------------------------------

void ChangeModalDepth(bool entering) noexcept {
  if (entering) {
    ++gApp.modalDepth;
  } else if (gApp.modalDepth > 0) {
    --gApp.modalDepth;
  }
  if (gModalDepthListener != nullptr) gModalDepthListener(gApp.modalDepth);
}

void SetModalDepthListener(ModalDepthListener listener) noexcept { gModalDepthListener = listener; }

HWND GetOwnForegroundWindow() noexcept {
  HWND foreground = GetForegroundWindow();
  DWORD process = 0;
  if (foreground == nullptr) return nullptr;
  GetWindowThreadProcessId(foreground, &process);
  return process == GetCurrentProcessId() ? foreground : nullptr;
}
