// Test doubles of the engine's platform: a desktop of described windows
// that records everything the engine asks the system to do.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "scrolling/engine/platform.h"

struct SentMessage {
  WindowId window;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

inline bool operator==(const SentMessage& a, const SentMessage& b) {
  return a.window == b.window && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

inline std::string Hex(std::uintptr_t v) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(v));
  return text;
}

inline void CopyOut(const std::string& text, char* buffer, std::size_t size) {
  if (size == 0) return;
  const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

// Records the drag, wheel and button operations; the selection operations
// are left to the test's own fake.
class RecordingPlatform : public EnginePlatform {
 public:
  bool IsKeyDown(int virtualKey) override { return keysDown.count(virtualKey) != 0; }
  bool WindowVisible(WindowId window) override { return window != 0; }
  std::uint32_t WindowStyle(WindowId) override { return 0; }
  bool WindowRect(WindowId, ScreenRect&) override { return false; }
  WindowId ParentWindow(WindowId) override { return 0; }
  void ForEachChildWindow(WindowId, WindowVisitor&) override {}
  void CaptureMouse(WindowId window) override { log.push_back("capture " + Hex(window)); }
  void ReleaseMouseCapture() override { log.push_back("release"); }
  void MoveCursor(ScreenPoint point) override {
    log.push_back("cursor " + std::to_string(point.x) + "," + std::to_string(point.y));
    cursorMovedTo = point;
    ++cursorMoves;
  }
  void SetBlankCursors(bool restore) override { log.push_back(restore ? "restore cursors" : "blank cursors"); }
  void InjectMouseEvent(std::uint32_t flags) override {
    injected.push_back(flags);
    log.push_back("inject " + Hex(flags));
  }
  std::intptr_t SendWindowMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) override {
    sent.push_back(SentMessage{window, message, wParam, lParam});
    return 0;
  }
  void BringToForeground(WindowId window) override { log.push_back("foreground " + Hex(window)); }
  void ActivateForInput(WindowId window) override { log.push_back("activate " + Hex(window)); }
  void SendKeyInputs(const KeyInput* inputs, std::size_t count) override {
    keyBatches.emplace_back(inputs, inputs + count);
  }
  void RunProgram(WindowId parent, const char* program, const char* arguments) override {
    log.push_back("run " + Hex(parent) + " [" + program + "] [" + arguments + "]");
  }
  void ReportWheelSpeed(std::int32_t messagesPerSecond) override { speeds.push_back(messagesPerSecond); }

  std::set<int> keysDown;
  std::vector<std::string> log;
  std::vector<std::uint32_t> injected;
  std::vector<SentMessage> sent;
  std::vector<std::vector<KeyInput>> keyBatches;
  std::vector<std::int32_t> speeds;
  ScreenPoint cursorMovedTo{};
  int cursorMoves = 0;
};

struct DesktopWindow {
  std::string path = "C:\\Apps\\app.exe";
  std::string caption = "Document";
  std::string windowClass = "AppView";
  std::uint32_t style = 0;
  ScreenRect rect{0, 0, 0, 0};
  WindowId parent = 0;
  bool visible = true;
};

// A whole desktop: windows with their process, texts, styles, rectangles
// and parents, and a cursor that the test moves.
class FakeDesktop : public RecordingPlatform {
 public:
  bool GetCursorPosition(ScreenPoint& out) override {
    out = cursor;
    return true;
  }
  WindowId WindowAtPoint(ScreenPoint) override { return windowUnderCursor; }
  bool GetWindowProcessPath(WindowId window, char* buffer, std::size_t size) override {
    buffer[0] = '\0';
    const auto it = windows.find(window);
    if (it == windows.end()) return false;
    CopyOut(it->second.path, buffer, size);
    return !it->second.path.empty();
  }
  void GetWindowCaption(WindowId window, char* buffer, std::size_t size) override {
    const auto it = windows.find(window);
    CopyOut(it == windows.end() ? std::string() : it->second.caption, buffer, size);
  }
  void GetWindowClass(WindowId window, char* buffer, std::size_t size) override {
    const auto it = windows.find(window);
    CopyOut(it == windows.end() ? std::string() : it->second.windowClass, buffer, size);
  }
  void SetSystemWheelScrollLines(std::int32_t lines) override { wheelLines.push_back(lines); }
  void WriteBackFwdFlag(std::uint32_t value) override { backFwdFlag = value; }

  bool WindowVisible(WindowId window) override {
    const auto it = windows.find(window);
    return it != windows.end() && it->second.visible;
  }
  std::uint32_t WindowStyle(WindowId window) override {
    const auto it = windows.find(window);
    return it == windows.end() ? 0 : it->second.style;
  }
  bool WindowRect(WindowId window, ScreenRect& out) override {
    const auto it = windows.find(window);
    if (it == windows.end()) return false;
    out = it->second.rect;
    return true;
  }
  WindowId ParentWindow(WindowId window) override {
    const auto it = windows.find(window);
    return it == windows.end() ? 0 : it->second.parent;
  }
  void ForEachChildWindow(WindowId parent, WindowVisitor& visitor) override {
    ++enumerations;
    for (WindowId w : order) {
      if (windows[w].parent == parent) visitor.Visit(w);
    }
  }

  DesktopWindow& Add(WindowId id) {
    order.push_back(id);
    return windows[id];
  }

  ScreenPoint cursor{500, 400};
  WindowId windowUnderCursor = 0;
  std::map<WindowId, DesktopWindow> windows;
  std::vector<WindowId> order;  // enumeration order
  std::vector<std::int32_t> wheelLines;
  std::uint32_t backFwdFlag = 0xFFFFFFFFu;
  int enumerations = 0;
};
