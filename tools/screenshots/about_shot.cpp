// Shows the product information dialog for screenshots, as the product opens
// it, with the archive and update dialogs offered. Logs "dpi N"
// and then "ready" to the file named by the argument, and runs until it is
// ended from outside.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "framework/app/app_services.h"
#include "framework/object/application.h"
#include "framework/ui/product_info.h"
#include "tools/screenshots/shot_support.h"
#include "framework/util/text_util.h"
#include "resources/version.h"

namespace {

BOOL CALLBACK SwitchOffTooltip(HWND window, LPARAM) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, TOOLTIPS_CLASSA) == 0) {
    SendMessageA(window, TTM_ACTIVATE, FALSE, 0);
    SendMessageA(window, TTM_POP, 0, 0);
  }
  return TRUE;
}

// The pointer starts in the middle of the screen, over a link whose tooltip
// would cover the dialog: the tooltips are switched off.
void SwitchOffTooltips(HWND) { EnumThreadWindows(GetCurrentThreadId(), &SwitchOffTooltip, 0); }

INT_PTR NoDialog(HWND, LPARAM) noexcept { return IDCANCEL; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  gApp.hInstance = instance;
  InstallAppTexts(nullptr);
  (void)CopyText(gApp.appName, sizeof gApp.appName, "Veltrano");
  gApp.versionMajor = VELTRANO_VERSION_MAJOR;
  gApp.versionMinor = VELTRANO_VERSION_MINOR;
  gApp.versionBuild = VELTRANO_VERSION_PATCH;
  (void)CopyText(gApp.programFolder, sizeof gApp.programFolder, "C:\\Program Files\\Veltrano");
  (void)CopyText(gApp.dataFolder, sizeof gApp.dataFolder,
                 "C:\\users\\Public\\Application Data\\Veltrano\\A rather long data folder name\\Data");
  AppServices services;
  services.openArchiveDialog = &NoDialog;
  services.openUpdateDialog = &NoDialog;
  SetAppServices(services);
  shot_support::ReportWhenShown(arguments, "Veltrano", &SwitchOffTooltips);
  (void)ShowProductInfo(nullptr, 0);
  return 0;
}
