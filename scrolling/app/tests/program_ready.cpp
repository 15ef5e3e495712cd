// Waits until the main program runs its message loop, that is until its
// hooks are in place: the shared memory names the main window, and the
// window answers a message. Exit code 0 then, 1 after the time-out (the
// first argument, in seconds; 30 when none). Prints how long after the main
// program's process was made that was (up to the 10 ms of polling late).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "hooklib/shared_memory.h"
#include "tests/support/win32/win_test_support.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const int seconds = commandLine != nullptr && *commandLine != '\0' ? std::atoi(commandLine) : 30;
  HWND main = nullptr;
  const auto answers = [&main] {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedMemoryName);
    if (mapping == nullptr) return false;
    const auto* shared = static_cast<const SharedMemory*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(SharedMemory)));
    main = shared != nullptr ? reinterpret_cast<HWND>(LoadHandle32(shared->mainWindow)) : nullptr;
    if (shared != nullptr) UnmapViewOfFile(shared);
    CloseHandle(mapping);
    DWORD_PTR answer = 0;
    // A sent message is handled only where the main thread takes
    // messages: its loop, which starts after the hooks are in place.
    return main != nullptr && SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer) != 0;
  };
  if (!test_support::WaitUntil(answers, static_cast<DWORD>(seconds) * 1000)) return 1;
  FILETIME now, created, exited, kernel, user;
  GetSystemTimeAsFileTime(&now);
  DWORD processId = 0;
  GetWindowThreadProcessId(main, &processId);
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)) {
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
      const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
      };
      std::printf("hooks in place %llu ms after the program's process was made\n",
                  (ticks(now) - ticks(created)) / 10000);
    }
    CloseHandle(process);
  }
  return 0;
}
