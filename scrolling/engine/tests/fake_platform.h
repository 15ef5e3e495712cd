// Test double of the engine's platform: a desktop of described windows and
// a cursor that the test moves, recording everything the engine asks the
// system to do.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "scrolling/engine/platform.h"
#include "tests/support/test_support.h"

struct SentMessage {
  WindowId window;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

inline bool operator==(const SentMessage& a, const SentMessage& b) {
  return a.window == b.window && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

struct DesktopWindow {
  std::string path = "C:\\Apps\\app.exe";  // empty: the process cannot be read
  std::string caption = "Document";
  std::string windowClass = "AppView";
  std::uint32_t style = 0;
  ScreenRect rect{0, 0, 0, 0};
  WindowId parent = 0;
  bool visible = true;
};

class FakeDesktop : public EnginePlatform {
 public:
  bool GetCursorPosition(ScreenPoint& out) override {
    out = cursor;
    return cursorReadable;
  }
  WindowId WindowAtPoint(ScreenPoint point) override {
    lastPoint = point;
    return windowUnderCursor;
  }
  bool GetWindowProcessPath(WindowId window, char* buffer, std::size_t size) override {
    ++pathQueries;
    const DesktopWindow* w = Find(window);
    CopyOut(w ? w->path : std::string(), buffer, size);
    return w && !w->path.empty();
  }
  void GetWindowCaption(WindowId window, char* buffer, std::size_t size) override {
    CopyOut(Find(window) ? Find(window)->caption : std::string(), buffer, size);
  }
  void GetWindowClass(WindowId window, char* buffer, std::size_t size) override {
    CopyOut(Find(window) ? Find(window)->windowClass : std::string(), buffer, size);
  }
  void SetSystemWheelScrollLines(std::int32_t lines, WheelLinesScope scope) override {
    wheelLines.push_back(lines);
    wheelLinesSaved.push_back(scope == WheelLinesScope::kSaved);
  }
  void WriteBackFwdFlag(std::uint32_t value) override { backFwdWrites.push_back(value); }
  bool IsKeyDown(int virtualKey) override { return keysDown.count(virtualKey) != 0; }
  bool WindowVisible(WindowId window) override { return Find(window) && Find(window)->visible; }
  std::uint32_t WindowStyle(WindowId window) override { return Find(window) ? Find(window)->style : 0; }
  bool WindowRect(WindowId window, ScreenRect& out) override {
    if (Find(window)) out = Find(window)->rect;
    return Find(window) != nullptr;
  }
  WindowId ParentWindow(WindowId window) override { return Find(window) ? Find(window)->parent : 0; }
  void ForEachChildWindow(WindowId parent, WindowVisitor& visitor) override {
    ++enumerations;
    for (WindowId w : order) {
      if (windows[w].parent == parent) visitor.Visit(w);
    }
  }
  void CaptureMouse(WindowId window) override { log.push_back("capture " + test_support::Hex(window)); }
  void ReleaseMouseCapture() override { log.push_back("release"); }
  void MoveCursor(ScreenPoint point) override {
    log.push_back("cursor " + std::to_string(point.x) + "," + std::to_string(point.y));
    cursorMovedTo = point;
  }
  void SetBlankCursors(bool restore) override { log.push_back(restore ? "restore cursors" : "blank cursors"); }
  void InjectMouseEvent(std::uint32_t flags, std::uint32_t mark) override {
    injected.push_back(flags);
    injectedMarks.push_back(mark);
  }
  std::intptr_t SendWindowMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) override {
    sent.push_back(SentMessage{window, message, wParam, lParam});
    return 0;
  }
  void BringToForeground(WindowId window) override { log.push_back("foreground " + test_support::Hex(window)); }
  void ActivateForInput(WindowId window) override { log.push_back("activate " + test_support::Hex(window)); }
  void SendKeyInputs(const KeyInput* inputs, std::size_t count) override {
    keyBatches.emplace_back(inputs, inputs + count);
  }
  void RunProgram(WindowId parent, const char* program, const char* arguments) override {
    log.push_back("run " + test_support::Hex(parent) + " [" + program + "] [" + arguments + "]");
  }
  void ReportWheelSpeed(std::int32_t messagesPerSecond) override { speeds.push_back(messagesPerSecond); }

  DesktopWindow& Add(WindowId id) {
    order.push_back(id);
    return windows[id];
  }
  bool Logged(const std::string& entry) const {
    for (const std::string& e : log) {
      if (e == entry) return true;
    }
    return false;
  }

  ScreenPoint cursor{500, 400};
  bool cursorReadable = true;
  ScreenPoint lastPoint{};
  WindowId windowUnderCursor = 0;
  std::map<WindowId, DesktopWindow> windows;
  std::vector<WindowId> order;  // enumeration order
  std::set<int> keysDown;

  std::vector<std::string> log;
  std::vector<std::uint32_t> injected;
  std::vector<std::uint32_t> injectedMarks;
  std::vector<SentMessage> sent;
  std::vector<std::vector<KeyInput>> keyBatches;
  std::vector<std::int32_t> speeds;
  std::vector<std::int32_t> wheelLines;
  std::vector<bool> wheelLinesSaved;  // written to the user's profile
  std::vector<std::uint32_t> backFwdWrites;
  ScreenPoint cursorMovedTo{};
  int enumerations = 0;
  int pathQueries = 0;

 private:
  DesktopWindow* Find(WindowId window) {
    const auto it = windows.find(window);
    return it == windows.end() ? nullptr : &it->second;
  }
  static void CopyOut(const std::string& text, char* buffer, std::size_t size) {
    if (size == 0) return;
    const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }
};
