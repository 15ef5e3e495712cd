#include "framework/store/record_forms.h"

#include <cstring>

#include "framework/store/config_archive.h"
#include "framework/util/text_util.h"

const RecordForm* FindRecordForm(const RecordForm* forms, std::size_t count, const char* recordFileName,
                                 const char* extension) noexcept {
  if (forms == nullptr || recordFileName == nullptr || extension == nullptr) return nullptr;
  const std::size_t length = std::strlen(recordFileName);
  const std::size_t tail = std::strlen(extension) + 1;
  if (length <= tail || recordFileName[length - tail] != '.' ||
      CompareNoCase(recordFileName + length - tail + 1, extension, tail) != 0) {
    return nullptr;
  }
  const std::size_t nameLength = length - tail;
  for (std::size_t i = 0; i < count; ++i) {
    const RecordForm& form = forms[i];
    const std::size_t own = std::strlen(form.name);
    if (own > nameLength || CompareNoCase(recordFileName, form.name, own) != 0) continue;
    const char* index = recordFileName + own;
    const char* end = recordFileName + nameLength;
    bool digits = index < end;
    for (const char* p = index; p < end; ++p) digits = digits && *p >= '0' && *p <= '9';
    if (form.indexed ? digits : index == end) return &form;
  }
  return nullptr;
}

bool ReadsWholeAs(const RecordForm& form, const std::uint8_t* data, std::size_t size) noexcept {
  if (data == nullptr) return false;
  switch (form.kind) {
    case RecordFormKind::kFixedSize:
      return size == form.size;
    case RecordFormKind::kText:
      return size > 0 && std::memchr(data, 0, size) == data + size - 1;
    case RecordFormKind::kOptionsArchive:
      return IsWholeConfigArchive(data, size);
  }
  return false;
}
