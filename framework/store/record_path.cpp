#include "framework/store/record_path.h"

#include <cstdio>

#include "framework/util/text_util.h"

namespace {
bool Finish(int n, char* out, std::size_t capacity) noexcept {
  if (n < 0 || static_cast<std::size_t>(n) >= capacity) {
    if (capacity > 0) out[0] = '\0';
    return false;
  }
  return true;
}
}  // namespace

bool ComposeRecordName(const char* name, int index, char* out, std::size_t capacity) noexcept {
  const int n = index == -1 ? std::snprintf(out, capacity, "%s", name) : std::snprintf(out, capacity, "%s%d", name, index);
  return Finish(n, out, capacity);
}

bool ComposeDataFilePath(const char* folder, const char* name, const char* extension, char* out,
                         std::size_t capacity) noexcept {
  if (capacity == 0) return false;
  bool ok = CopyText(out, capacity, folder != nullptr ? folder : "");
  if (name != nullptr) ok = ok && AppendText(out, capacity, "\\") && AppendText(out, capacity, name);
  if (extension != nullptr) ok = ok && AppendText(out, capacity, ".") && AppendText(out, capacity, extension);
  if (!ok) out[0] = '\0';
  return ok;
}
