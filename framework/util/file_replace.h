// Replacing a file by another in one move: the sharing of the readers that
// such a replace must get past, the wait between its tries, and the
// temporaries that are written before it.
#pragma once

#include <windows.h>

#include <cstddef>

#include "framework/util/temp_names.h"

// Every reader of record and archive files opens with this, so that no
// handle of ours keeps a writer from replacing or deleting the file. Where
// the file system refuses to replace an open file all the same, the replace
// below waits out the read.
constexpr DWORD kReaderShareMode = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// How long a replace tries again while another program holds a file.
constexpr DWORD kReplaceRetryMs = 2000;

// Moves from over to (replacing it, written through). Indexers, sync and
// backup tools hold files open for a moment without delete sharing, which
// fails the move with a sharing or access error: it is tried again with short
// pauses for kReplaceRetryMs, answering meanwhile what other threads and
// programs send to the calling thread (PauseAnsweringSentMessages). A target
// that is read-only or a folder is refused at once: no wait ends that. False
// when it still fails, the system's reason the thread's last error; from is
// then left where it was, and removing it is the caller's.
[[nodiscard]] bool ReplaceFileRetrying(const char* from, const char* to) noexcept;

// Waits for the given time while answering the messages that other threads
// and programs send to the calling thread: a window's thread that waits here
// keeps every program that sends to it going (the hooks of the whole desktop
// send to the main window and wait for its answer). Posted messages and
// input stay queued for the thread's own loop, so no command, dialog or quit
// starts in the middle of the waiting caller's work.
void PauseAnsweringSentMessages(DWORD milliseconds) noexcept;

// Waits for object to be signalled, at most the given time, answering
// meanwhile what is sent to the calling thread as the pause above does (and
// counting as one). True when it was signalled.
[[nodiscard]] bool WaitAnsweringSentMessages(HANDLE object, DWORD milliseconds) noexcept;

// True while the calling thread is inside such a pause: what a message
// answered there does must not dispatch posted messages (a pump or a modal
// loop of its own).
[[nodiscard]] bool IsAnsweringSentMessagesOnly() noexcept;

// Creates a new empty file beside target (in its folder) under a scratch
// name of this process (framework/util/temp_names.h), so that no other
// writer takes the name before the caller writes it; its path into out.
// False when none could be made.
[[nodiscard]] bool ReserveTempFileBeside(const char* target, char* out, std::size_t capacity) noexcept;

// Settles the temporaries that processes of this program left in folder
// (not its sub-folders) when they ended before they could put them in
// place or remove them (killed, a worker that outlived the shut-down, a
// power loss in the middle of a replace): record temporaries of
// recordExtension and scratch files, as PlanLeftoverTemporaries
// (framework/util/temp_names.h) decides. contentsOf tells whether the
// temporary at tempPath reads whole as the record recordName of its folder
// (null: no form is known). A record that appears meanwhile is never
// replaced.
using TempContentsCheck = TempContents (*)(const char* tempPath, const char* recordName) noexcept;
struct LeftoverCounts {
  int removed = 0;
  int putInPlace = 0;
  int keptAside = 0;
};
LeftoverCounts SettleLeftoverTemporaries(const char* folder, const char* recordExtension,
                                         TempContentsCheck contentsOf) noexcept;
