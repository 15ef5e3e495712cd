// The screenshot programs' side of scripts/screenshot.sh: they log "dpi N"
// and then the line the script waits for ("ready", "shown") to the file
// named by their argument once their window shows, and run until they are
// ended from outside.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/util/monitors.h"

namespace shot_support {

inline std::string& LogPath() {
  static std::string path;
  return path;
}

inline void Log(const std::string& line) {
  if (FILE* f = std::fopen(LogPath().c_str(), "ab")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

// Logs the DPI that window runs at (the screen's, without one) and then
// line.
inline void LogShown(HWND window, const char* line) {
  int dpi = 0;
  if (window != nullptr) {
    dpi = static_cast<int>(GetWindowDpi(window));
  } else {
    const HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  Log("dpi " + std::to_string(dpi));
  Log(line);
}

struct WindowSearch {
  const char* name;
  bool byClass;
  HWND found;
};

inline BOOL CALLBACK MatchShownWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  char text[64] = {};
  if (search->byClass) {
    GetClassNameA(window, text, sizeof text);
  } else {
    GetWindowTextA(window, text, sizeof text);
  }
  if (IsWindowVisible(window) && std::strcmp(text, search->name) == 0) search->found = window;
  return TRUE;
}

// The visible top-level window of this thread whose class (byClass) or
// caption is name; null while there is none.
inline HWND FindShownWindow(const char* name, bool byClass) {
  WindowSearch search{name, byClass, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &MatchShownWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct ReadyWatch {
  const char* title = nullptr;
  void (*beforeReady)(HWND window) = nullptr;  // last touches before the shot
};

inline ReadyWatch& Watch() {
  static ReadyWatch watch;
  return watch;
}

inline void CALLBACK ReadyTick(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND window = FindWindowA(nullptr, Watch().title);
  if (window == nullptr || !IsWindowVisible(window)) return;
  KillTimer(nullptr, timer);
  if (Watch().beforeReady != nullptr) Watch().beforeReady(window);
  LogShown(window, "ready");
}

// Logs to logPath once the top-level window titled title shows.
inline void ReportWhenShown(const char* logPath, const char* title, void (*beforeReady)(HWND) = nullptr) {
  LogPath() = logPath;
  Watch() = ReadyWatch{title, beforeReady};
  SetTimer(nullptr, 0, 50, &ReadyTick);
}

}  // namespace shot_support
