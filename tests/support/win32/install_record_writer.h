// The installation record as the installer writes it: a binary value named
// after the application under HKLM "Software\Brindlex", its fields at the
// offsets that the packagers are given (README), written out as an
// installer has them rather than taken from the program's own record.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace test_support {

inline constexpr char kInstallRecordKey[] = "Software\\Brindlex";
inline constexpr std::size_t kInstallRecordSize = 1326;
inline constexpr std::size_t kInstallFolderAt = 20;
inline constexpr std::size_t kDataPathAt = 280;
inline constexpr std::size_t kInstallUpdateCheckUrlAt = 800;

// A text field of 260 bytes at offset at, zero-terminated.
inline void PutInstallText(std::vector<unsigned char>& record, std::size_t at, const std::string& text) {
  const std::size_t n = std::min<std::size_t>(text.size(), 259);
  if (record.size() >= at + 260) std::copy(text.begin(), text.begin() + n, record.begin() + at);
}

// A whole record (padded with zeros to size) with the fields start-up reads.
inline std::vector<unsigned char> MakeInstallRecord(const std::string& installFolder, const std::string& dataPath,
                                                    bool custom, bool perUser,
                                                    std::size_t size = kInstallRecordSize) {
  std::vector<unsigned char> bytes(std::max(size, kInstallRecordSize), 0);
  bytes[16] = custom ? 1 : 0;  // customDataPath, 16 bits
  bytes[18] = perUser ? 1 : 0;  // perUserDataPath, 16 bits
  PutInstallText(bytes, kInstallFolderAt, installFolder);
  PutInstallText(bytes, kDataPathAt, dataPath);
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
