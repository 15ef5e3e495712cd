#include "scrolling/options/options_file.h"

#include <windows.h>

#include "framework/app/save_report.h"
#include "framework/store/config_archive_win32.h"
#include "framework/text/text_table.h"
#include "scrolling/options/options_storage.h"

namespace {

// Main thread only, like gOpt.
OptionsFileState gOptionsFile = OptionsFileState::kSavable;
std::uint32_t gNotKeptError = 0;

// The load and the import also write: the older file under its other name.
int LoadOrImport(bool import) {
  CDataFolderStore store;
  const int result = import ? ImportOldOptionsWith(store, gOpt, &gOptionsFile)
                            : LoadSaveOptionsWith(store, gOpt, 0, &gOptionsFile);
  gNotKeptError = gOptionsFile == OptionsFileState::kNotKept ? store.LastWrite().error : 0;
  return result;
}

}  // namespace

int LoadSaveOptions(int save) { return save != 0 ? SaveOptions(SaveOccasion::kBackground) : LoadOrImport(false); }

int SaveOptions(SaveOccasion occasion) {
  // Held back for the run: the user was told at the start.
  if (gOptionsFile != OptionsFileState::kSavable) return 0;
  CDataFolderStore store;
  if (LoadSaveOptionsWith(store, gOpt, 1, &gOptionsFile) == 1) return 1;
  RecordWriteStatus write = store.LastWrite();
  // Nothing written: the archive could not be made in memory.
  if (write.Failed() && write.error == 0) write.error = ERROR_NOT_ENOUGH_MEMORY;
  ReportRecordWrite(write, kOptionsRecordName, -1, 0, occasion, GetText(kTextOptionsNotSaved, 0));
  return 0;
}

int ImportOldOptions() { return LoadOrImport(true); }

bool OptionsFileUnreadable() noexcept { return gOptionsFile == OptionsFileState::kUnreadable; }

bool OptionsFileNotKept(std::uint32_t* error) noexcept {
  if (error != nullptr) *error = gNotKeptError;
  return gOptionsFile == OptionsFileState::kNotKept;
}
