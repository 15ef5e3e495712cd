// Hook library interface, as imported by the main program and the 64-bit host.
#pragma once

#include <windows.h>

#include "hooklib/shared_memory.h"

#ifdef VELTRANO_HOOKLIB_BUILD
#define VELTRANO_HOOKAPI
#else
#define VELTRANO_HOOKAPI __declspec(dllimport)
#endif

extern "C" {
// Creates or opens the named shared memory. With openOnly set, a mapping that
// did not exist before is released again and null returned (no main program).
VELTRANO_HOOKAPI SharedMemory* GetSharedMemory(bool openOnly);
VELTRANO_HOOKAPI void ReleaseSharedMemory();

VELTRANO_HOOKAPI LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam);
VELTRANO_HOOKAPI LRESULT CALLBACK GetMessageHookProc(int code, WPARAM wParam, LPARAM lParam);
VELTRANO_HOOKAPI LRESULT CALLBACK CallWndProcHookProc(int code, WPARAM wParam, LPARAM lParam);
VELTRANO_HOOKAPI LRESULT CALLBACK SubclassWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
}

// File name of the hook library for this build's word size, and the names
// under which its hook procedures are exported.
#ifdef _WIN64
inline constexpr char kHookLibraryName[] = "Veltrano64.dll";
inline constexpr char kMouseHookExport[] = "MouseHookProc";
inline constexpr char kGetMessageHookExport[] = "GetMessageHookProc";
inline constexpr char kCallWndProcHookExport[] = "CallWndProcHookProc";
inline constexpr char kSubclassExport[] = "SubclassWndProc";
#else
inline constexpr char kHookLibraryName[] = "Veltrano.dll";
inline constexpr char kMouseHookExport[] = "_MouseHookProc@12";
inline constexpr char kGetMessageHookExport[] = "_GetMessageHookProc@12";
inline constexpr char kCallWndProcHookExport[] = "_CallWndProcHookProc@12";
inline constexpr char kSubclassExport[] = "_SubclassWndProc@16";
#endif
