// The scheduled archive of the configuration.
#pragma once

#include <cstddef>

// The daily due test: starts an archive run when the configured interval has
// passed since the last one. Configuration archiving is not part of the
// program yet, so nothing is ever due and nothing is started.
void ArchiveIfDue() noexcept;

// Replaces the path tokens (%PROGRAM%, %YEAR%, ...) of pattern, then its
// environment variables, into out. False when any step fails, an expansion
// that does not fit included: out is then no usable path.
[[nodiscard]] bool ExpandPathTokens(const char* pattern, char* out, std::size_t capacity) noexcept;

// The folder of the scheduled archives from the archive settings "(Orvo)Archive"
// (their default when there are none), its date and time part left out (see
// CutToFixedFolder). Empty when it names no absolute folder: a restore then
// has no archive folder to spare.
void GetScheduledArchiveFolder(char* out, std::size_t capacity) noexcept;
