// The forms of the record files, by which start-up tells whether a
// temporary left by a write that was cut short holds its record whole.
#pragma once

#include <cstddef>
#include <cstdint>

enum class RecordFormKind : std::uint8_t {
  kFixedSize,       // exactly `size` bytes
  kText,            // a text and its terminating zero, no zero before that
  kOptionsArchive,  // the options file (framework/store/config_archive.h)
};

struct RecordForm {
  const char* name;  // the record's name, without index and extension
  RecordFormKind kind;
  std::uint32_t size;  // kFixedSize
  bool indexed;        // "<name><index>", such as (Orvo)Win3
};

// The form among forms of the record file recordFileName ("<name>.<extension>",
// compared without case); null when none is.
[[nodiscard]] const RecordForm* FindRecordForm(const RecordForm* forms, std::size_t count,
                                               const char* recordFileName, const char* extension) noexcept;

// Whether the bytes are a whole record of that form. A one-entry options
// archive is whole when its entry reads back whole, CRC included.
[[nodiscard]] bool ReadsWholeAs(const RecordForm& form, const std::uint8_t* data, std::size_t size) noexcept;
