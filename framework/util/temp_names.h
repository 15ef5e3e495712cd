// The names of the temporary files that the program writes before a
// replacing move. Each carries the id of the process that writes it: no two
// processes (a relaunched instance and an old one still finishing) ever
// write one, and a later run tells the leftovers of a process that has ended
// from the files of one still writing.
#pragma once

#include <cstddef>
#include <cstdint>

// target + "_tmp" + the process id ("%s_tmp%u"), beside a record. False,
// with out emptied, when it does not fit: a cut name could be the live file
// itself.
[[nodiscard]] bool ComposeRecordTempPath(const char* target, std::uint32_t processId, char* out,
                                         std::size_t capacity) noexcept;

// "~vz<process id>-<sequence>.tmp" (both decimal), for writers that need
// several at once in one folder (an extraction, archives). False, with out
// emptied, when it does not fit.
[[nodiscard]] bool ComposeScratchTempName(std::uint32_t processId, std::uint32_t sequence, char* out,
                                          std::size_t capacity) noexcept;

// Whether fileName (no folder) is one of the two forms above, a record
// temporary only when the record's name ends with "." and recordExtension;
// processId receives the writer's id. Any other name, also one that merely
// looks alike, is none of ours.
[[nodiscard]] bool TempNameOwner(const char* fileName, const char* recordExtension,
                                 std::uint32_t* processId) noexcept;
