// Names of the record files: "<folder>\<name><index>.oqc" and the temporary
// "<target>_tmp" of an atomic write.
#pragma once

#include <cstddef>

inline constexpr std::size_t kRecordPathSize = 260;

// "<name><index>" ("%s%d"), or just the name when index is -1. False, with
// out emptied, when it does not fit.
[[nodiscard]] bool ComposeRecordName(const char* name, int index, char* out, std::size_t capacity) noexcept;

// folder, then "\" and name when name is given, then "." and extension when
// extension is given. False, with out emptied, when it does not fit.
[[nodiscard]] bool ComposeDataFilePath(const char* folder, const char* name, const char* extension, char* out,
                                       std::size_t capacity) noexcept;

// target + "_tmp". False, with out emptied, when it does not fit: a cut name
// could be the live file itself.
[[nodiscard]] bool ComposeTempPath(const char* target, char* out, std::size_t capacity) noexcept;
