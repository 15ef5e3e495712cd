#include "scrolling/options/options_file.h"

#include "framework/store/config_archive_win32.h"
#include "scrolling/options/options_storage.h"

namespace {

// Main thread only, like gOpt.
OptionsFileState gOptionsFile = OptionsFileState::kSavable;

}  // namespace

int LoadSaveOptions(int save) {
  CDataFolderStore store;
  return LoadSaveOptionsWith(store, gOpt, save, &gOptionsFile);
}

int ImportOldOptions() {
  CDataFolderStore store;
  return ImportOldOptionsWith(store, gOpt, &gOptionsFile);
}

bool OptionsFileUnreadable() noexcept { return gOptionsFile == OptionsFileState::kUnreadable; }
