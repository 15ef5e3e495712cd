// Replacing a file by another in one move, and the sharing of the readers
// that such a replace must get past.
#pragma once

#include <windows.h>

// Every reader of record and archive files opens with this, so that no
// handle of ours keeps a writer from replacing or deleting the file. Where
// the file system refuses to replace an open file all the same, the replace
// below waits out the read.
constexpr DWORD kReaderShareMode = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Moves from over to (replacing it, written through). Indexers, sync and
// backup tools hold files open for a moment without delete sharing, which
// fails the move with a sharing or access error: it is tried again with short
// pauses for about two seconds. False when it still fails; from is then left
// where it was, and removing it is the caller's.
[[nodiscard]] bool ReplaceFileRetrying(const char* from, const char* to) noexcept;
