#include "framework/ui/window_list.h"

#include <new>

#include "framework/app/exit_request.h"
#include "framework/object/application.h"
#include "framework/app/commands.h"
#include "framework/app/save_report.h"
#include "framework/base/framework_messages.h"
#include "framework/store/config_file.h"
#include "framework/ui/bar.h"
#include "framework/ui/frame_window.h"
#include "framework/util/status_codes.h"

namespace {

constexpr char kAppStateRecord[] = "(Orvo)App";

int IndexOf(const CFrameWindow* frame) noexcept {
  for (int i = 0; i < gApp.windows.Count(); ++i) {
    if (gApp.windows[i] == frame) return i;
  }
  return -1;
}

// A dialog runs over the framework windows: each shows the modal depth.
void TellFramesModalDepth(int depth) noexcept {
  for (CFrameWindow* frame : gApp.windows) {
    if (frame->window != nullptr) {
      SendMessageA(frame->window, WM_FW_MODALDEPTH, static_cast<WPARAM>(depth), 0);
    }
  }
}

void DestroyHiddenWindow(HWND& window) noexcept {
  if (window != nullptr) DestroyWindow(window);
  window = nullptr;
}

}  // namespace

int CreateAppWindow(std::uint16_t id, WNDPROC windowProc, const char* title, std::uint16_t iconId,
                    std::uint32_t flags, int x, int y, int width, int height) noexcept {
  auto* frame = new (std::nothrow) CFrameWindow;
  if (frame == nullptr) return -1;
  // A new object's id, 0xFFFF, sorts after every other: the list keeps
  // creation order.
  const std::int32_t index = gApp.windows.Append(frame);
  if (index < 0) {
    delete frame;
    return -1;
  }
  if (gApp.theme.firstFrameWindow == nullptr) gApp.theme.firstFrameWindow = &FirstFrameWindowHandle;
  SetModalDepthListener(&TellFramesModalDepth);
  if (frame->CreateFrameWindow(id, windowProc, title, iconId, flags, x, y, width, height) != kStatusOk) {
    // Destroyed while still listed, so that whatever it removes (its tray
    // icon) still finds it.
    frame->DestroyFrame();
    gApp.windows.RemoveAt(IndexOf(frame));
    delete frame;
    return -1;
  }
  return index;
}

void DestroyAllWindows() {
  // The hidden window owns the framework windows, so they may go with it:
  // each clears its handle as it goes and is destroyed only once.
  DestroyHiddenWindow(gApp.tooltipWindow);
  DestroyHiddenWindow(gApp.appWindow);
  DestroyAllBars();
  while (gApp.windows.Count() > 0) {
    const std::uint16_t id = gApp.windows[gApp.windows.Count() - 1]->id;
    int first = 0;
    while (gApp.windows[first]->id != id) ++first;
    CFrameWindow* frame = gApp.windows[first];
    frame->DestroyFrame();
    gApp.windows.RemoveAt(first);
    delete frame;
  }
  if (gApp.noStateSave == 0) SaveAppState();
}

HWND FirstFrameWindowHandle() noexcept { return gApp.windows.Count() > 0 ? gApp.windows[0]->window : nullptr; }

void RequestHelpTopic(const char* topic) noexcept {
  if (const HWND frame = FirstFrameWindowHandle()) {
    SendMessageA(frame, WM_FW_HELPREQUEST, reinterpret_cast<WPARAM>(topic), 0);
  }
}

void SaveAppState() noexcept {
  if (gApp.settingsLoaded == 0 || gApp.noStateSave != 0) return;
  for (int i = 0; i < gApp.windows.Count(); ++i) gApp.windows[i]->SaveFramePlacement();
  for (const CBar* bar : gApp.bars) bar->SaveBarPosition();
  // A failed write keeps the previous record: it is replaced atomically.
  ReportRecordWrite(WriteConfigFileChecked(kAppStateRecord, -1, &gApp.settings, sizeof gApp.settings, 0),
                    kAppStateRecord, -1, 0, SaveOccasion::kBackground);
}

void SetColorScheme(int mode) noexcept {
  gApp.settings.colorSchemeMode = static_cast<std::uint8_t>(mode);
  ComputeAppColours();
  (void)ThemeReloadIcons(gApp.theme);
  constexpr UINT kRedraw = RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_INVALIDATE;
  for (CFrameWindow* frame : gApp.windows) {
    if (frame->window != nullptr) RedrawWindow(frame->window, nullptr, nullptr, kRedraw);
  }
  for (CBar* bar : gApp.bars) {
    if (bar->window != nullptr) RedrawWindow(bar->window, nullptr, nullptr, kRedraw);
  }
}

void RefreshNonClientAreas() noexcept {
  for (CFrameWindow* frame : gApp.windows) {
    SendMessageA(frame->window, WM_NCACTIVATE, 0, 0);
    if ((frame->flags & kFrameNoCaption) != 0) SendMessageA(frame->window, WM_NCPAINT, 0, 0);
  }
  for (CBar* bar : gApp.bars) SendMessageA(bar->window, WM_NCACTIVATE, 0, 0);
}
