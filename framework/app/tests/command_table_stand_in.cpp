// The command table's services that the message box uses, as small as the
// tests need them: the modal depth is counted in the application object
// (there are no framework windows to tell), and the foreground window is
// this process's when it is one of ours.
#include "framework/app/application.h"
#include "framework/app/command_table.h"

void ChangeModalDepth(bool entering) {
  if (entering) {
    ++gApp.modalDepth;
  } else if (gApp.modalDepth > 0) {
    --gApp.modalDepth;
  }
}

HWND GetOwnForegroundWindow() {
  const HWND foreground = GetForegroundWindow();
  DWORD process = 0;
  GetWindowThreadProcessId(foreground, &process);
  return foreground != nullptr && process == GetCurrentProcessId() ? foreground : nullptr;
}
