// Loading and saving gOpt through the options file of the data folder.
#pragma once

// save 0 loads gOpt, 1 saves it; see LoadSaveOptionsWith. What the load
// found holds for the saves of the whole run: a file that was there but
// could not be read, or that could not be kept under its other name, is
// never saved over.
int LoadSaveOptions(int save);
// See ImportOldOptionsWith.
int ImportOldOptions();

// The last load found the options file there but could not read it: the
// factory options are in use and nothing is saved this run.
[[nodiscard]] bool OptionsFileUnreadable() noexcept;
