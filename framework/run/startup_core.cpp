#include "framework/run/startup_core.h"

#include <cstdio>
#include <cstring>

#include "framework/store/config_backup.h"
#include "framework/util/text_util.h"

namespace {

template <std::size_t N>
void Terminate(char (&field)[N]) noexcept {
  field[N - 1] = '\0';
}

bool JoinThree(char* out, const char* folder, const char* middle, const char* name) noexcept {
  out[0] = '\0';
  const bool fit = CopyText(out, kMaxPathText, folder) && AppendText(out, kMaxPathText, middle) &&
                   AppendText(out, kMaxPathText, name);
  if (!fit) out[0] = '\0';
  return fit;
}

bool IsSeparator(char c) noexcept { return c == '\\' || c == '/'; }

// path names something inside folder (any letter case; not folder itself).
bool LiesBelow(const char* path, const char* folder) noexcept {
  std::size_t length = std::strlen(folder);
  while (length > 0 && IsSeparator(folder[length - 1])) --length;
  if (length == 0 || CompareNoCase(path, folder, length) != 0 || !IsSeparator(path[length])) return false;
  const char* rest = path + length;
  while (IsSeparator(*rest)) ++rest;
  return *rest != '\0';
}

}  // namespace

bool CopyInstallRecord(const void* value, std::size_t size, InstallRecord& out) noexcept {
  if (value == nullptr || size < sizeof out) return false;
  std::memcpy(&out, value, sizeof out);
  Terminate(out.installFolder);
  Terminate(out.dataPath);
  Terminate(out.updateCheckUrl);
  Terminate(out.downloadUrl);
  return true;
}

bool ChooseDataFolders(const InstallRecord& install, const DataFolderSources& sources, char* dataFolder,
                       char* allUsersDataFolder) noexcept {
  if (install.customDataPath != 0) {
    const bool allUsersFit = CopyText(allUsersDataFolder, kMaxPathText, install.dataPath);
    const bool fit = install.perUserDataPath != 0
                         ? JoinThree(dataFolder, install.dataPath, "\\", sources.userName)
                         : CopyText(dataFolder, kMaxPathText, install.dataPath);
    return allUsersFit && fit;
  }
  // A special folder that was not found leaves its data folder empty too:
  // "\Brindlex\<name>" alone would be a folder at the current drive's root.
  const auto below = [&sources](char* out, const char* special) {
    if (special == nullptr || special[0] == '\0') {
      out[0] = '\0';
      return false;
    }
    return JoinThree(out, special, "\\Brindlex\\", sources.appName);
  };
  const bool fit = below(dataFolder, sources.appData);
  return below(allUsersDataFolder, sources.commonAppData) && fit;
}

std::uint32_t OsVersionFrom(std::uint32_t major, std::uint32_t minor, std::uint32_t build) noexcept {
  if (major == 10) return build >= 22000 ? 11 : 10;
  if (major != 6) return 0;
  switch (minor) {
    case 0: return 6;
    case 1: return 7;
    case 2:
    case 3: return 8;
    default: return 0;
  }
}

bool IsMinimizedShowCommand(int showCommand) noexcept {
  constexpr int kShowNormal = 1, kShow = 5, kShowDefault = 10;
  return showCommand != kShowNormal && showCommand != kShow && showCommand != kShowDefault;
}

void InstanceObjectName(const char* appName, std::uint32_t appCrc, char (&out)[kMaxPathText]) noexcept {
  const int head = std::snprintf(out, sizeof out, "Local\\OrvoInstance_%08X_", static_cast<unsigned>(appCrc));
  std::size_t at = head > 0 ? static_cast<std::size_t>(head) : 0;
  for (const char* c = appName != nullptr ? appName : ""; *c != '\0' && at + 1 < sizeof out; ++c) {
    out[at++] = *c == '\\' ? '_' : *c;
  }
  out[at] = '\0';
}

bool RestoreKeepsArchive(const char* path, const char* dataFolder, const char* archiveFolder) noexcept {
  if (path == nullptr) return false;
  const char* extension = EndsWithNoCase(path, kConfigArchiveExtension);
  if (extension != nullptr && extension > path && extension[-1] == '.') return true;
  return archiveFolder != nullptr && dataFolder != nullptr && LiesBelow(archiveFolder, dataFolder) &&
         LiesBelow(path, archiveFolder);
}
