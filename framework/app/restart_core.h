// How the program relaunches itself at exit: the exit modes, the command
// line the new process gets and the verb that starts it.
#pragma once

#include <cstddef>
#include <cstdint>

enum : std::uint32_t {
  kExitNormal = 0,
  kExitRestart = 1,
  kExitRestartElevated = 2,
};
// The request (never a stored mode) for a restart with the process's current
// elevation.
inline constexpr int kRestartWithCurrentElevation = -1;

// The exit mode a request stands for: -1 asks for a restart with the
// process's current elevation (`elevation` as IsProcessElevated answers:
// 0 not elevated, 1 elevated, -1 unknown, which restarts elevated so that a
// program that may need the rights keeps them); any other value is taken as
// it is.
[[nodiscard]] std::uint32_t ExitModeFor(int requested, int elevation) noexcept;

inline constexpr std::size_t kRestartCommandLineSize = 260;

// The command line for the relaunch, built from the running program's own
// (without the program name) into out (outSize bytes, normally 260):
// - "-AUTOSTART" and "-WAITFORDATAPATH" are left out: the new process is not
//   started at logon, and with autostart switched off it would end at once;
// - the other tokens are kept as written, quotes included, one space apart;
// - a token that no longer fits is dropped together with every token after
//   it, so that no argument is ever cut in the middle.
// Returns the number of tokens dropped for want of room (0 when everything
// fitted). out is always terminated (empty when outSize is 1); outSize 0
// writes nothing.
std::size_t BuildRestartCommandLine(const char* commandLine, char* out, std::size_t outSize) noexcept;

// The shell verb for the relaunch: "runas" for an elevated restart on
// Windows Vista (osVersion 6) and later, else null (the default verb; older
// systems know no elevation).
[[nodiscard]] const char* RestartVerb(std::uint32_t exitMode, std::uint32_t osVersion) noexcept;
