// The hook round trip as a hooked program sees it: the same hook message
// (a mouse move) sent N times, alternately, to the running main program's
// window and to a bare window of another process that answers at once.
// Prints p50 and p99 of each in microseconds and the ratio of the medians.
// Command line: the number of sends to each (20000 when none); "--bare" runs
// the bare window's process.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "hooklib/shared_memory.h"
#include "tests/support/win32/win_test_support.h"

namespace {

constexpr char kBareClass[] = "VeltranoBareWindow";

LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOOK_MOUSE) return 0;
  if (message == WM_CLOSE) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

int RunBare() {
  if (test_support::MakeClassWindow(kBareClass, &BareProc) == nullptr) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

// The main window as the hooks find it: named in the shared memory.
HWND MainWindowFromSharedMemory() {
  const CKernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedMemoryName));
  if (!mapping) return nullptr;
  const auto* shared =
      static_cast<const SharedMemory*>(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(SharedMemory)));
  if (shared == nullptr) return nullptr;
  const HWND main = reinterpret_cast<HWND>(LoadHandle32(shared->mainWindow));
  UnmapViewOfFile(shared);
  return main;
}

double Percentile(std::vector<double>& v, double p) {
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (std::strstr(commandLine, "--bare") != nullptr) return RunBare();
  const int n = *commandLine != '\0' ? std::atoi(commandLine) : 20000;
  const HWND main = MainWindowFromSharedMemory();
  if (main == nullptr || n <= 0) return 2;

  const CKernelHandle bareProcess = test_support::StartProgram(test_support::ProgramPath(), "--bare");
  if (!bareProcess) return 3;
  const DWORD bareId = GetProcessId(bareProcess.Get());
  HWND bare = nullptr;
  if (!test_support::WaitUntil(
          [&] { return (bare = test_support::WindowOfProcess(bareId, kBareClass)) != nullptr; }, 10000)) {
    TerminateProcess(bareProcess.Get(), 1);
    return 4;
  }

  std::vector<double> toMain, toBare;
  toMain.reserve(static_cast<std::size_t>(n));
  toBare.reserve(static_cast<std::size_t>(n));
  const auto micros = [](HWND window) { return 1000.0 * test_support::TimedSend(window, WM_HOOK_MOUSE, WM_MOUSEMOVE); };
  for (int i = 0; i < n; ++i) {
    toMain.push_back(micros(main));
    toBare.push_back(micros(bare));
  }
  PostMessageA(bare, WM_CLOSE, 0, 0);
  WaitForSingleObject(bareProcess.Get(), 5000);

  const double mainP50 = Percentile(toMain, 0.50), mainP99 = Percentile(toMain, 0.99);
  const double bareP50 = Percentile(toBare, 0.50), bareP99 = Percentile(toBare, 0.99);
  std::printf("hook round trip, %d sends each (us): main window p50 %.1f p99 %.1f; bare window p50 %.1f p99 %.1f; "
              "p50 ratio %.2f\n",
              n, mainP50, mainP99, bareP50, bareP99, mainP50 / bareP50);
  return 0;
}
