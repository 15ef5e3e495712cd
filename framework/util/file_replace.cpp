#include "framework/util/file_replace.h"

#include <atomic>
#include <cstdint>

#include "framework/util/grow_array.h"
#include "framework/util/temp_names.h"
#include "framework/util/text_util.h"
#include "framework/util/win_handles.h"

namespace {

constexpr DWORD kReplacePauseMilliseconds = 50;

// Pauses of PauseAnsweringSentMessages under way on this thread: a message
// answered in one may start another (a save of another file).
thread_local int tPauseDepth = 0;

// Errors that another handle on either file gives, and that end when it is
// closed.
bool IsHeldError(DWORD error) noexcept {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// Access is also refused for a target that no reader holds: one that is
// read-only or a folder stays so however long the replace waits.
bool IsReadOnlyOrFolder(const char* to) noexcept {
  const DWORD attributes = GetFileAttributesA(to);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

std::uint64_t FileTimeValue(const FILETIME& time) noexcept {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// A process of that id runs now, started at started (0: not known). One
// that cannot be asked (another user's) counts as running: its files are
// not ours to judge. Systems before Vista know no limited query: there the
// start stays unknown.
bool ProcessRuns(std::uint32_t processId, std::uint64_t* started) noexcept {
  *started = 0;
  CKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) process.Reset(OpenProcess(SYNCHRONIZE, FALSE, processId));
  if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
  if (WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT) return false;
  FILETIME creation{};
  FILETIME exit{};
  FILETIME kernel{};
  FILETIME user{};
  if (GetProcessTimes(process.Get(), &creation, &exit, &kernel, &user)) *started = FileTimeValue(creation);
  return true;
}

}  // namespace

bool ReplaceFileRetrying(const char* from, const char* to) noexcept {
  // Windows refuses to replace these, and some file systems would not: the
  // target is refused alike everywhere.
  if (IsReadOnlyOrFolder(to)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  const ULONGLONG deadline = GetTickCount64() + kReplaceRetryMs;
  for (;;) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    if (!IsHeldError(error) || (error == ERROR_ACCESS_DENIED && IsReadOnlyOrFolder(to)) ||
        GetTickCount64() >= deadline) {
      SetLastError(error);
      return false;
    }
    PauseAnsweringSentMessages(kReplacePauseMilliseconds);
  }
}

void PauseAnsweringSentMessages(DWORD milliseconds) noexcept { (void)WaitAnsweringSentMessages(nullptr, milliseconds); }

bool WaitAnsweringSentMessages(HANDLE object, DWORD milliseconds) noexcept {
  ++tPauseDepth;
  const ULONGLONG end = GetTickCount64() + milliseconds;
  const DWORD objects = object != nullptr ? 1 : 0;
  bool signalled = false;
  for (;;) {
    // Peeking for sent messages alone answers every one that waits and
    // takes nothing from the queue.
    MSG msg;
    (void)PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    if (object != nullptr && WaitForSingleObject(object, 0) == WAIT_OBJECT_0) {
      signalled = true;
      break;
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= end) break;
    // Wakes for the object or a message sent from now on, for nothing else.
    (void)MsgWaitForMultipleObjectsEx(objects, object != nullptr ? &object : nullptr, static_cast<DWORD>(end - now),
                                      QS_SENDMESSAGE, 0);
  }
  --tPauseDepth;
  return signalled;
}

bool IsAnsweringSentMessagesOnly() noexcept { return tPauseDepth > 0; }

bool ReserveTempFileBeside(const char* target, char* out, std::size_t capacity) noexcept {
  static std::atomic<std::uint32_t> sequence{0};
  if (target == nullptr || out == nullptr || capacity == 0 || !CopyText(out, capacity, target)) return false;
  // The name goes where target's own name starts.
  char* name = CutAtLastBackslash(out);
  if (name != nullptr) {
    *name++ = '\\';
  } else {
    name = out;
  }
  const std::size_t room = capacity - static_cast<std::size_t>(name - out);
  for (int attempt = 0; attempt < 64; ++attempt) {
    // A name that is taken (a leftover of a process whose id this one now
    // has) is never opened: the next number is tried.
    if (!ComposeScratchTempName(GetCurrentProcessId(), sequence.fetch_add(1), name, room)) break;
    const HANDLE file = CreateFileA(out, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  out[0] = '\0';
  return false;
}

namespace {

class CSystemLeftoverProbe final : public CLeftoverProbe {
 public:
  CSystemLeftoverProbe(const char* folder, TempContentsCheck contentsOf) noexcept
      : folder_(folder), contentsOf_(contentsOf) {}
  bool ProcessRuns(std::uint32_t processId, std::uint64_t* started) noexcept override {
    return ::ProcessRuns(processId, started);
  }
  TempContents ContentsOf(const char* tempName, const char* recordName) noexcept override {
    char path[MAX_PATH];
    if (contentsOf_ == nullptr) return TempContents::kUnknownForm;
    if (!JoinPath(path, sizeof path, folder_, tempName)) return TempContents::kUnreadable;
    return contentsOf_(path, recordName);
  }

 private:
  const char* folder_;
  TempContentsCheck contentsOf_;
};

// The files and folders of folder; false when it cannot be listed whole.
bool ListFolder(const char* folder, CGrowArray<FolderEntry>& entries) noexcept {
  char pattern[MAX_PATH];
  if (!JoinPath(pattern, sizeof pattern, folder, "*")) return false;
  WIN32_FIND_DATAA found;
  const CFindHandle find(FindFirstFileA(pattern, &found));
  if (!find) return false;
  do {
    FolderEntry entry{};
    if (!CopyText(entry.name, sizeof entry.name, found.cFileName)) continue;
    entry.lastWrite = FileTimeValue(found.ftLastWriteTime);
    entry.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (entries.Append(entry) < 0) return false;
  } while (FindNextFileA(find.Get(), &found));
  return GetLastError() == ERROR_NO_MORE_FILES;
}

}  // namespace

LeftoverCounts SettleLeftoverTemporaries(const char* folder, const char* recordExtension,
                                         TempContentsCheck contentsOf) noexcept {
  LeftoverCounts counts;
  char base[MAX_PATH];
  if (folder == nullptr || !CopyText(base, sizeof base, folder)) return counts;
  RemoveTrailingBackslash(base);
  CGrowArray<FolderEntry> entries;
  // A record missing from a partial listing would make its temporary look
  // like its only copy.
  if (base[0] == '\0' || !ListFolder(base, entries)) return counts;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  CSystemLeftoverProbe probe(base, contentsOf);
  PlanLeftoverTemporaries(entries.Data(), static_cast<std::size_t>(entries.Count()), recordExtension,
                          FileTimeValue(now), probe);
  for (const FolderEntry& entry : entries) {
    char path[MAX_PATH];
    char target[MAX_PATH];
    if (entry.action == TempAction::kNone || entry.action == TempAction::kLeave ||
        !JoinPath(path, sizeof path, base, entry.name)) {
      continue;
    }
    if (entry.action == TempAction::kRemove) {
      if (DeleteFileA(path)) ++counts.removed;
      continue;
    }
    // Without replacing: a record or a name that another process has taken
    // since the listing stays, and so does the temporary.
    if (!JoinPath(target, sizeof target, base, entry.target) ||
        !MoveFileExA(path, target, MOVEFILE_WRITE_THROUGH)) {
      continue;
    }
    if (entry.action == TempAction::kPutInPlace) {
      ++counts.putInPlace;
    } else {
      ++counts.keptAside;
    }
  }
  return counts;
}
