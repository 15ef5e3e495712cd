// The installation record as the installer writes it: a binary value named
// after the application under HKLM "Software\Brindlex".
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/base/app_records.h"

namespace test_support {

inline constexpr char kInstallRecordKey[] = "Software\\Brindlex";

// A whole record (padded with zeros to size) with the fields start-up reads.
inline std::vector<unsigned char> MakeInstallRecord(const std::string& installFolder, const std::string& dataPath,
                                                    bool custom, bool perUser,
                                                    std::size_t size = sizeof(InstallRecord)) {
  InstallRecord r{};
  r.customDataPath = custom ? 1 : 0;
  r.perUserDataPath = perUser ? 1 : 0;
  installFolder.copy(r.installFolder, sizeof r.installFolder - 1);
  dataPath.copy(r.dataPath, sizeof r.dataPath - 1);
  std::vector<unsigned char> bytes(size > sizeof r ? size : sizeof r, 0);
  std::memcpy(bytes.data(), &r, sizeof r);
  bytes.resize(size);
  return bytes;
}

inline bool WriteInstallRecord(const std::string& appName, const std::vector<unsigned char>& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstallRecordKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const bool ok = RegSetValueExA(key, appName.c_str(), 0, REG_BINARY, value.data(),
                                 static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

inline void DeleteInstallRecord(const std::string& appName) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallRecordKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, appName.c_str());
  RegCloseKey(key);
}

}  // namespace test_support
