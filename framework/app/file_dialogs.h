// The system's open and save dialogs, and the folder picker, in the ANSI
// code page like the rest of the program.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// filter: pairs of NUL-terminated description and pattern, ended by an
// empty string; filterIndex counts from 0. The chosen name in a buffer that
// the next call overwrites, or null when the user cancels or the dialog
// fails. folder (260 characters) gives the starting folder and receives the
// chosen one with its trailing "\"; outFilterIndex the filter chosen.
[[nodiscard]] const char* ShowFileDialog(bool save, const char* filter, int filterIndex, std::uint8_t* outFilterIndex,
                                         char* folder, const char* initialName) noexcept;

inline constexpr int kFolderChosen = 1;
inline constexpr int kFolderNotChosen = 2;

// path (260 characters) starts the picker and receives the folder chosen;
// kFolderChosen, or kFolderNotChosen with path unchanged.
[[nodiscard]] int BrowseForFolder(const char* title, char* path, bool fileSystemOnly) noexcept;

// The shell's wide path in the ANSI code page into path (size bytes), only
// when every character has its own code there and the whole name fits;
// otherwise false with path unchanged, never a name with substitutes.
[[nodiscard]] bool WidePathToAnsi(const wchar_t* wide, char* path, std::size_t size) noexcept;
