// The cheapest global hook there is: it only hands the event on. The hook
// cost benchmark sets the hook library's price against it.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK PassHookProc(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
