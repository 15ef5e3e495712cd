// Writes the options file of the data folder given as the command line
// through the program's own options storage: the factory options with one
// profile ahead of them for the end-to-end test's scrollable window, which
// sends the wheel to the window under the cursor. Started with "--text
// <out file> <data folder>", it writes the text of that folder's options
// file to the out file instead, one key=value a line (an empty file when
// there is no readable options file).
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/object/application.h"
#include "framework/store/config_archive_win32.h"
#include "scrolling/options/options.h"
#include "scrolling/options/options_file.h"
#include "scrolling/texts/product_texts.h"

namespace {

int WriteOptionsText(const std::string& arguments) {
  const std::size_t space = arguments.find(' ');
  if (space == std::string::npos || arguments.size() - space > sizeof gApp.dataFolder) return 2;
  std::strcpy(gApp.dataFolder, arguments.c_str() + space + 1);
  CConfigText text(0, "gOpt.");
  std::string lines;
  if (LoadConfigArchive(text, "Options", -1, 0) > 0) {
    const std::vector<std::uint8_t>& bytes = text.text();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      // Each record ends with NUL CR LF.
      if (bytes[i] == 0 && i + 2 < bytes.size() && bytes[i + 1] == '\r' && bytes[i + 2] == '\n') {
        lines += '\n';
        i += 2;
      } else {
        lines += static_cast<char>(bytes[i]);
      }
    }
  }
  const HANDLE out = CreateFileA(arguments.substr(0, space).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  const bool ok = WriteFile(out, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr) != FALSE;
  CloseHandle(out);
  return ok ? 0 : 3;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (commandLine != nullptr && std::strncmp(commandLine, "--text ", 7) == 0) return WriteOptionsText(commandLine + 7);
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
