// Shell and window helpers.
#pragma once

#include <windows.h>

// Opens a file, program or address through the desktop shell's own process,
// so that it runs with the user's normal rights even when this program is
// elevated. When the shell cannot be reached that way it falls back to
// ShellExecuteA from this process. The result is the outcome of what was
// actually run: S_OK when the shell took the request (it reports its own
// errors to the user from then on) or the fallback start succeeded, else the
// failing HRESULT of the fallback.
[[nodiscard]] HRESULT ShellExecuteUnelevated(const char* file, const char* parameters, const char* directory,
                                             const char* verb, int show) noexcept;

// The fallback: ShellExecuteA from this process. S_OK when it started the
// file, else an HRESULT from its error.
[[nodiscard]] HRESULT ShellExecuteHere(const char* file, const char* parameters, const char* directory,
                                       const char* verb, int show) noexcept;

// Whether the common controls library is newer than version 4.70.
[[nodiscard]] bool IsComCtlAbove470() noexcept;

// Invalidates the strips that a resize uncovered (the whole window when the
// size did not change) and stores the new size in oldWidth and oldHeight.
void InvalidateGrownArea(HWND window, int width, int height, int& oldWidth, int& oldHeight) noexcept;
