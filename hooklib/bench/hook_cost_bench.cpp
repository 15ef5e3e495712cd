// What a program pays, per message it takes from its queue, for the hook
// library's global mouse and get-message hooks (a drag on, no profile acting
// on the wheel), set against the same two hooks from a library that only
// hands each event on. The hooks run in every program, so the library must
// cost no more than hooks that do nothing. Global hooks also run in the
// installing process's threads, so this program takes its own messages;
// run it under a Wine server of its own (see the README). Rounds alternate
// the three set-ups, so that a busy machine's drift falls on all alike.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "hooklib/shared_memory.h"

namespace {

constexpr int kRounds = 15;
constexpr int kBatch = 200;  // posted, then taken: far below a queue's limit
// Messages a program takes: its own, and mouse messages the hooks look at
// without asking the main program.
constexpr UINT kMessages[] = {WM_USER, WM_MOUSEWHEEL, WM_RBUTTONDBLCLK, WM_TIMER};

struct Setup {
  const char* name;
  HMODULE module;
  HOOKPROC mouse;
  HOOKPROC getMessage;
  std::vector<double> nsPerMessage;
};

HOOKPROC Proc(HMODULE module, const char* name) {
  return module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Nanoseconds per message for GetMessage over count posted messages.
double TakeMessages(HWND window, int count) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  LONGLONG ticks = 0;
  for (int done = 0; done < count; done += kBatch) {
    for (int i = 0; i < kBatch; ++i) PostMessageA(window, kMessages[i % 4], MAKEWPARAM(0, 120), 0);
    MSG msg;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kBatch; ++i) GetMessageA(&msg, window, 0, 0);
    QueryPerformanceCounter(&end);
    ticks += end.QuadPart - start.QuadPart;
  }
  return static_cast<double>(ticks) * 1e9 / static_cast<double>(frequency.QuadPart) / count;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int messages = argc > 1 ? std::max(kBatch, std::atoi(argv[1]) / kBatch * kBatch) : 5000;
  HMODULE ours = LoadLibraryA("Veltrano64.dll");
  HMODULE pass = LoadLibraryA("pass_hooks.dll");
  auto getShared = reinterpret_cast<SharedMemory* (*)(bool)>(
      reinterpret_cast<void*>(ours ? GetProcAddress(ours, "GetSharedMemory") : nullptr));
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SharedMemory* shared = getShared ? getShared(false) : nullptr;
  if (!pass || !window || !shared) {
    std::fprintf(stderr, "hook_cost_bench: the libraries, the window or the shared memory are missing\n");
    return 1;
  }
  // The main program's part: its window (never asked here) and its flags.
  *shared = SharedMemory{};
  shared->mainWindow = StoreHandle32(reinterpret_cast<std::uintptr_t>(window));
  shared->mainProcessId = GetCurrentProcessId();

  Setup setups[] = {{"no hooks", nullptr, nullptr, nullptr, {}},
                    {"hooks that only chain", pass, Proc(pass, "PassHookProc"), Proc(pass, "PassHookProc"), {}},
                    {"Veltrano64.dll", ours, Proc(ours, "MouseHookProc"), Proc(ours, "GetMessageHookProc"), {}}};
  for (int round = 0; round < kRounds; ++round) {
    for (Setup& s : setups) {
      HHOOK mouse = s.mouse ? SetWindowsHookExA(WH_MOUSE, s.mouse, s.module, 0) : nullptr;
      HHOOK getMessage = s.getMessage ? SetWindowsHookExA(WH_GETMESSAGE, s.getMessage, s.module, 0) : nullptr;
      if (s.module && (!mouse || !getMessage)) {
        std::fprintf(stderr, "hook_cost_bench: %s could not be installed\n", s.name);
        return 1;
      }
      s.nsPerMessage.push_back(TakeMessages(window, messages));
      if (getMessage) UnhookWindowsHookEx(getMessage);
      if (mouse) UnhookWindowsHookEx(mouse);
    }
  }
  for (const Setup& s : setups) {
    std::printf("%-22s %8.0f ns per message (median of %d rounds of %d)\n", s.name, Median(s.nsPerMessage), kRounds,
                messages);
  }
  const double none = Median(setups[0].nsPerMessage);
  const double chain = Median(setups[1].nsPerMessage);
  const double library = Median(setups[2].nsPerMessage);
  std::printf("per message, Veltrano64.dll / hooks that only chain: %.3f\n", library / chain);
  std::printf("the hooks' own cost, Veltrano64.dll / hooks that only chain: %.3f\n", (library - none) / (chain - none));
  DestroyWindow(window);
  return 0;
}
