#include "framework/app/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {
struct Parsed {
  int result;
  std::vector<CommandLineSwitch> switches;
  CommandLineFlags flags;
};

Parsed Parse(const char* text, CommandLineFlags flags = {}) {
  Parsed p{0, {}, flags};
  p.result = ParseCommandLine(text, p.switches, p.flags);
  return p;
}

std::string Arg(const CommandLineSwitch& s, int i) { return s.arguments[i].text; }
}  // namespace

TEST(CommandLine, EmptyGivesNothing) {
  Parsed p = Parse("");
  EXPECT_EQ(p.result, kCommandLineNormal);
  EXPECT_TRUE(p.switches.empty());
  p = Parse(nullptr);
  EXPECT_EQ(p.result, kCommandLineNormal);
  p = Parse("    ");
  EXPECT_TRUE(p.switches.empty());
}

TEST(CommandLine, KnownSwitchesSetFlagsAnyCase) {
  Parsed p = Parse("-autostart -Minimize -TASKSCHEDULER");
  EXPECT_EQ(p.result, kCommandLineNormal);
  EXPECT_EQ(p.flags.autoStart, 1);
  EXPECT_EQ(p.flags.startMinimized, 1);
  EXPECT_EQ(p.flags.taskScheduler, 1);
  ASSERT_EQ(p.switches.size(), 3u);
  EXPECT_STREQ(p.switches[0].name, "-autostart");  // kept as written
  EXPECT_STREQ(p.switches[1].name, "-Minimize");
}

TEST(CommandLine, QuitWinsOverWaitForDataPath) {
  EXPECT_EQ(Parse("-quit").result, kCommandLineQuit);
  EXPECT_EQ(Parse("-WAITFORDATAPATH").result, kCommandLineWaitForData);
  EXPECT_EQ(Parse("-WAITFORDATAPATH -QUIT").result, kCommandLineQuit);
  EXPECT_EQ(Parse("-QUIT -waitfordatapath").result, kCommandLineQuit);
}

TEST(CommandLine, PrefixOfASwitchSetsNothing) {
  Parsed p = Parse("-AUTOSTARTX -QUI -MINIMIZED");
  EXPECT_EQ(p.result, kCommandLineNormal);
  EXPECT_EQ(p.flags.autoStart, 0);
  EXPECT_EQ(p.flags.startMinimized, 0);
  EXPECT_EQ(p.switches.size(), 3u);
}

TEST(CommandLine, FlagsAreResetExceptStartMinimized) {
  CommandLineFlags before;
  before.autoStart = 1;
  before.taskScheduler = 1;
  before.startMinimized = 1;  // from the show command
  Parsed p = Parse("file", before);
  EXPECT_EQ(p.flags.autoStart, 0);
  EXPECT_EQ(p.flags.taskScheduler, 0);
  EXPECT_EQ(p.flags.startMinimized, 1);
}

TEST(CommandLine, ArgumentsGroupUnderTheirSwitch) {
  Parsed p = Parse("file1 -MINIMIZE \"a b\" c");
  ASSERT_EQ(p.switches.size(), 2u);
  EXPECT_STREQ(p.switches[0].name, "");
  ASSERT_EQ(p.switches[0].arguments.Count(), 1);
  EXPECT_EQ(Arg(p.switches[0], 0), "file1");
  EXPECT_STREQ(p.switches[1].name, "-MINIMIZE");
  ASSERT_EQ(p.switches[1].arguments.Count(), 2);
  EXPECT_EQ(Arg(p.switches[1], 0), "a b");
  EXPECT_EQ(Arg(p.switches[1], 1), "c");
  EXPECT_EQ(p.flags.startMinimized, 1);
}

TEST(CommandLine, QuotingRules) {
  // A quoted token starting with '-' is an argument; text glued to a closing
  // quote starts the next argument; a quote inside a plain token is kept.
  Parsed p = Parse("\"-QUIT\" \"x y\"z a\"b \"unterminated");
  EXPECT_EQ(p.result, kCommandLineNormal);
  ASSERT_EQ(p.switches.size(), 1u);
  const CommandLineSwitch& s = p.switches[0];
  ASSERT_EQ(s.arguments.Count(), 5);
  EXPECT_EQ(Arg(s, 0), "-QUIT");
  EXPECT_EQ(Arg(s, 1), "x y");
  EXPECT_EQ(Arg(s, 2), "z");
  EXPECT_EQ(Arg(s, 3), "a\"b");
  EXPECT_EQ(Arg(s, 4), "unterminated");
}

TEST(CommandLine, TabsDoNotSeparate) {
  Parsed p = Parse("-QUIT\tx");
  EXPECT_EQ(p.result, kCommandLineNormal);  // the switch is "-QUIT\tx"
  ASSERT_EQ(p.switches.size(), 1u);
  EXPECT_STREQ(p.switches[0].name, "-QUIT\tx");
}

TEST(CommandLine, OverlongTokensAreCutWithoutSpilling) {
  const std::string longArg(400, 'a');
  const std::string longSwitch = "-AUTOSTART" + std::string(300, 'Z');
  const std::string text = longArg + " " + longSwitch + " -QUIT tail";
  Parsed p = Parse(text.c_str());
  EXPECT_EQ(p.result, kCommandLineQuit);
  EXPECT_EQ(p.flags.autoStart, 0);
  ASSERT_EQ(p.switches.size(), 3u);
  ASSERT_EQ(p.switches[0].arguments.Count(), 1);
  EXPECT_EQ(Arg(p.switches[0], 0), std::string(259, 'a'));
  EXPECT_EQ(std::string(p.switches[1].name).size(), 259u);
  EXPECT_EQ(std::string(p.switches[1].name).substr(0, 10), "-AUTOSTART");
  ASSERT_EQ(p.switches[2].arguments.Count(), 1);
  EXPECT_EQ(Arg(p.switches[2], 0), "tail");

  // A quoted argument that is too long is cut too; the next token is whole.
  const std::string quoted = "\"" + std::string(300, 'q') + "\" next";
  p = Parse(quoted.c_str());
  ASSERT_EQ(p.switches.size(), 1u);
  ASSERT_EQ(p.switches[0].arguments.Count(), 2);
  EXPECT_EQ(Arg(p.switches[0], 0).size(), 259u);
  EXPECT_EQ(Arg(p.switches[0], 1), "next");
}

TEST(CommandLine, ReparsingEmptiesTheList) {
  std::vector<CommandLineSwitch> switches;
  CommandLineFlags flags;
  (void)ParseCommandLine("-A -B -C", switches, flags);
  ASSERT_EQ(switches.size(), 3u);
  (void)ParseCommandLine("-D", switches, flags);
  ASSERT_EQ(switches.size(), 1u);
  EXPECT_STREQ(switches[0].name, "-D");
}
