#include "framework/app/autostart_shortcut.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

#include "framework/object/application.h"
#include "framework/util/files.h"
#include "framework/util/text_util.h"
#include "framework/util/win_handles.h"

namespace {

bool StartupFolder(char (&folder)[MAX_PATH]) noexcept {
  folder[0] = '\0';
  CComRef<IMalloc> shellMalloc;
  if (FAILED(SHGetMalloc(shellMalloc.Put()))) return false;
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, &items)) || items == nullptr) {
    return false;
  }
  const BOOL ok = SHGetPathFromIDListA(items, folder);
  shellMalloc->Free(items);
  if (!ok || folder[0] == '\0') return false;
  AddTrailingBackslash(folder, sizeof folder);
  return true;
}

bool Fits(int n, std::size_t capacity) noexcept { return n >= 0 && static_cast<std::size_t>(n) < capacity; }

}  // namespace

std::uint32_t SetAutostartShortcut(bool enable, const char* extraArguments, std::uint8_t onlyIfMissing,
                                   const char* iconPath, const char* linkName) noexcept {
  char arguments[520];
  std::snprintf(arguments, sizeof arguments, "%s %s %s", "-WAITFORDATAPATH", "-AUTOSTART",
                extraArguments != nullptr ? extraArguments : "");
  char target[MAX_PATH];
  // A cut target or link name would point the shortcut somewhere else.
  if (!Fits(std::snprintf(target, sizeof target, "%s\\%s.exe", gApp.install.installFolder, gApp.appName),
            sizeof target)) {
    return kStatusShortcutFailed;
  }
  char folder[MAX_PATH];
  if (!StartupFolder(folder)) return kStatusShortcutFailed;
  char linkPath[MAX_PATH];
  if (!Fits(std::snprintf(linkPath, sizeof linkPath, "%s%s.lnk", folder,
                          linkName != nullptr ? linkName : gApp.appName),
            sizeof linkPath)) {
    return kStatusShortcutFailed;
  }

  if (!enable) {
    DeleteFileA(linkPath);
    return 0;
  }
  if (onlyIfMissing != 0 && PathExists(linkPath)) return 0;

  CComScope com;
  CComRef<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid()))) {
    return kStatusShortcutFailed;
  }
  if (FAILED(link->SetPath(target)) || FAILED(link->SetArguments(arguments)) ||
      FAILED(link->SetIconLocation(iconPath != nullptr ? iconPath : target, 0))) {
    return kStatusShortcutFailed;
  }
  CComRef<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) return kStatusShortcutFailed;
  wchar_t widePath[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) == 0) return kStatusShortcutFailed;
  return SUCCEEDED(file->Save(widePath, TRUE)) ? 0 : kStatusShortcutFailed;
}
