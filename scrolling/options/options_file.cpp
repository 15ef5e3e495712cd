#include "scrolling/options/options_file.h"

#include "framework/store/config_archive_win32.h"
#include "scrolling/options/options_storage.h"

int LoadSaveOptions(int save) {
  CDataFolderStore store;
  return LoadSaveOptionsWith(store, gOpt, save);
}

int ImportOldOptions() {
  CDataFolderStore store;
  return ImportOldOptionsWith(store, gOpt);
}
