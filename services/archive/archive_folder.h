// Where the scheduled configuration archives go: the folder part of the
// archive settings' path pattern, as far as it does not depend on the moment
// of archiving.
#pragma once

#include <cstddef>

// The path pattern used when the settings hold none.
inline constexpr char kDefaultArchivePathPattern[] = "%CONFIGDIR%\\Backup";

struct ArchiveTokenValues {
  const char* program;    // the product name
  const char* configDir;  // the installation record's data path, as stored
  const char* version;    // "major.minor.build"
};

// Replaces the tokens that stay the same for the whole run (%PROGRAM%,
// %CONFIGDIR%, %PROGVER%) in pattern (a buffer of capacity bytes). False when
// a replacement does not fit.
[[nodiscard]] bool ReplaceFixedArchiveTokens(char* pattern, std::size_t capacity,
                                             const ArchiveTokenValues& values) noexcept;

// Cuts an expanded pattern to the folder that every archive lies in: when a
// token is left (a date or time, "%...%"), the text before the last "\" ahead
// of it; a folder that is left without any "\" becomes empty.
void CutToFixedFolder(char* folder) noexcept;
