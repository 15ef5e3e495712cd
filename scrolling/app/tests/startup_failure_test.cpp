// The program's run in this process, with a hook that cannot be installed:
// start-up ends with its text, and nothing that it set up is left.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/app/tests/dialog_answerer.h"
#include "framework/app/tests/fake_notification_area.h"
#include "framework/app/tests/install_record_writer.h"
#include "framework/util/tests/win_test_support.h"
#include "hooklib/shared_memory.h"
#include "scrolling/app/main_window.h"
#include "scrolling/app/program.h"

namespace {

std::vector<HHOOK> gMade;

// The get-message hook fails; the others are installed for real.
HHOOK WINAPI InstallAllButGetMessage(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId) {
  if (idHook == WH_GETMESSAGE) return nullptr;
  HHOOK hook = SetWindowsHookExA(idHook, proc, module, threadId);
  if (hook != nullptr) gMade.push_back(hook);
  return hook;
}

TEST(ProgramStartup, AHookThatCannotBeInstalledEndsWithItsTextAndLeavesNothing) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string data = std::string(temp) + "veltrano-startup-failure";
  ASSERT_TRUE(test_support::WriteInstallRecord(
      "Veltrano", test_support::MakeInstallRecord(test_support::ProgramFolder(), data, true, false)));
  test_support::FakeNotificationArea tray;
  SetHookInstaller(&InstallAllButGetMessage);

  int code = -1;
  std::vector<std::string> boxes;
  {
    test_support::DialogAnswerer answerer;
    code = RunMainProgram(GetModuleHandleA(nullptr), "-MINIMIZE", SW_SHOWNORMAL);
    boxes = answerer.Take();
  }
  test_support::DeleteInstallRecord("Veltrano");

  EXPECT_EQ(code, 5008);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("Veltrano\n"), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find("Could not set system hooks!"), std::string::npos) << boxes[0];
  EXPECT_FALSE(gMade.empty()) << "some hook was installed before the failure";
  for (HHOOK hook : gMade) EXPECT_FALSE(UnhookWindowsHookEx(hook)) << "a hook was left installed";
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedMemoryName);
  EXPECT_EQ(mapping, nullptr) << "the shared memory was left";
  if (mapping != nullptr) CloseHandle(mapping);
  EXPECT_TRUE(tray.icons.empty());
}

}  // namespace
