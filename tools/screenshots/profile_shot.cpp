// Shows the profile dialog beside a sample window for screenshots; with
// "pick" also starts a pick held over the sample window's caption, so that
// the overlay outlines it. Logs the overlay's region, "dpi N" and then
// "ready" to the file named by the second argument, and runs until it is
// ended from outside.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/object/application.h"
#include "framework/util/monitors.h"
#include "tools/screenshots/shot_support.h"
#include "scrolling/options/options.h"
#include "scrolling/settings/profile_dialog.h"
#include "scrolling/settings/res/profile_dialog_ids.h"
#include "tests/support/product/use_product_texts.h"

namespace {

using shot_support::Log;

bool gPick = false;
bool gStarted = false;
HWND gSample = nullptr;
POINT gCursor{};

bool HeldDown() { return true; }
BOOL WINAPI HeldCursor(POINT* p) {
  *p = gCursor;
  return TRUE;
}

// The overlay's window region as the system holds it, one rectangle a line in
// screen coordinates: the screenshot shows the overlay's pixels there only.
void LogOverlayRegion() {
  const HWND overlay = CaptureOverlayWindow();
  RECT at{};
  GetWindowRect(overlay, &at);
  const HRGN shape = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(overlay, shape) != ERROR) {
    std::vector<char> data(GetRegionData(shape, 0, nullptr));
    auto* region = reinterpret_cast<RGNDATA*>(data.data());
    if (!data.empty() && GetRegionData(shape, static_cast<DWORD>(data.size()), region) != 0) {
      const auto* r = reinterpret_cast<const RECT*>(region->Buffer);
      for (DWORD i = 0; i < region->rdh.nCount; ++i) {
        Log("region " + std::to_string(at.left + r[i].left) + " " + std::to_string(at.top + r[i].top) + " " +
            std::to_string(at.left + r[i].right) + " " + std::to_string(at.top + r[i].bottom));
      }
    }
  }
  DeleteObject(shape);
}

void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND dialog = shot_support::FindShownWindow("Profile", false);
  if (dialog == nullptr || gStarted) return;
  gStarted = true;
  KillTimer(nullptr, timer);
  RECT sample{};
  GetWindowRect(gSample, &sample);
  SetWindowPos(dialog, nullptr, sample.right + 20, sample.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (gPick) {
    gCursor = POINT{(sample.left + sample.right) / 2, sample.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 4};
    SetPickerMouse(&HeldDown, &HeldCursor);
    const HWND pick = GetDlgItem(dialog, IDC_PROFILE_PICK);
    SendMessageA(pick, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    SendMessageA(pick, WM_TIMER, kPickerTimerId, 0);
    LogOverlayRegion();
  }
  shot_support::LogShown(dialog, "ready");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  char mode[16] = {};
  char log[MAX_PATH] = {};
  if (std::sscanf(commandLine, "%15s %259s", mode, log) != 2) return 2;
  shot_support::LogPath() = log;
  gPick = std::strcmp(mode, "pick") == 0;
  UseProductTexts();
  gApp.hInstance = instance;
  WNDCLASSA overlay{};
  overlay.lpfnWndProc = &OverlayWndProc;
  overlay.lpszClassName = "VeltranoCaptureOverlay";
  RegisterClassA(&overlay);

  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  WNDCLASSA sample{};
  sample.lpfnWndProc = &DefWindowProcA;
  sample.hInstance = instance;
  sample.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  sample.lpszClassName = "VeltranoShotSample";
  RegisterClassA(&sample);
  gSample = CreateWindowExA(0, "VeltranoShotSample", "Sample window", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            MulDiv(20, dpi, 96), MulDiv(40, dpi, 96), MulDiv(300, dpi, 96), MulDiv(220, dpi, 96),
                            nullptr, nullptr, instance, nullptr);
  RECT client{};
  GetClientRect(gSample, &client);
  const HWND text = CreateWindowExA(0, "Edit",
                                    "The quick brown fox jumps over the lazy dog.\r\n"
                                    "This text stays readable inside the red frame.\r\n"
                                    "Line three\r\nLine four\r\nLine five",
                                    WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, client.right, client.bottom, gSample,
                                    nullptr, instance, nullptr);
  SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  Profile profile;
  SetProfileDefaults(profile);
  std::strcpy(profile.szParName, "Sample profile");
  std::strcpy(profile.szPrgPath, "C:\\Program Files\\Sample\\sample.exe");
  SetTimer(nullptr, 0, 50, &Tick);
  RunProfileDialog(nullptr, profile);
  return 0;
}
