// Shows a hot-key field on a small page and its key-combination dialog, for
// the screenshot script: it writes the DPI it runs at and "shown" to the file
// named by its argument once the dialog is up, then waits to be ended.
#include <windows.h>

#include "framework/app/exit_request.h"
#include "framework/base/app_records.h"
#include "framework/object/application.h"
#include "framework/hotkey/hotkey_edit.h"
#include "framework/hotkey/key_names_win32.h"
#include "framework/text/text_table.h"
#include "framework/util/monitors.h"
#include "tools/screenshots/shot_support.h"

namespace {

void CALLBACK Shown(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  shot_support::LogShown(nullptr, "shown");
}

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  shot_support::LogPath() = argv[1];
  SetProcessDPIAware();
  gApp.hInstance = GetModuleHandleA(nullptr);
  static char name[] = "Veltrano";
  static TextRecord product[] = {{0, {name}}, {kTextTableEnd, {}}};
  InstallAppTexts(product);
  // The theme as start-up makes it, for the list's colours.
  gApp.theme.instance = gApp.hInstance;
  gApp.theme.windowDpi = &GetWindowDpi;
  if (ThemeCreateDc(gApp.theme) != 0) return 5;
  gApp.settings = DefaultAppSettings();
  ComputeAppColours();
  CompleteKeyNameTable();
  CHotKeyEdit field;
  if (field.CreateHotKeyEdit() != 0) return 3;
  const HWND page = CreateDialogParamA(gApp.hInstance, MAKEINTRESOURCEA(1001), nullptr, &PageProc, 0);
  if (page == nullptr || !field.AttachHotKeyEdit(GetDlgItem(page, 100))) return 4;
  field.SetHotKey(0x0241);
  // Below the dialog, which is centred on the screen.
  SetWindowPos(page, nullptr, 10, 650, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SetTimer(nullptr, 0, 500, &Shown);
  return field.RunKeyCombinationDialog(nullptr) == -1 ? 6 : 0;
}
