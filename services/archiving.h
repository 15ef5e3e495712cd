// The scheduled archive of the configuration.
#pragma once

// The daily due test: starts an archive run when the configured interval has
// passed since the last one. Configuration archiving is not part of the
// program yet, so nothing is ever due and nothing is started.
void ArchiveIfDue() noexcept;
