// The common ground of the tests of items, bars, menus and framework windows
// on real windows: windows that record what they are sent, framework windows
// whose product procedure records the same way, the application object put
// back between tests, and the command table's records added and read.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "framework/base/app_records.h"
#include "framework/object/application.h"
#include "framework/app/commands.h"
#include "framework/base/framework_messages.h"
#include "framework/app/restart_core.h"
#include "framework/ui/window_list.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/ui_item.h"
#include "tests/support/win32/win_test_support.h"
#include "framework/util/win_handles.h"

namespace ui_test {

// One message a recording window was sent.
struct Sent {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// What the recording windows were sent, in order: the framework's messages
// and those a test adds to `extra`. A test's own answers come after the
// recording; an item handed to `destroyOnNotice` is destroyed as the owner
// hears of it (closing the popup that holds it does the same).
struct MessageLog {
  using Answer = std::optional<LRESULT> (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::vector<Sent> sent;
  std::set<UINT> extra;
  Answer answer = nullptr;
  CUIItem* destroyOnNotice = nullptr;

  // The messages of that kind sent to the window (nullptr: to any), with that
  // notification code in wParam's high word (0: any).
  [[nodiscard]] std::vector<Sent> Of(UINT message, HWND window = nullptr, std::uint16_t code = 0) const {
    std::vector<Sent> out;
    for (const Sent& s : sent) {
      if (s.message == message && (window == nullptr || s.window == window) &&
          (code == 0 || HIWORD(s.wParam) == code)) {
        out.push_back(s);
      }
    }
    return out;
  }
  [[nodiscard]] std::size_t Count(UINT message, HWND window = nullptr) const { return Of(message, window).size(); }
  // The one message of its kind (an empty record and a failure when not exactly one).
  [[nodiscard]] Sent Only(UINT message, HWND window = nullptr) const {
    const std::vector<Sent> found = Of(message, window);
    EXPECT_EQ(found.size(), 1u) << message;
    return found.size() == 1 ? found[0] : Sent{};
  }

  // Records the message and gives the test's answer, if it has one.
  std::optional<LRESULT> Hear(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message >= kFrameworkMessageFirst && message <= kFrameworkMessageLast) || extra.count(message) != 0) {
      sent.push_back({window, message, wParam, lParam});
    }
    const bool notice = message == WM_FW_COMMAND || message == WM_FW_DBLCLICK || message == WM_FW_DRAGOUT;
    if (notice && destroyOnNotice != nullptr) std::exchange(destroyOnNotice, nullptr)->Destroy();
    return answer != nullptr ? answer(window, message, wParam, lParam) : std::nullopt;
  }
};

inline MessageLog gLog;

inline LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::optional<LRESULT> answer = gLog.Hear(window, message, wParam, lParam);
  return answer ? *answer : DefWindowProcA(window, message, wParam, lParam);
}

// The product's procedure of the tests' framework windows.
inline LRESULT CALLBACK RecordingFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::optional<LRESULT> answer = gLog.Hear(window, message, wParam, lParam);
  return answer ? *answer : FrameDefaultProc(window, message, wParam, lParam);
}

// The application object as a test left it goes back to what the next one
// expects. The bars in the list are the tests' own: a test that made them
// with new frees them itself first.
inline void ResetApplication() {
  gApp.bars.Clear();
  gApp.noStateSave = 1;
  DestroyAllWindows();
  gApp.commands.Clear();
  gApp.theme.icons.clear();
  gApp.navigationItems.Clear();
  gApp.openPopupItem = nullptr;
  gApp.openPopupWindowId = 0xFFFF;
  gApp.popupNavigation = 0;
  gApp.runningPopup = nullptr;
  gApp.chosenCommand = 0;
  gApp.modalDepth = 0;
  gApp.hintItem = nullptr;
  gApp.hInstance = GetModuleHandleA(nullptr);
  gApp.theme.instance = gApp.hInstance;
  gApp.settings = DefaultAppSettings();
  gApp.settingsLoaded = 0;
  gApp.settingsVersionChanged = 0;
  gApp.dataFolder[0] = '\0';
  gApp.exitMode = kExitNormal;
  ForgetItemPresses();
  // A quit posted as a window closed ends no later test's loop.
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallAppTexts(nullptr);
    ResetApplication();
    gLog = MessageLog{};
  }
  void TearDown() override {
    windows_.clear();
    ResetApplication();
    gLog = MessageLog{};
  }

  // The commands of the window menu and their icons, as start-up registers them.
  static void AddStandardCommands() { ASSERT_EQ(RegisterStandardCommands(), kStatusOk); }
  static void Add(std::uint16_t id, CommandKind kind, std::uint32_t flags = 0, std::uint16_t textId = 0,
                  void* value = nullptr) {
    ASSERT_GE(AddCommand(id, kind, flags, 0, textId, value), 0) << id;
  }
  static std::uint32_t Flags(std::uint16_t id) {
    CommandRecord r{};
    EXPECT_EQ(GetCommand(id, &r), kStatusOk) << id;
    return r.flags;
  }

  // The framework windows save their placement and the application's state
  // in a data folder of the test's own.
  void SaveStateInDataFolder() {
    std::snprintf(gApp.dataFolder, sizeof gApp.dataFolder, "%s", data_.Path().c_str());
    gApp.noStateSave = 0;
    gApp.settingsLoaded = 1;
  }

  // A framework window with the recording product procedure, not yet shown.
  static CFrameWindow* MakeFrame(std::uint16_t id, std::uint32_t flags = 0, int x = 10, int y = 10, int w = 200,
                                 int h = 150) {
    const int index = CreateAppWindow(id, &RecordingFrameProc, "Veltrano", 1, flags, x, y, w, h);
    EXPECT_GE(index, 0) << id;
    return index >= 0 ? gApp.windows[index] : nullptr;
  }

  // A recording window: a child of parent, or a popup that the test
  // owns until its end (or until Destroy).
  HWND MakeWindow(HWND parent, int x, int y, int w, int h, DWORD style = WS_VISIBLE, DWORD exStyle = 0) {
    test_support::RegisterWindowClass("VltRecordingWindow", &RecordingProc);
    const HWND window =
        CreateWindowExA(exStyle, "VltRecordingWindow", "", (parent != nullptr ? WS_CHILD : WS_POPUP) | style, x, y, w,
                        h, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
    if (parent == nullptr) windows_.emplace_back(window);
    return window;
  }
  void Destroy(HWND window) {
    for (CWindowHandle& owned : windows_) {
      if (owned.Get() == window) owned.Reset();
    }
  }

  MessageLog& log = gLog;
  test_support::TempDir data_;

 private:
  std::vector<CWindowHandle> windows_;
};

}  // namespace ui_test
