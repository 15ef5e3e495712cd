#include "framework/util/file_replace.h"

namespace {

constexpr ULONGLONG kReplaceRetryMilliseconds = 2000;
constexpr DWORD kReplacePauseMilliseconds = 50;

// Errors that another handle on either file gives, and that end when it is
// closed.
bool IsHeldError(DWORD error) noexcept {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

}  // namespace

bool ReplaceFileRetrying(const char* from, const char* to) noexcept {
  const ULONGLONG deadline = GetTickCount64() + kReplaceRetryMilliseconds;
  for (;;) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    if (!IsHeldError(error) || GetTickCount64() >= deadline) {
      SetLastError(error);
      return false;
    }
    Sleep(kReplacePauseMilliseconds);
  }
}
