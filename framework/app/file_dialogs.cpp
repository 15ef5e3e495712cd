#include "framework/app/file_dialogs.h"

// Placeholders until the dialogs are built: nothing is chosen.
const char* ShowFileDialog(bool, const char*, int, std::uint8_t*, char*, const char*) noexcept { return nullptr; }

int BrowseForFolder(const char*, char*, bool) noexcept { return kFolderNotChosen; }
