// Test doubles of the framework-window and command-table services that the
// hidden window, the loop and the exit call. The tests make no framework
// windows, so the window operations are never reached.
#include <vector>

#include "framework/app/app_exit.h"
#include "framework/app/application.h"
#include "framework/app/command_table.h"
#include "framework/app/tests/frame_list_doubles.h"
#include "framework/ui/frame_window.h"

std::vector<SentMessage> gSentToActiveWindow;

LRESULT SendToActiveWindow(UINT message, WPARAM wParam, LPARAM lParam) {
  gSentToActiveWindow.push_back(SentMessage{message, wParam, lParam});
  return 0;
}
void SetSizingCursor(int) {}
int NavigateBarItems(int) { return 1; }
void* ClosePopupMenu(CUIItem*) { return nullptr; }

void CFrameWindow::MoveFrame(int, int, int, int, int) {}
void CFrameWindow::SetFramePos(const RECT&, int) {}
void CFrameWindow::SetFrameOpacityMode(int) {}
bool CFrameWindow::MoveFocusToNextTabStop(int) { return false; }
void CFrameWindow::SaveFramePlacement() {}

// With no framework windows and no bars, destroying them all leaves the two
// hidden windows and the state.
void DestroyAllWindows() {
  if (gApp.tooltipWindow != nullptr) DestroyWindow(gApp.tooltipWindow);
  if (gApp.appWindow != nullptr) DestroyWindow(gApp.appWindow);
  gApp.tooltipWindow = nullptr;
  gApp.appWindow = nullptr;
  if (gApp.noStateSave == 0) SaveAppState();
}
