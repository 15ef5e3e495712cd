#include "framework/app/restart_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Restart, CommandLineLeavesOutLogonSwitchesAndNeverCutsAnArgument) {
  const std::string q250 = "\"" + std::string(248, 'q') + "\"";  // 250 characters with its quotes
  const std::string a259(259, 'a');
  const struct {
    std::string in;
    std::size_t size;
    std::string out;
    std::size_t dropped;
  } cases[] = {
      {"", 260, "", 0},
      // The Startup-folder shortcut's switches go; everything else stays as written.
      {"-WAITFORDATAPATH -AUTOSTART -MINIMIZE", 260, "-MINIMIZE", 0},
      {"-autostart   file1  -waitForDataPath \"a b\"", 260, "file1 \"a b\"", 0},
      {"-AUTOSTARTX \"-AUTOSTART\" \"x y\"z", 260, "-AUTOSTARTX \"-AUTOSTART\" \"x y\" z", 0},  // only the switches
      {"\"unterminated -AUTOSTART", 260, "\"unterminated -AUTOSTART", 0},
      // Exactly full, one over, and whole trailing arguments dropped.
      {a259, 260, a259, 0},
      {a259 + "b", 260, "", 1},
      {"-MINIMIZE " + q250 + " tail", 260, "-MINIMIZE", 2},
      {"-AUTOSTART " + q250 + " -MINIMIZE", 260, q250, 1},
      {"ab cd", 5, "ab", 1},
      {"ab", 1, "", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in.substr(0, 60));
    char out[300];
    std::memset(out, 'X', sizeof out);
    EXPECT_EQ(BuildRestartCommandLine(c.in.c_str(), out, c.size), c.dropped);
    EXPECT_EQ(std::string(out), c.out);
    EXPECT_EQ(out[c.size], 'X');  // nothing written past the buffer
  }
}

TEST(Restart, ExitModeAndVerb) {
  // requested, elevation -> mode
  const struct { int requested, elevation; std::uint32_t mode; } modes[] = {
      {-1, 0, kExitRestart}, {-1, 1, kExitRestartElevated}, {-1, -1, kExitRestartElevated},
      {0, 0, kExitNormal},   {1, 1, kExitRestart},          {2, 0, kExitRestartElevated},
  };
  for (const auto& m : modes) EXPECT_EQ(ExitModeFor(m.requested, m.elevation), m.mode) << m.requested << m.elevation;
  // Elevation exists from Vista (6) on; earlier systems restart with the default verb.
  EXPECT_STREQ(RestartVerb(kExitRestartElevated, 6), "runas");
  EXPECT_STREQ(RestartVerb(kExitRestartElevated, 11), "runas");
  EXPECT_EQ(RestartVerb(kExitRestartElevated, 0), nullptr);
  EXPECT_EQ(RestartVerb(kExitRestart, 10), nullptr);
}
