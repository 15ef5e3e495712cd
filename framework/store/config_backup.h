// The configuration archive itself, without dialogs or messages: written by
// the backup commands and by the scheduled archiving on its worker thread.
#pragma once

#include <cstdint>

// The configuration archives' extension: backups, scheduled archives and the
// pending restore.
inline constexpr char kConfigArchiveExtension[] = "BrindlexConfig";

namespace zip {
class ZipPlatform;
}

// Writes the configuration archive to target: the product entry, then, with
// records, every record file of the data folder and its sub-folders. The
// backup command's result codes (0 done, 2 not made, 5 some files missing).
// The archive is written under a temporary name beside target and moved
// over it only once it was closed whole: a failure leaves target as it was.
[[nodiscard]] std::uint32_t WriteConfigurationArchive(const char* target, bool withRecords) noexcept;
// The same through another file back-end (tests of failing disks).
[[nodiscard]] std::uint32_t WriteConfigurationArchiveWith(zip::ZipPlatform& platform, const char* target,
                                                          bool withRecords) noexcept;

enum class ConfigArchiveCheck : int {
  kUsable = 0,
  kNotArchive,    // missing, unreadable or no ZIP archive
  kWrongProduct,  // no entry named as the product
  kDamaged,       // an entry that cannot be read whole, fails its CRC-32 or
                  // cannot be placed below the data folder
};

// Whether the file is a configuration archive of productName that can be
// restored into the data folder: every entry is read through to its end,
// and every record's name stays below the folder.
[[nodiscard]] ConfigArchiveCheck CheckConfigurationArchive(const char* path, const char* productName) noexcept;
