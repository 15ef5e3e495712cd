// Loading and saving gOpt through the options file of the data folder.
#pragma once

// save 0 loads gOpt, 1 saves it; see LoadSaveOptionsWith.
int LoadSaveOptions(int save);
// See ImportOldOptionsWith.
int ImportOldOptions();
