// The screenshot programs' side of scripts/screenshot.sh: they log "dpi N"
// and then "ready" to the file named by their argument once their window
// shows, and run until they are ended from outside.
#pragma once

#include <windows.h>

#include <cstdio>
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
  Log("dpi " + std::to_string(GetWindowDpi(window)));
  Log("ready");
}

// Logs to logPath once the top-level window titled title shows.
inline void ReportWhenShown(const char* logPath, const char* title, void (*beforeReady)(HWND) = nullptr) {
  LogPath() = logPath;
  Watch() = ReadyWatch{title, beforeReady};
  SetTimer(nullptr, 0, 50, &ReadyTick);
}

}  // namespace shot_support
