#include "framework/run/message_loop.h"

#include <cstring>

#include "framework/object/application.h"
#include "framework/app/commands.h"
#include "framework/app/save_report.h"
#include "framework/run/hidden_window.h"
#include "framework/ui/frame_input.h"
#include "framework/util/file_replace.h"

namespace {

// The dialog a window belongs to: itself or its nearest ancestor of the
// dialog class.
HWND DialogOf(HWND window) noexcept {
  for (HWND w = window; w != nullptr; w = GetParent(w)) {
    char name[16];
    if (GetClassNameA(w, name, sizeof name) > 0 && std::strcmp(name, "#32770") == 0) return w;
  }
  return nullptr;
}

void Dispatch(MSG* msg) noexcept {
  HWND dialog = DialogOf(msg->hwnd);
  if (dialog != nullptr && IsDialogMessageA(dialog, msg)) return;
  TranslateMessage(msg);
  DispatchMessageA(msg);
}

}  // namespace

void PreTranslateMessage(MSG* msg) noexcept {
  const HWND ownForeground = GetOwnForegroundWindow();
  const bool consumed = gApp.popupNavigation != 0 ? PreTranslatePopupNavigation(*msg)
                                                  : PreTranslateFrameInput(*msg, ownForeground);
  if (!consumed) Dispatch(msg);
}

int RunMessageLoopWith(GetMessageFunction getMessage) noexcept {
  gApp.inMessageLoop = 1;
  MSG msg{};
  int exitCode = -1;
  for (;;) {
    const BOOL got = getMessage(&msg, nullptr, 0, 0);
    if (got == 0) {
      exitCode = static_cast<int>(msg.wParam);
      break;
    }
    if (got == -1) break;
    PreTranslateMessage(&msg);
  }
  gApp.inMessageLoop = 0;
  // The program quits: its saves from here on tell nothing, so that no box
  // holds up the quit.
  QuietSaveReports();
  // From here on the program is ending: a start meanwhile waits for it to
  // be gone instead of signalling it.
  CloseAppHiddenWindow();
  return exitCode;
}

int RunMessageLoop() noexcept { return RunMessageLoopWith(GetMessageA); }

bool PumpMessagesFor(DWORD milliseconds) noexcept {
  // The hidden window goes when the loop ends; its thread goes on answering
  // the hooks through the shut-down.
  const DWORD appThread =
      gApp.appWindow != nullptr ? GetWindowThreadProcessId(gApp.appWindow, nullptr) : gApp.appWindowThread;
  if (appThread == 0 || appThread != GetCurrentThreadId()) {
    Sleep(milliseconds);
    return true;
  }
  // Reached from a message answered while this thread waits out a held file
  // (a save): whatever is posted meanwhile waits for the loop, not for the
  // middle of that save.
  if (IsAnsweringSentMessagesOnly()) {
    PauseAnsweringSentMessages(milliseconds);
    return true;
  }
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Messages behind the quit are left for the loop that ends the thread.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      PreTranslateMessage(&msg);
    }
    const ULONGLONG elapsed = GetTickCount64() - start;
    if (elapsed >= milliseconds) return true;
    // Sleeps for the rest of the time unless something arrives first: a
    // message sent by a hook is answered at once, and the core is free.
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(milliseconds - elapsed), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
}
