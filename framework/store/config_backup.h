// The configuration archive itself, without dialogs or messages: written by
// the backup commands and by the scheduled archiving on its worker thread.
#pragma once

#include <cstdint>

// Writes the configuration archive to target: the product entry, then, with
// records, every record file of the data folder and its sub-folders. The
// backup command's result codes (0 done, 2 not made, 5 some files missing).
[[nodiscard]] std::uint32_t WriteConfigurationArchive(const char* target, bool withRecords) noexcept;
