// Names of the record files: "<folder>\<name><index>.oqc". The temporary of
// an atomic write is named in framework/util/temp_names.h.
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
