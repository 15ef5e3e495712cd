// The scheduled check for a newer version of the program.
#pragma once

// The daily due test: starts a check when the configured interval has passed
// since the last one. The update check is not part of the program yet, so
// nothing is ever due and nothing is started.
void CheckForUpdateIfDue() noexcept;
