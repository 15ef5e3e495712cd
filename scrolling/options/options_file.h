// Loading and saving gOpt through the options file of the data folder.
#pragma once

#include <cstdint>

#include "framework/app/save_report_core.h"

// The product's texts of the options file, each with the file's path and the
// system's reason as two %s: a save that did not land, and an older or
// damaged file that could not be kept under its other name at the start.
inline constexpr std::uint32_t kTextOptionsNotSaved = 5013;
inline constexpr std::uint32_t kTextOptionsNotKept = 5014;

// save 0 loads gOpt, 1 saves it as SaveOptions(kBackground) does; see
// LoadSaveOptionsWith. What the load found holds for the saves of the whole
// run: a file that was there but could not be read, or that could not be
// kept under its other name, is never saved over.
int LoadSaveOptions(int save);

// Saves gOpt; 1 when the file holds them. A save that does not land is told
// to the user with kTextOptionsNotSaved: at once after their own action,
// once a run otherwise (save_report.h). One held back for the run was told
// at the start and writes nothing.
int SaveOptions(SaveOccasion occasion);

// See ImportOldOptionsWith.
int ImportOldOptions();

// The last load found the options file there but could not read it: the
// factory options are in use and nothing is saved this run.
[[nodiscard]] bool OptionsFileUnreadable() noexcept;

// The last load found an older or damaged options file that could not be
// kept under its other name: nothing is saved this run. error: the system's
// reason.
[[nodiscard]] bool OptionsFileNotKept(std::uint32_t* error) noexcept;
