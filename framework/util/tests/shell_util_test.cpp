#include "framework/util/shell_util.h"

#include <gtest/gtest.h>

#include "tests/support/win32/win_test_support.h"

using test_support::TempDir;

TEST(ShellExecute, StartsTheProgramAndReportsItsOutcome) {
  TempDir tmp;
  const auto runs = [&tmp](HRESULT (*execute)(const char*, const char*, const char*, const char*, int),
                           const char* marker) {
    const std::string file = tmp / marker;
    const std::string args = "/c echo ran>\"" + file + "\"";
    EXPECT_EQ(execute("cmd.exe", args.c_str(), tmp.Path().c_str(), "open", SW_HIDE), S_OK) << marker;
    // A new process under a busy system may take seconds to start.
    EXPECT_TRUE(test_support::WaitUntil([&file] { return test_support::Exists(file); }, 30000)) << marker;
  };
  runs(ShellExecuteUnelevated, "unelevated.txt");
  runs(ShellExecuteHere, "here.txt");
  const std::string missing = tmp / "no such program.exe";
  EXPECT_TRUE(FAILED(ShellExecuteHere(missing.c_str(), nullptr, nullptr, "open", SW_HIDE)));
  EXPECT_TRUE(IsComCtlAbove470());
}
