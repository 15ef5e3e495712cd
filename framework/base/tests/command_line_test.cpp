#include "framework/base/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The switches as "name(argument|argument) name()".
std::string Describe(const std::vector<CommandLineSwitch>& switches) {
  std::string out;
  for (const CommandLineSwitch& s : switches) {
    out += std::string(out.empty() ? "" : " ") + s.name + "(";
    for (int i = 0; i < s.arguments.Count(); ++i) out += std::string(i > 0 ? "|" : "") + s.arguments[i].text;
    out += ")";
  }
  return out;
}

}  // namespace

TEST(CommandLine, SwitchesArgumentsQuotingAndFlags) {
  const std::string a259(259, 'a'), longSwitch = "-AUTOSTART" + std::string(300, 'Z');
  const std::string overlong = std::string(400, 'a') + " " + longSwitch + " -QUIT tail";
  const std::string quoted = "\"" + std::string(300, 'q') + "\" next";
  // Flags as autoStart, startMinimized, taskScheduler.
  const struct { const char* text; int result; std::string flags, switches; } cases[] = {
      {"", kCommandLineNormal, "000", ""}, {nullptr, kCommandLineNormal, "000", ""}, {"    ", kCommandLineNormal, "000", ""},
      // Known switches in any case, kept as written.
      {"-autostart -Minimize -TASKSCHEDULER", kCommandLineNormal, "111", "-autostart() -Minimize() -TASKSCHEDULER()"},
      {"-quit", kCommandLineQuit, "000", "-quit()"},
      {"-WAITFORDATAPATH", kCommandLineWaitForData, "000", "-WAITFORDATAPATH()"},
      {"-WAITFORDATAPATH -QUIT", kCommandLineQuit, "000", "-WAITFORDATAPATH() -QUIT()"},  // quit wins
      {"-QUIT -waitfordatapath", kCommandLineQuit, "000", "-QUIT() -waitfordatapath()"},
      {"-AUTOSTARTX -QUI -MINIMIZED", kCommandLineNormal, "000", "-AUTOSTARTX() -QUI() -MINIMIZED()"},  // no prefixes
      {"file1 -MINIMIZE \"a b\" c", kCommandLineNormal, "010", "(file1) -MINIMIZE(a b|c)"},
      // A quoted token starting with '-' is an argument; text glued to a
      // closing quote starts the next argument; a quote inside a plain token
      // is kept.
      {"\"-QUIT\" \"x y\"z a\"b \"unterminated", kCommandLineNormal, "000", "(-QUIT|x y|z|a\"b|unterminated)"},
      {"-QUIT\tx", kCommandLineNormal, "000", "-QUIT\tx()"},  // tabs do not separate
      // Overlong tokens are cut without spilling; a cut switch matches nothing.
      {overlong.c_str(), kCommandLineQuit, "000", "(" + a259 + ") " + longSwitch.substr(0, 259) + "() -QUIT(tail)"},
      {quoted.c_str(), kCommandLineNormal, "000", "(" + std::string(259, 'q') + "|next)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text != nullptr ? std::string(c.text).substr(0, 60) : "<null>");
    std::vector<CommandLineSwitch> switches;
    CommandLineFlags flags;
    EXPECT_EQ(ParseCommandLine(c.text, switches, flags), c.result);
    EXPECT_EQ(std::to_string(flags.autoStart) + std::to_string(flags.startMinimized) + std::to_string(flags.taskScheduler),
              c.flags);
    EXPECT_EQ(Describe(switches), c.switches);
  }
}

TEST(CommandLine, ReparsingResetsFlagsExceptStartMinimizedAndEmptiesTheList) {
  std::vector<CommandLineSwitch> switches;
  CommandLineFlags flags;
  (void)ParseCommandLine("-A -AUTOSTART -TASKSCHEDULER", switches, flags);
  flags.startMinimized = 1;  // from the show command
  (void)ParseCommandLine("-D", switches, flags);
  EXPECT_EQ(Describe(switches), "-D()");
  EXPECT_EQ(flags.autoStart, 0);
  EXPECT_EQ(flags.taskScheduler, 0);
  EXPECT_EQ(flags.startMinimized, 1);
}
