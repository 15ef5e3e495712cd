#include "framework/app/backup_restore.h"

// Placeholder until backups are built: nothing is written or staged, and
// the caller hears that the archive could not be made.
std::uint32_t BackupRestoreConfiguration(HWND, BackupMode, const char*) noexcept { return kBackupArchiveFailed; }
