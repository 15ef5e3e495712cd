// Minimal versions, for this test program, of the framework window's status
// text and re-layout and of the framework's message box: the status text and
// the re-layouts are remembered per window, and the message box is the
// system's, which the tests answer like any dialog.
#include "framework/app/tests/command_stand_ins.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <map>

#include "framework/app/message_box.h"
#include "framework/ui/frame_window.h"

namespace {

std::map<const CFrameWindow*, std::string> gHints;
std::map<const CFrameWindow*, int> gRelayouts;

}  // namespace

std::uint32_t CFrameWindow::SetStatusText(std::int32_t key, const char* text) noexcept {
  if (key == -2) gHints[this] = text != nullptr ? text : "";
  return 0;
}

void CFrameWindow::Relayout() noexcept { ++gRelayouts[this]; }

std::string HintOf(const CFrameWindow& frame) {
  const auto it = gHints.find(&frame);
  return it == gHints.end() ? std::string() : it->second;
}

int RelayoutCount(const CFrameWindow& frame) {
  const auto it = gRelayouts.find(&frame);
  return it == gRelayouts.end() ? 0 : it->second;
}

void ForgetFrameStandInState() {
  gHints.clear();
  gRelayouts.clear();
}

int ShowMessageBox(CApplication&, HWND parent, const char* caption, const char* format, std::uint32_t,
                   int focusControlId, ...) {
  char text[2048] = {};
  va_list args;
  va_start(args, focusControlId);
  if (format != nullptr) std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return MessageBoxA(parent, text, caption, MB_OK);
}
