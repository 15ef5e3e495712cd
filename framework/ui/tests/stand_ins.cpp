#include "framework/ui/tests/stand_ins.h"

#include <cstring>

#include "framework/app/app_exit.h"
#include "framework/app/application.h"
#include "framework/app/command_table.h"
#include "framework/app/help_tray.h"
#include "framework/app/message_box.h"
#include "framework/ui/frame_window.h"
#include "framework/util/status_codes.h"

namespace {

CommandRecord* Find(std::uint16_t id) {
  for (CommandRecord& r : gApp.commands) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

}  // namespace

StandInCalls& Calls() {
  static StandInCalls calls;
  return calls;
}

void RegisterWindowMenuCommands() {
  gApp.commands.Clear();
  for (unsigned id = 0xF100; id <= 0xF16B; ++id) {
    CommandRecord r{};
    r.id = static_cast<std::uint16_t>(id);
    r.flags = 0x1001;
    r.textId = r.id;
    (void)gApp.commands.Append(r);
  }
}

std::uint32_t CommandFlags(std::uint16_t id) {
  const CommandRecord* r = Find(id);
  return r != nullptr ? r->flags : 0;
}

std::uint32_t GetCommand(std::uint16_t id, CommandRecord* out) noexcept {
  const CommandRecord* r = Find(id);
  if (r == nullptr) return kStatusUnknownCommand;
  std::memcpy(out, r, sizeof *r);
  return kStatusOk;
}

std::uint32_t ReplaceCommandRecord(std::uint16_t id, const CommandRecord& record) noexcept {
  CommandRecord* r = Find(id);
  if (r == nullptr) return kStatusUnknownCommand;
  std::memcpy(r, &record, sizeof record);
  r->id = id;
  return kStatusOk;
}

std::uint32_t EnableCommand(std::uint16_t id, bool enable) noexcept {
  CommandRecord* r = Find(id);
  if (r == nullptr) return kStatusUnknownCommand;
  r->flags = enable ? (r->flags | 0x1u) : (r->flags & ~0x601u);
  return kStatusOk;
}

std::uint32_t SetCommandChecked(std::uint16_t id, bool checked) noexcept {
  CommandRecord* r = Find(id);
  if (r == nullptr) return kStatusUnknownCommand;
  r->flags = checked ? (r->flags | 0x800u) : (r->flags & ~0x800u);
  return kStatusOk;
}

void RefreshCommandItems(std::uint16_t, int, int) noexcept {}

CUIItem* ClosePopupMenu(CUIItem*) noexcept {
  gApp.openPopupItem = nullptr;
  return nullptr;
}

// The popup menus are not built yet: showing one fails.
CUIItem* ShowPopupMenu(std::uint16_t menuId, const POINT*, HWND owner) noexcept {
  Calls().popupMenus.push_back(menuId);
  Calls().popupOwner = owner;
  return nullptr;
}

int SetTrayIcon(std::uint16_t windowId, int iconId, const char*, ...) noexcept {
  if (iconId == -1) Calls().trayRemovals.push_back(windowId);
  return 1;
}

int ShowMessageBox(CApplication&, HWND, const char*, const char*, std::uint32_t, int, ...) {
  ++Calls().messageBoxes;
  return Calls().messageBoxAnswer;
}

int RequestExit(int mode, const char*, int broadcast) noexcept {
  Calls().exitModes.push_back(mode);
  return broadcast;
}

void SaveAppState() noexcept {
  for (CFrameWindow* frame : gApp.windows) frame->SaveFramePlacement();
  ++Calls().stateSaves;
}

bool IsSettingsVersionCurrent() noexcept { return gApp.settingsVersionChanged == 0; }

void SetColorScheme(int mode) noexcept { gApp.settings.colorSchemeMode = static_cast<std::uint8_t>(mode); }

bool SetWindowOpacity(HWND window, int percent, std::uint8_t clickThrough) noexcept {
  LONG ex = GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_TRANSPARENT;
  if (percent == 0) {
    SetWindowLongA(window, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
    return true;
  }
  ex |= WS_EX_LAYERED | (clickThrough != 0 ? WS_EX_TRANSPARENT : 0);
  SetWindowLongA(window, GWL_EXSTYLE, ex);
  SetLayeredWindowAttributes(window, 0, static_cast<BYTE>((100 - percent) * 255 / 100), LWA_ALPHA);
  return GetWindowLongA(window, GWL_EXSTYLE) == ex;
}

void RefreshNonClientAreas() noexcept {
  for (CFrameWindow* frame : gApp.windows) {
    SendMessageA(frame->window, WM_NCACTIVATE, 0, 0);
    if ((frame->flags & kFrameNoCaption) != 0) SendMessageA(frame->window, WM_NCPAINT, 0, 0);
  }
}
