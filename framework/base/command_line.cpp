#include "framework/base/command_line.h"

#include <cstring>

#include "framework/util/text_util.h"

namespace {

// Copies the token [begin, begin + length) into a 260-byte field, cut to 259.
void CopyToken(char (&field)[kSwitchTextSize], const char* begin, std::size_t length) {
  if (length >= kSwitchTextSize) length = kSwitchTextSize - 1;
  std::memcpy(field, begin, length);
  field[length] = '\0';
}

bool TokenIs(const char* begin, std::size_t length, const char* name) {
  return std::strlen(name) == length && CompareNoCase(begin, name, length) == 0;
}

}  // namespace

int ParseCommandLine(const char* commandLine, std::vector<CommandLineSwitch>& switches,
                     CommandLineFlags& flags) {
  switches.clear();
  flags.autoStart = 0;
  flags.taskScheduler = 0;
  if (commandLine == nullptr || commandLine[0] == '\0') return kCommandLineNormal;

  bool quit = false;
  bool waitForData = false;
  bool haveCurrent = false;
  CommandLineSwitch current;

  const char* p = commandLine;
  while (*p != '\0') {
    if (*p == ' ') {
      ++p;
      continue;
    }
    if (*p == '-') {
      const char* begin = p;
      while (*p != '\0' && *p != ' ') ++p;
      const std::size_t length = static_cast<std::size_t>(p - begin);
      if (haveCurrent) switches.push_back(std::move(current));
      current = CommandLineSwitch();
      haveCurrent = true;
      CopyToken(current.name, begin, length);
      if (TokenIs(begin, length, "-WAITFORDATAPATH")) {
        waitForData = true;
      } else if (TokenIs(begin, length, "-AUTOSTART")) {
        flags.autoStart = 1;
      } else if (TokenIs(begin, length, "-QUIT")) {
        quit = true;
      } else if (TokenIs(begin, length, "-MINIMIZE")) {
        flags.startMinimized = 1;
      } else if (TokenIs(begin, length, "-TASKSCHEDULER")) {
        flags.taskScheduler = 1;
      }
      continue;
    }
    const char* begin;
    std::size_t length;
    if (*p == '"') {
      begin = ++p;
      while (*p != '\0' && *p != '"') ++p;
      length = static_cast<std::size_t>(p - begin);
      if (*p == '"') ++p;
    } else {
      begin = p;
      while (*p != '\0' && *p != ' ') ++p;
      length = static_cast<std::size_t>(p - begin);
    }
    if (!haveCurrent) {
      current = CommandLineSwitch();
      haveCurrent = true;
    }
    SwitchArgument argument;
    CopyToken(argument.text, begin, length);
    // Out of memory ends the process elsewhere in this program; here the
    // argument is simply not kept.
    (void)current.arguments.Append(argument);
  }
  if (haveCurrent) switches.push_back(std::move(current));

  if (quit) return kCommandLineQuit;
  return waitForData ? kCommandLineWaitForData : kCommandLineNormal;
}
