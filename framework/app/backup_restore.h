// Backup, restore and reset of the whole configuration: the record files of
// the data folder packed into a configuration archive. A restore or reset
// only stages a pending archive in the data folder, which the next start
// applies before any record is read.
#pragma once

#include <windows.h>

#include <cstdint>

enum class BackupMode : int {
  kRestore = 0,         // choose an archive in an open dialog and stage it
  kBackup = 1,          // choose a target in a save dialog
  kReset = 2,           // stage an archive without records
  kBackupToPath = 3,    // silent, to the given path (the scheduled archives)
};

inline constexpr std::uint32_t kBackupDone = 0;
inline constexpr std::uint32_t kBackupCancelled = 1;
inline constexpr std::uint32_t kBackupArchiveFailed = 2;
inline constexpr std::uint32_t kBackupCopyFailed = 3;
inline constexpr std::uint32_t kBackupWrongProduct = 4;
inline constexpr std::uint32_t kBackupSomeFilesFailed = 5;

// Modes 0 to 2 ask and report with message boxes (the success message is
// the caller's); mode 3 is silent. A restore stages only an archive of this
// product whose every entry reads back with the right CRC-32.
[[nodiscard]] std::uint32_t BackupRestoreConfiguration(HWND parent, BackupMode mode, const char* path) noexcept;

// The file dialog that the backup and the restore choose with, in the shape
// of ShowFileDialog (file_dialogs.h).
using BackupFileChooser = const char* (*)(bool save, const char* filter, int filterIndex,
                                          std::uint8_t* outFilterIndex, char* folder,
                                          const char* initialName) noexcept;
// Replaces the dialog (a program that chooses for the user, as tests do);
// null puts ShowFileDialog back.
void SetBackupFileChooser(BackupFileChooser chooser) noexcept;
