// Writes the options file of the data folder given as the command line
// through the program's own options storage: the factory options with one
// profile ahead of them for the end-to-end test's scrollable window, which
// sends the wheel to the window under the cursor.
#include <windows.h>

#include <cstring>

#include "framework/object/application.h"
#include "scrolling/options/options.h"
#include "scrolling/options/options_file.h"
#include "scrolling/texts/product_texts.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (commandLine == nullptr || std::strlen(commandLine) >= sizeof gApp.dataFolder) return 2;
  std::strcpy(gApp.dataFolder, commandLine);
  InstallAppTexts(ProductTexts());
  SetFactoryOptions();
  std::memmove(&gOpt.Par[1], &gOpt.Par[0], sizeof(Profile) * static_cast<std::size_t>(gOpt.iNumPar));
  ++gOpt.iNumPar;
  Profile& p = gOpt.Par[0];
  SetProfileDefaults(p);
  std::strcpy(p.szParName, "Scroll target");
  std::strcpy(p.szWndClass, "VeltranoScrollTarget");
  p.bWheelCursor = 1;
  NoteProfilesChanged();
  return LoadSaveOptions(1) == 1 ? 0 : 1;
}
