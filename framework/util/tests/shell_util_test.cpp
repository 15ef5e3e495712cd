#include "framework/util/shell_util.h"

#include <gtest/gtest.h>

#include "framework/util/tests/win_test_support.h"

using test_support::TempDir;

namespace {
bool WaitFor(const std::string& path) {
  for (int i = 0; i < 100; ++i) {
    if (test_support::Exists(path)) return true;
    Sleep(50);
  }
  return false;
}
}  // namespace

TEST(ShellExecuteUnelevated, StartsTheProgram) {
  TempDir tmp;
  const std::string marker = tmp / "ran.txt";
  const std::string args = "/c echo ran>\"" + marker + "\"";
  EXPECT_EQ(ShellExecuteUnelevated("cmd.exe", args.c_str(), tmp.Path().c_str(), "open", SW_HIDE), S_OK);
  EXPECT_TRUE(WaitFor(marker));
}

TEST(ShellExecuteHere, ReportsItsOwnOutcome) {
  TempDir tmp;
  const std::string marker = tmp / "here.txt";
  const std::string args = "/c echo ran>\"" + marker + "\"";
  EXPECT_EQ(ShellExecuteHere("cmd.exe", args.c_str(), tmp.Path().c_str(), "open", SW_HIDE), S_OK);
  EXPECT_TRUE(WaitFor(marker));
  const std::string missing = tmp / "no such program.exe";
  EXPECT_TRUE(FAILED(ShellExecuteHere(missing.c_str(), nullptr, nullptr, "open", SW_HIDE)));
}

TEST(ComCtl, VersionIsAbove470) { EXPECT_TRUE(IsComCtlAbove470()); }
