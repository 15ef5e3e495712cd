#include "scrolling/settings/profile_dialog.h"

#include <commdlg.h>

#include <cstring>
#include <new>

#include "framework/object/application.h"
#include "framework/app/dialog_setup.h"
#include "framework/app/help.h"
#include "framework/text/text_table.h"
#include "framework/theme/draw.h"
#include "framework/util/monitors.h"
#include "framework/util/win_handles.h"
#include "resources/resource_ids.h"
#include "scrolling/engine/win32_platform.h"
#include "scrolling/options/options.h"
#include "scrolling/settings/profile_dialog_core.h"
#include "scrolling/settings/res/profile_dialog_ids.h"

namespace {

constexpr UINT kTextMessageId = 10;
constexpr UINT kProductTextId = 0;
constexpr UINT kProgramFilterIndex = 2;
constexpr DWORD kOpenFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
static_assert(kOpenFlags == 0x8100C);
constexpr DWORD kExtendedFrameBounds = 9;  // DWMWA_EXTENDED_FRAME_BOUNDS
constexpr COLORREF kFrameColour = RGB(255, 0, 0);
constexpr int kWindowTextSize = 260;

bool SystemButtonsDown() { return ((GetAsyncKeyState(VK_LBUTTON) | GetAsyncKeyState(VK_RBUTTON)) & 0x8000) != 0; }

// The picker works on the main thread only, one pick at a time.
struct PickerState {
  WNDPROC previous = nullptr;
  HWND button = nullptr;
  HWND dialog = nullptr;
  HWND last = nullptr;
  HWND overlay = nullptr;
  bool picking = false;
  PickerButtonsFunction buttonsDown = &SystemButtonsDown;
  PickerCursorFunction cursor = &GetCursorPos;
  FrameBoundsFunction frameBounds = nullptr;
};

PickerState& Picker() noexcept {
  static PickerState state;
  return state;
}

HCURSOR PickerCursor() noexcept {
  // Cursors from resources are shared: never destroyed here.
  return LoadCursorA(gApp.ResourceInstance(), MAKEINTRESOURCEA(IDC_VELTRANO_SCROLL));
}

void DrawPickerCursor(HWND button) noexcept {
  RECT client{};
  GetClientRect(button, &client);
  const int height = client.bottom - client.top;
  const int size = GetWindowDpi(button) * 32 / 96;
  const int left = client.right - static_cast<int>(height * 1.05);
  const int top = (height - size) / 2;
  const HCURSOR cursor = PickerCursor();
  if (cursor == nullptr) return;
  const CDcHandle dc(button);
  const int oldMode = SetStretchBltMode(dc.Get(), HALFTONE);
  DrawIconEx(dc.Get(), left, top, cursor, size, size, 0, nullptr, DI_NORMAL);
  SetStretchBltMode(dc.Get(), oldMode);
}

void EndPick(HWND button) noexcept {
  PickerState& p = Picker();
  p.picking = false;
  if (GetCapture() == button) ReleaseCapture();
  ShowCaptureOverlay(nullptr);
  KillTimer(button, kPickerTimerId);
}

void StartPick(HWND button) noexcept {
  PickerState& p = Picker();
  SetFocus(button);
  SetCapture(button);
  p.last = nullptr;
  p.dialog = GetParent(button);
  p.picking = true;
  SetTimer(button, kPickerTimerId, kPickerTimerPeriod, nullptr);
  if (const HCURSOR cursor = PickerCursor()) SetCursor(cursor);
}

// Fills the dialog's pattern fields from the window, unless its program
// cannot be read (a process we may not open): then they stay as they are.
void ReadPickedWindow(HWND window) noexcept {
  const HWND dialog = Picker().dialog;
  char path[kWindowTextSize] = {};
  if (window == nullptr || !GetWindowProcessPath(window, path, sizeof path)) return;
  char caption[kWindowTextSize] = {};
  char windowClass[kWindowTextSize] = {};
  GetWindowTextA(window, caption, sizeof caption);
  GetClassNameA(window, windowClass, sizeof windowClass);
  SetDlgItemTextA(dialog, IDC_PROFILE_PROGRAM, path);
  SetDlgItemTextA(dialog, IDC_PROFILE_CAPTION, caption);
  SetDlgItemTextA(dialog, IDC_PROFILE_CLASS, windowClass);
}

void PickerTick(HWND button) noexcept {
  PickerState& p = Picker();
  const bool down = p.buttonsDown();
  POINT point{};
  HWND found = nullptr;
  if (down && p.cursor(&point)) found = FindWindowAtPoint(point.x, point.y, false, false, p.overlay, nullptr);
  switch (DecidePickerStep(down, reinterpret_cast<std::uintptr_t>(found), reinterpret_cast<std::uintptr_t>(p.last))) {
    case PickerStep::kEnd:
      SendMessageA(button, WM_LBUTTONUP, 0, 0);
      return;
    case PickerStep::kNewWindow:
      ShowCaptureOverlay(found);
      p.last = found;
      ReadPickedWindow(found);
      break;
    case PickerStep::kSameWindow:
      break;
  }
  if (p.overlay != nullptr) {
    SetWindowPos(p.overlay, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
}

// The visible frame of the window: without the invisible resize borders
// where the system reports them, else the whole window rectangle.
RECT OverlayRect(HWND window) noexcept {
  RECT r{};
  const FrameBoundsFunction bounds = Picker().frameBounds;
  if (bounds != nullptr && SUCCEEDED(bounds(window, kExtendedFrameBounds, &r, sizeof r))) return r;
  GetWindowRect(window, &r);
  return r;
}

// Only the frame belongs to the overlay: the window below stays visible
// and reachable through the inside, which is never painted.
void GiveFrameShape(HWND overlay, int width, int height) noexcept {
  const FrameBox inside = OverlayFrameInside(width, height, kOverlayFrameWidth);
  CRegionHandle shape(CreateRectRgn(0, 0, width, height));
  const CRegionHandle hole(CreateRectRgn(inside.left, inside.top, inside.right, inside.bottom));
  if (!shape || !hole || CombineRgn(shape.Get(), shape.Get(), hole.Get(), RGN_DIFF) == ERROR) return;
  // The window owns the region once it is set.
  if (SetWindowRgn(overlay, shape.Get(), FALSE) != 0) (void)shape.Release();
}

void PaintFrame(HWND overlay, HDC dc) noexcept {
  RECT client{};
  GetClientRect(overlay, &client);
  for (const FrameBox& s : OverlayFrameStrips(client.right, client.bottom, kOverlayFrameWidth)) {
    const RECT r{s.left, s.top, s.right, s.bottom};
    FillSolidRect(dc, &r, kFrameColour);
  }
}

// The dialog's private copy of the profile and where it goes back to.
struct ProfileDialogState {
  Profile* target;
  Profile copy;
};

ProfileDialogState* StateOf(HWND dialog) noexcept {
  return reinterpret_cast<ProfileDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void ReadField(HWND dialog, int id, char* out, int size) noexcept {
  out[0] = '\0';
  GetDlgItemTextA(dialog, id, out, size);
}

void InitProfileDialog(HWND dialog, Profile* profile) noexcept {
  auto* state = profile != nullptr ? new (std::nothrow) ProfileDialogState{profile, *profile} : nullptr;
  if (state == nullptr) {
    EndDialog(dialog, IDCANCEL);
    return;
  }
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  PrepareDialog(dialog);
  const Profile& copy = state->copy;
  const struct {
    int id;
    const char* text;
    std::size_t size;
  } fields[] = {{IDC_PROFILE_NAME, copy.szParName, sizeof copy.szParName},
                {IDC_PROFILE_PROGRAM, copy.szPrgPath, sizeof copy.szPrgPath},
                {IDC_PROFILE_CAPTION, copy.szWndCaption, sizeof copy.szWndCaption},
                {IDC_PROFILE_CLASS, copy.szWndClass, sizeof copy.szWndClass}};
  for (const auto& f : fields) {
    // Typing stops where the stored field ends; the records are always
    // NUL-terminated within their size, so the copy shows whole.
    SendDlgItemMessageA(dialog, f.id, EM_LIMITTEXT, f.size - 1, 0);
    SetDlgItemTextA(dialog, f.id, f.text);
  }
  AttachWindowPicker(GetDlgItem(dialog, IDC_PROFILE_PICK));
  SetFocus(GetDlgItem(dialog, IDC_PROFILE_NAME));
}

void OnOk(HWND dialog, ProfileDialogState& state) noexcept {
  Profile& copy = state.copy;
  ReadField(dialog, IDC_PROFILE_NAME, copy.szParName, sizeof copy.szParName);
  if (copy.szParName[0] == '\0') {
    MessageBoxA(dialog, GetText(kTextMessageId, 0), GetText(kProductTextId, 0), MB_ICONERROR);
    return;
  }
  ReadField(dialog, IDC_PROFILE_PROGRAM, copy.szPrgPath, sizeof copy.szPrgPath);
  ReadField(dialog, IDC_PROFILE_CAPTION, copy.szWndCaption, sizeof copy.szWndCaption);
  ReadField(dialog, IDC_PROFILE_CLASS, copy.szWndClass, sizeof copy.szWndClass);
  std::memcpy(state.target, &copy, sizeof copy);
  // The pattern index must not answer from the patterns it was built for.
  NoteProfilesChanged();
  EndDialog(dialog, IDOK);
}

void OnBrowse(HWND dialog, ProfileDialogState& state) noexcept {
  Profile& copy = state.copy;
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.hInstance = gApp.ResourceInstance();
  ofn.lpstrFilter = GetText(kProductTextId, kProgramFilterIndex);
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = copy.szPrgPath;
  ofn.nMaxFile = sizeof copy.szPrgPath;
  ofn.Flags = kOpenFlags;
  if (!GetOpenFileNameA(&ofn)) return;
  SetDlgItemTextA(dialog, IDC_PROFILE_PROGRAM, copy.szPrgPath);
  // Only a profile that came without a name is named after its program.
  if (copy.szParName[0] != '\0') return;
  ProfileNameFromPath(copy.szPrgPath, copy.szParName, sizeof copy.szParName);
  SetDlgItemTextA(dialog, IDC_PROFILE_NAME, copy.szParName);
}

}  // namespace

INT_PTR RunProfileDialog(HWND owner, Profile& profile) noexcept {
  return DialogBoxParamA(gApp.ResourceInstance(), MAKEINTRESOURCEA(IDD_PROFILE), owner, &ProfileDlgProc,
                         reinterpret_cast<LPARAM>(&profile));
}

INT_PTR CALLBACK ProfileDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitProfileDialog(dialog, reinterpret_cast<Profile*>(lParam));
      return FALSE;  // the focus is on the name
    case WM_COMMAND: {
      ProfileDialogState* state = StateOf(dialog);
      if (state == nullptr) return FALSE;
      switch (LOWORD(wParam)) {
        case IDOK:
          OnOk(dialog, *state);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case IDC_PROFILE_HELP:
          (void)ShowHelpTopic("Veltrano.chm", "Profiles.htm");
          return TRUE;
        case IDC_PROFILE_BROWSE:
          OnBrowse(dialog, *state);
          return TRUE;
        default:
          return FALSE;
      }
    }
    case WM_DPICHANGED:
      (void)OnDialogDpiChanged(dialog, wParam, lParam);
      return TRUE;
    case WM_NCDESTROY:
      delete StateOf(dialog);
      SetWindowLongPtrA(dialog, DWLP_USER, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

void AttachWindowPicker(HWND button) noexcept {
  PickerState& p = Picker();
  if (button == nullptr) return;
  p.previous =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PickerButtonProc)));
  p.button = p.previous != nullptr ? button : nullptr;
}

LRESULT CALLBACK PickerButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  PickerState& p = Picker();
  const WNDPROC previous = p.previous != nullptr ? p.previous : &DefWindowProcA;
  switch (message) {
    case WM_PAINT:
    case BM_SETSTATE:
    case WM_UPDATEUISTATE: {
      const LRESULT result = CallWindowProcA(previous, button, message, wParam, lParam);
      if (GetCapture() != button) DrawPickerCursor(button);
      return result;
    }
    case WM_GETDLGCODE:
      // Esc must reach the button during a pick rather than cancel the dialog.
      if (p.buttonsDown()) return DLGC_WANTALLKEYS;
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      StartPick(button);
      break;
    case WM_TIMER:
      if (wParam != kPickerTimerId) break;
      PickerTick(button);
      return 0;
    case WM_KEYDOWN:
      if (wParam != VK_ESCAPE) break;
      SendMessageA(button, WM_LBUTTONUP, 0, 0);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      EndPick(button);
      break;
    case WM_NCDESTROY: {
      // The dialog may end in the middle of a pick.
      EndPick(button);
      if (p.button == button) {
        p.button = nullptr;
        p.previous = nullptr;
      }
      SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      return CallWindowProcA(previous, button, message, wParam, lParam);
    }
    default:
      break;
  }
  return CallWindowProcA(previous, button, message, wParam, lParam);
}

bool IsWindowPickerActive() noexcept { return Picker().picking; }

bool IsWindowPickerEvent(HWND window) noexcept {
  const PickerState& p = Picker();
  return p.picking || (window != nullptr && window == p.button);
}

void ShowCaptureOverlay(HWND window) noexcept {
  PickerState& p = Picker();
  if (p.overlay != nullptr) {
    const HWND old = p.overlay;
    p.overlay = nullptr;
    DestroyWindow(old);
  }
  if (window == nullptr) return;
  const RECT r = OverlayRect(window);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const HWND overlay = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kCaptureOverlayClass, "", WS_POPUP, r.left, r.top,
                                       width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (overlay == nullptr) return;
  GiveFrameShape(overlay, width, height);
  p.overlay = overlay;
  ShowWindow(overlay, SW_SHOWNA);
}

HWND CaptureOverlayWindow() noexcept { return Picker().overlay; }

void SetOverlayFrameBoundsFunction(FrameBoundsFunction function) noexcept { Picker().frameBounds = function; }

void SetPickerMouse(PickerButtonsFunction anyButtonDown, PickerCursorFunction cursor) noexcept {
  PickerState& p = Picker();
  p.buttonsDown = anyButtonDown != nullptr ? anyButtonDown : &SystemButtonsDown;
  p.cursor = cursor != nullptr ? cursor : &GetCursorPos;
}

LRESULT CALLBACK OverlayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (const HDC dc = BeginPaint(window, &ps)) {
        PaintFrame(window, dc);
        EndPaint(window, &ps);
      }
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintFrame(window, reinterpret_cast<HDC>(wParam));
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
