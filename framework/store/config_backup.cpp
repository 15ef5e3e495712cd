#include "framework/store/config_backup.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "framework/object/application.h"
#include "framework/util/file_collector.h"
#include "framework/util/file_replace.h"
#include "zip/win32/zip_win32.h"
#include "zip/zip.h"
#include "zip/zip_reader.h"

namespace {

constexpr std::uint32_t kDone = 0;
constexpr std::uint32_t kNotMade = 2;
constexpr std::uint32_t kSomeFilesMissing = 5;

struct ZipCloser {
  void operator()(ZipHandle* handle) const noexcept { (void)CloseZip(handle); }
};
using ZipOwner = std::unique_ptr<ZipHandle, ZipCloser>;

// The product entry: the keep list, a zero byte, then the version without
// a terminator.
bool AddProductEntry(ZipHandle* zip) noexcept {
  char entry[sizeof gApp.backupKeepPatterns + 40];
  const std::size_t keep = strnlen(gApp.backupKeepPatterns, sizeof gApp.backupKeepPatterns - 1);
  std::memcpy(entry, gApp.backupKeepPatterns, keep);
  entry[keep] = '\0';
  const int version = std::snprintf(entry + keep + 1, sizeof entry - keep - 1, "%u.%u.%u", gApp.versionMajor,
                                    gApp.versionMinor, gApp.versionBuild);
  if (version <= 0 || static_cast<std::size_t>(version) >= sizeof entry - keep - 1) return false;
  return ZipAddBuffer(zip, gApp.appName, entry, static_cast<std::uint32_t>(keep + 1 + version)) == kZipOk;
}

// Adds every record file below the data folder under its relative name;
// the number that could not be added.
int AddRecordFiles(ZipHandle* zip) noexcept {
  CFileCollector collector;
  if (gApp.backupExtraPatterns[0] != '\0') {
    (void)InitFileCollector(collector, gApp.dataFolder, "*.oqc;%s", gApp.backupExtraPatterns);
  } else {
    (void)InitFileCollector(collector, gApp.dataFolder, "*.oqc");
  }
  const std::size_t folderLength = std::strlen(gApp.dataFolder);
  int failed = 0;
  for (const CollectedPath& file : collector.files) {
    if (std::strncmp(file.text, gApp.dataFolder, folderLength) != 0 || file.text[folderLength] != '\\' ||
        ZipAddFile(zip, file.text + folderLength + 1, file.text) != kZipOk) {
      ++failed;
    }
  }
  FreeFileCollector(collector);
  return failed;
}

}  // namespace

std::uint32_t WriteConfigurationArchiveWith(zip::ZipPlatform& platform, const char* target,
                                            bool withRecords) noexcept {
  if (target == nullptr || target[0] == '\0' || gApp.appName[0] == '\0') return kNotMade;
  // A name of its own beside target for this writer: the scheduled archive
  // on its worker thread and a backup from the dialog may write into one
  // folder at the same time.
  char temp[MAX_PATH];
  if (!ReserveTempFileBeside(target, temp, sizeof temp)) return kNotMade;
  int failed = 0;
  bool made = false;
  {
    ZipHandle* raw = CreateZipFileWith(platform, temp, nullptr);
    if (raw != nullptr) {
      ZipOwner zip(raw);
      if (AddProductEntry(zip.get())) {
        if (withRecords && gApp.dataFolder[0] != '\0') failed = AddRecordFiles(zip.get());
        // An archive that could not be finished is no backup, whatever was
        // added before.
        made = CloseZip(zip.release()) == kZipOk;
      }
    }
  }
  if (!made || !ReplaceFileRetrying(temp, target)) {
    (void)DeleteFileA(temp);
    return kNotMade;
  }
  return failed > 0 ? kSomeFilesMissing : kDone;
}

std::uint32_t WriteConfigurationArchive(const char* target, bool withRecords) noexcept {
  return WriteConfigurationArchiveWith(zip::Win32ZipPlatform(), target, withRecords);
}

ConfigArchiveCheck CheckConfigurationArchive(const char* path, const char* productName) noexcept {
  if (path == nullptr || productName == nullptr || productName[0] == '\0') return ConfigArchiveCheck::kNotArchive;
  const ZipOwner zip(OpenZipFile(path, nullptr));
  if (!zip) return ConfigArchiveCheck::kNotArchive;
  int productIndex = -1;
  if (FindZipEntry(zip.get(), productName, 0, &productIndex, nullptr) != kZipOk) {
    return ConfigArchiveCheck::kWrongProduct;
  }
  ZipEntryInfo info{};
  if (GetZipEntry(zip.get(), -1, &info) != kZipOk) return ConfigArchiveCheck::kDamaged;
  const int count = info.index;
  const std::size_t folderLength = std::strlen(gApp.dataFolder);
  std::uint8_t buffer[16384];
  for (int i = 0; i < count; ++i) {
    if (GetZipEntry(zip.get(), i, &info) != kZipOk) return ConfigArchiveCheck::kDamaged;
    if (i != productIndex) {
      try {
        if (!zip::IsSafeRelativePath(info.name)) return ConfigArchiveCheck::kDamaged;
      } catch (...) {
        return ConfigArchiveCheck::kDamaged;
      }
      if (folderLength + 1 + std::strlen(info.name) >= MAX_PATH) return ConfigArchiveCheck::kDamaged;
    }
    ZipResult read = kZipMoreData;
    while (read == kZipMoreData) read = UnzipEntryToMemory(zip.get(), i, buffer, sizeof buffer);
    if (read != kZipOk) return ConfigArchiveCheck::kDamaged;
  }
  return ConfigArchiveCheck::kUsable;
}
