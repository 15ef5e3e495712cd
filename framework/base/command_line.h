// The program's command line: switches with their arguments and the flags
// that the known switches set.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/util/grow_array.h"

inline constexpr std::size_t kSwitchTextSize = 260;

struct SwitchArgument {
  char text[kSwitchTextSize];
};

// One switch as written (with its '-'; empty for the arguments before the
// first switch) and the arguments that follow it.
struct CommandLineSwitch {
  char name[kSwitchTextSize] = {};
  CGrowArray<SwitchArgument> arguments;
  std::uint8_t flag = 0;
};

// The application object's flags that the command line sets.
struct CommandLineFlags {
  std::uint8_t autoStart = 0;
  std::uint8_t startMinimized = 0;
  std::uint8_t taskScheduler = 0;
};

enum : int {
  kCommandLineQuit = -1,         // "-QUIT"
  kCommandLineNormal = 0,
  kCommandLineWaitForData = 1,   // "-WAITFORDATAPATH"
};

// Fills `switches` (emptied first) from the command line without the program
// name, clears autoStart and taskScheduler and sets the flags of the switches
// found (startMinimized is only ever set: start-up may have set it from the
// show command). Returns kCommandLineQuit when "-QUIT" was seen, else
// kCommandLineWaitForData when "-WAITFORDATAPATH" was, else kCommandLineNormal.
// Tokens longer than 259 characters are cut to that length; a cut switch name
// matches none of the known switches.
int ParseCommandLine(const char* commandLine, std::vector<CommandLineSwitch>& switches,
                     CommandLineFlags& flags);
