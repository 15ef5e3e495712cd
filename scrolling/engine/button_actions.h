// What the back, forward and middle buttons can be made to do: swap or
// re-send the browser commands, type a key combination into a window, or
// start a command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "framework/util/grow_array.h"

#include "hooklib/shared_memory.h"
#include "scrolling/engine/platform.h"
#include "scrolling/engine/target_selector.h"
#include "scrolling/options/options.h"

inline constexpr std::uint32_t kWmAppCommand = 0x0319;

// Virtual keys of the modifiers of a hot-key value.
inline constexpr std::uint8_t kVkShift = 0x10;
inline constexpr std::uint8_t kVkControl = 0x11;
inline constexpr std::uint8_t kVkMenu = 0x12;
inline constexpr std::uint8_t kVkLeftWin = 0x5B;

// Hot-key modifier bits (high byte of the value).
inline constexpr std::uint8_t kHotKeyAlt = 1;
inline constexpr std::uint8_t kHotKeyCtrl = 2;
inline constexpr std::uint8_t kHotKeyShift = 4;
inline constexpr std::uint8_t kHotKeyWin = 8;

// The keyboard events that type hotKey: first a release of every key the
// user holds (so that those keys do not mix in), then the modifiers down,
// the key down and up, and the modifiers up. Empty for the value 0, and
// when memory runs out (no half combination is ever typed).
[[nodiscard]] CGrowArray<KeyInput> BuildKeyCombination(EnginePlatform& platform, std::uint16_t hotKey);

// Activates the window and types the combination into it.
void SendKeyCombination(EnginePlatform& platform, std::uint16_t hotKey, WindowId window);

// A command text split into the program and its arguments. The program is
// a path (at most 259 characters); the arguments keep the whole rest.
struct CommandLineParts {
  char program[kPathSize];
  char arguments[kCommandSize];
};

// Splits "program arguments" or "\"program path\" arguments". False when
// there is no program, or when the program does not fit: a cut path could
// start a different program.
[[nodiscard]] bool SplitCommandLine(std::string_view text, CommandLineParts& out) noexcept;

// Starts the command text with window as the parent; nothing for an empty
// or unusable text. The text itself is left as it was.
void RunCommandLine(EnginePlatform& platform, std::string_view text, WindowId window);

// The browser back (1) or forward (2) command that window received, as the
// current profile wants it handled. Nonzero: the command is swallowed. A
// command that arrives while one is being handled (the one this handler
// re-sent, caught again by the hook) passes unchanged with 0.
[[nodiscard]] std::intptr_t HandleAppCommand(EnginePlatform& platform, TargetSelector& selector,
                                             const Options& options, const SharedMemory* shared,
                                             std::uint32_t command, WindowId window);
