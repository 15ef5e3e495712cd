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

int RunBare() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_HOOK_MOUSE) return 0;
    if (m == WM_CLOSE) PostQuitMessage(0);
    return DefWindowProcA(w, m, wp, lp);
  };
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kBareClass;
  RegisterClassA(&wc);
  if (!CreateWindowExA(0, kBareClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr)) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

HWND MainWindowFromSharedMemory() {
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedMemoryName);
  if (mapping == nullptr) return nullptr;
  const auto* shared = static_cast<const SharedMemory*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(SharedMemory)));
  HWND main = shared != nullptr ? reinterpret_cast<HWND>(LoadHandle32(shared->mainWindow)) : nullptr;
  if (shared != nullptr) UnmapViewOfFile(shared);
  CloseHandle(mapping);
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

  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  char line[MAX_PATH + 16];
  std::snprintf(line, sizeof line, "\"%s\" --bare", self);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 3;
  HWND bare = nullptr;
  if (!test_support::WaitUntil([&bare] { return (bare = FindWindowA(kBareClass, nullptr)) != nullptr; }, 10000)) {
    return 4;
  }

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> toMain, toBare;
  toMain.reserve(static_cast<std::size_t>(n));
  toBare.reserve(static_cast<std::size_t>(n));
  auto time = [&](HWND window) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    SendMessageA(window, WM_HOOK_MOUSE, WM_MOUSEMOVE, 0);
    QueryPerformanceCounter(&b);
    return static_cast<double>(b.QuadPart - a.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
  };
  for (int i = 0; i < n; ++i) {
    toMain.push_back(time(main));
    toBare.push_back(time(bare));
  }
  PostMessageA(bare, WM_CLOSE, 0, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);

  const double mainP50 = Percentile(toMain, 0.50), mainP99 = Percentile(toMain, 0.99);
  const double bareP50 = Percentile(toBare, 0.50), bareP99 = Percentile(toBare, 0.99);
  std::printf("hook round trip, %d sends each (us): main window p50 %.1f p99 %.1f; bare window p50 %.1f p99 %.1f; "
              "p50 ratio %.2f\n",
              n, mainP50, mainP99, bareP50, bareP99, mainP50 / bareP50);
  return 0;
}
