// The main program's run: start-up, the message loop and shut-down. WinMain
// hands its arguments over; tests call it in a program of their own.
#pragma once

#include <windows.h>

#include <cstdint>

// The whole run; the exit code: 0, or the id of the start-up error that was
// shown (5006-5010).
int RunMainProgram(HINSTANCE instance, const char* commandLine, int showCommand) noexcept;

// DwmGetWindowAttribute when Dwmapi is there (the window picker's overlay
// asks it for a window's visible frame), else null.
using DwmGetWindowAttributeFunction = HRESULT(WINAPI*)(HWND window, DWORD attribute, void* value, DWORD size);
[[nodiscard]] DwmGetWindowAttributeFunction DwmGetWindowAttributePointer() noexcept;
