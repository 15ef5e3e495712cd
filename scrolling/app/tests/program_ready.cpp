// Waits until the main program runs its message loop, that is until its
// hooks are in place: the shared memory names the main window, and the
// window answers a message. Exit code 0 then, 1 after the time-out (the
// first argument, in seconds; 30 when none).
#include <windows.h>

#include <cstdlib>

#include "hooklib/shared_memory.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const int seconds = commandLine != nullptr && *commandLine != '\0' ? std::atoi(commandLine) : 30;
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
  while (GetTickCount64() < end) {
    if (HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedMemoryName)) {
      const auto* shared = static_cast<const SharedMemory*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(SharedMemory)));
      const HWND main = shared != nullptr ? reinterpret_cast<HWND>(LoadHandle32(shared->mainWindow)) : nullptr;
      if (shared != nullptr) UnmapViewOfFile(shared);
      CloseHandle(mapping);
      DWORD_PTR answer = 0;
      // A sent message is handled only where the main thread takes
      // messages: its loop, which starts after the hooks are in place.
      if (main != nullptr && SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer)) return 0;
    }
    Sleep(10);
  }
  return 1;
}
