// The program's run, each in a process of its own (this test program started
// again with "--scenario"): start-up that fails ends with its text, and
// start-up that ends early or fails leaves nothing that it set up behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "framework/app/tests/dialog_answerer.h"
#include "framework/app/tests/fake_notification_area.h"
#include "framework/app/tests/install_record_writer.h"
#include "framework/util/tests/win_test_support.h"
#include "framework/util/win_handles.h"
#include "hooklib/shared_memory.h"
#include "scrolling/app/main_window.h"
#include "scrolling/app/program.h"

namespace {

int gHookCalls = 0;
bool gFailGetMessage = false;
std::vector<HHOOK> gMade;

HHOOK WINAPI WatchedInstall(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId) {
  ++gHookCalls;
  if (gFailGetMessage && idHook == WH_GETMESSAGE) return nullptr;
  HHOOK hook = SetWindowsHookExA(idHook, proc, module, threadId);
  if (hook != nullptr) gMade.push_back(hook);
  return hook;
}

std::string OneLine(std::string text) {
  for (char& c : text) c = c == '\n' ? '|' : c;
  return text;
}

// Runs the program as the scenario asks and writes what is left afterwards.
int RunScenario(const std::string& scenario, const char* logPath) {
  const char* commandLine = "-MINIMIZE";
  CKernelHandle squatter;
  if (scenario == "hooks") gFailGetMessage = true;
  // Another object under the shared memory's name: the mapping cannot be made.
  if (scenario == "shared") squatter.Reset(CreateMutexA(nullptr, FALSE, kSharedMemoryName));
  if (scenario == "autostart") commandLine = "-AUTOSTART";
  SetHookInstaller(&WatchedInstall);
  test_support::FakeNotificationArea tray;

  int code = -1;
  std::vector<std::string> boxes;
  {
    test_support::DialogAnswerer answerer;
    code = RunMainProgram(GetModuleHandleA(nullptr), commandLine, SW_SHOWNORMAL);
    boxes = answerer.Take();
  }
  squatter.Reset();
  int hooksLeft = 0;
  for (HHOOK hook : gMade) hooksLeft += UnhookWindowsHookEx(hook) ? 1 : 0;
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedMemoryName);
  const bool sharedLeft = mapping != nullptr;
  if (mapping != nullptr) CloseHandle(mapping);

  std::ofstream log(logPath);
  log << "code " << code << "\nhookcalls " << gHookCalls << "\nhooksleft " << hooksLeft << "\nshared "
      << sharedLeft << "\ntray " << tray.icons.size() << "\nboxes " << boxes.size() << "\n";
  for (const std::string& box : boxes) log << "box " << OneLine(box) << "\n";
  return 0;
}

struct Outcome {
  std::map<std::string, std::string> values;
  std::string boxes;
  int Int(const std::string& key) { return values.count(key) ? std::stoi(values[key]) : -99; }
};

Outcome RunProgramIn(const std::string& scenario) {
  Outcome out;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string data = std::string(temp) + "veltrano-startup-" + scenario;
  const std::string logPath = data + ".log";
  DeleteFileA(logPath.c_str());
  if (!test_support::WriteInstallRecord(
          "Veltrano", test_support::MakeInstallRecord(test_support::ProgramFolder(), data, true, false))) {
    ADD_FAILURE() << "no installation record";
    return out;
  }
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string line = "\"" + std::string(self) + "\" --scenario " + scenario + " \"" + logPath + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ADD_FAILURE() << "the scenario did not start";
    return out;
  }
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  test_support::DeleteInstallRecord("Veltrano");
  std::ifstream log(logPath);
  std::string entry;
  while (std::getline(log, entry)) {
    const std::size_t space = entry.find(' ');
    if (space == std::string::npos) continue;
    const std::string key = entry.substr(0, space);
    if (key == "box") {
      out.boxes += entry.substr(space + 1) + "\n";
    } else {
      out.values[key] = entry.substr(space + 1);
    }
  }
  return out;
}

TEST(ProgramStartup, AHookThatCannotBeInstalledEndsWithItsTextAndLeavesNothing) {
  Outcome o = RunProgramIn("hooks");
  EXPECT_EQ(o.Int("code"), 5008);
  EXPECT_EQ(o.Int("boxes"), 1);
  EXPECT_NE(o.boxes.find("Veltrano|"), std::string::npos) << o.boxes;
  EXPECT_NE(o.boxes.find("Could not set system hooks!"), std::string::npos) << o.boxes;
  EXPECT_GT(o.Int("hookcalls"), 1) << "some hook was installed before the failure";
  EXPECT_EQ(o.Int("hooksleft"), 0);
  EXPECT_EQ(o.Int("shared"), 0);
  EXPECT_EQ(o.Int("tray"), 0);
}

TEST(ProgramStartup, SharedMemoryThatCannotBeMadeEndsWithItsText) {
  Outcome o = RunProgramIn("shared");
  EXPECT_EQ(o.Int("code"), 5010);
  EXPECT_EQ(o.Int("boxes"), 1);
  EXPECT_NE(o.boxes.find("Could not initialize the shared memory!"), std::string::npos) << o.boxes;
  EXPECT_EQ(o.Int("hookcalls"), 0);
  EXPECT_EQ(o.Int("tray"), 0);
}

TEST(ProgramStartup, AutostartWhileAutostartIsOffEndsQuietly) {
  Outcome o = RunProgramIn("autostart");
  EXPECT_EQ(o.Int("code"), 0);
  EXPECT_EQ(o.Int("boxes"), 0) << o.boxes;
  EXPECT_EQ(o.Int("hookcalls"), 0);
  EXPECT_EQ(o.Int("shared"), 0);
  EXPECT_EQ(o.Int("tray"), 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--scenario") == 0) return RunScenario(argv[2], argv[3]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
