#include "framework/app/backup_restore.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "framework/app/app_services.h"
#include "framework/object/application.h"
#include "framework/app/file_dialogs.h"
#include "framework/app/message_box.h"
#include "framework/store/config_backup.h"
#include "framework/text/text_table.h"
#include "framework/util/text_util.h"

namespace {

constexpr unsigned kTextConfiguration = 0xF009;
constexpr unsigned kOverwriteQuestion = 0;
constexpr unsigned kArchiveError = 1;
constexpr unsigned kRestoreError = 2;
constexpr unsigned kWrongProduct = 3;
constexpr unsigned kSomeFilesMissing = 4;
constexpr unsigned kDamagedArchive = 5;
constexpr std::uint32_t kQuestionFlags = 1416;  // question icon, Yes/No/Cancel, Cancel default, first line bold
constexpr std::uint32_t kErrorFlags = 273;      // error icon, OK, first line bold

// Description and pattern pairs, ended by an empty description.
constexpr char kArchiveFilter[] = "Brindlex Configuration Data\0*.BrindlexConfig\0All files\0*.*\0";

std::atomic<BackupFileChooser> gChooser{nullptr};

const char* Text(unsigned index, const char* fallback) noexcept {
  const char* text = GetText(kTextConfiguration, index);
  return text != nullptr ? text : fallback;
}

int Say(HWND parent, unsigned index, const char* fallback, std::uint32_t flags, const char* detail = "") noexcept {
  return ShowMessageBox(gApp, parent, gApp.appName, Text(index, fallback), flags, 0, detail);
}

bool AskToOverwrite(HWND parent) noexcept {
  return Say(parent, kOverwriteQuestion, "Overwrite the current configuration?", kQuestionFlags) == IDYES;
}

const char* Choose(bool save) noexcept {
  // Without a proposal the user names the file alone.
  char proposed[MAX_PATH];
  GetProposedArchiveName(proposed, sizeof proposed);
  const BackupFileChooser chooser = gChooser.load();
  // Filter index 0: the configuration archives, whose extension the save
  // dialog appends to a name typed without one.
  return (chooser != nullptr ? chooser : &ShowFileDialog)(save, kArchiveFilter, 0, nullptr, nullptr,
                                                          proposed[0] != '\0' ? proposed : nullptr);
}

bool PendingArchivePath(char* out, std::size_t capacity) noexcept {
  const int length =
      std::snprintf(out, capacity, "%s\\%s.%s", gApp.dataFolder, gApp.appName, kConfigArchiveExtension);
  return gApp.dataFolder[0] != '\0' && length > 0 && static_cast<std::size_t>(length) < capacity;
}

std::uint32_t Restore(HWND parent) noexcept {
  const char* chosen = Choose(false);
  if (chosen == nullptr || chosen[0] == '\0') return kBackupCancelled;
  char path[MAX_PATH];
  if (!CopyText(path, sizeof path, chosen)) return kBackupArchiveFailed;
  switch (CheckConfigurationArchive(path, gApp.appName)) {
    case ConfigArchiveCheck::kUsable:
      break;
    case ConfigArchiveCheck::kNotArchive:
      (void)Say(parent, kArchiveError, "Configuration file error!", kErrorFlags);
      return kBackupArchiveFailed;
    case ConfigArchiveCheck::kWrongProduct:
      (void)Say(parent, kWrongProduct, "Wrong product!", kErrorFlags);
      return kBackupWrongProduct;
    case ConfigArchiveCheck::kDamaged:
      (void)Say(parent, kDamagedArchive, "The file is damaged.\n%s", kErrorFlags, path);
      return kBackupArchiveFailed;
  }
  if (!AskToOverwrite(parent)) return kBackupCancelled;
  char pending[MAX_PATH];
  if (!PendingArchivePath(pending, sizeof pending) || !CopyFileA(path, pending, FALSE)) {
    (void)Say(parent, kRestoreError, "Error restoring data!", kErrorFlags);
    return kBackupCopyFailed;
  }
  return kBackupDone;
}

std::uint32_t Reported(HWND parent, std::uint32_t result) noexcept {
  if (result == kBackupArchiveFailed) (void)Say(parent, kArchiveError, "Configuration file error!", kErrorFlags);
  if (result == kBackupSomeFilesFailed) {
    (void)Say(parent, kSomeFilesMissing, "Some file(s) could not be backed up!", kErrorFlags);
  }
  return result;
}

}  // namespace

void SetBackupFileChooser(BackupFileChooser chooser) noexcept { gChooser.store(chooser); }

std::uint32_t BackupRestoreConfiguration(HWND parent, BackupMode mode, const char* path) noexcept {
  switch (mode) {
    case BackupMode::kRestore:
      return Restore(parent);
    case BackupMode::kBackup: {
      const char* chosen = Choose(true);
      if (chosen == nullptr || chosen[0] == '\0') return kBackupCancelled;
      char target[MAX_PATH];
      if (!CopyText(target, sizeof target, chosen)) return Reported(parent, kBackupArchiveFailed);
      return Reported(parent, WriteConfigurationArchive(target, true));
    }
    case BackupMode::kReset: {
      if (!AskToOverwrite(parent)) return kBackupCancelled;
      char pending[MAX_PATH];
      if (!PendingArchivePath(pending, sizeof pending)) return Reported(parent, kBackupArchiveFailed);
      return Reported(parent, WriteConfigurationArchive(pending, false));
    }
    case BackupMode::kBackupToPath:
      return path != nullptr && path[0] != '\0' ? WriteConfigurationArchive(path, true) : kBackupArchiveFailed;
  }
  return kBackupArchiveFailed;
}
