// The hot-key field on a page of its own, with keystrokes sent as input so
// that they pass the thread's keyboard hook as a user's keys do.
#include "framework/hotkey/hotkey_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/app/application.h"
#include "framework/app/framework_messages.h"
#include "framework/hotkey/key_names_win32.h"

namespace {

constexpr int kPage = 1001;
constexpr int kField = 100;
constexpr int kOtherField = 101;

struct Notice {
  int id;
  int code;
  bool focused;  // the control had the focus when it reported
};
std::vector<Notice> gNotices;

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && lParam != 0) {
    gNotices.push_back({LOWORD(wParam), HIWORD(wParam), GetFocus() == reinterpret_cast<HWND>(lParam)});
    return TRUE;
  }
  (void)page;
  return FALSE;
}

void Pump(HWND page) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!IsDialogMessageA(page, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

std::string TextOf(HWND window) {
  char text[260] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

class HotKeyFieldTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gApp.hInstance = GetModuleHandleA(nullptr);
    CompleteKeyNameTable();
  }
  void SetUp() override {
    page_ = CreateDialogParamA(gApp.hInstance, MAKEINTRESOURCEA(kPage), nullptr, &PageProc, 0);
    ASSERT_NE(page_, nullptr);
    field_ = GetDlgItem(page_, kField);
    ASSERT_EQ(hotKey_.CreateHotKeyEdit(), 0u);
    ASSERT_TRUE(hotKey_.AttachHotKeyEdit(field_));
    SetForegroundWindow(page_);
    SetFocus(field_);
    Pump(page_);
    gNotices.clear();
  }
  void TearDown() override {
    DestroyWindow(page_);
    hotKey_.DestroyHotKeyEdit();
  }
  // Each keystroke is taken before the next is sent, so that the modifiers
  // the hook asks for are those of that moment. Negative: a release.
  void Type(std::initializer_list<int> keys) {
    for (int k : keys) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = static_cast<WORD>(k < 0 ? -k : k);
      in.ki.dwFlags = k < 0 ? KEYEVENTF_KEYUP : 0;
      ASSERT_EQ(SendInput(1, &in, sizeof in), 1u);
      Pump(page_);
    }
  }
  HWND page_ = nullptr;
  HWND field_ = nullptr;
  CHotKeyEdit hotKey_;
};

TEST_F(HotKeyFieldTest, AttachedFieldAnswersForItsObject) {
  const HWND button = hotKey_.Button();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(GetParent(button), field_);
  EXPECT_EQ(GetDlgCtrlID(button), kHotKeyButtonId);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(button, GWL_STYLE)), 0x50008000u);
  RECT client{}, box{};
  GetClientRect(field_, &client);
  GetWindowRect(button, &box);
  MapWindowPoints(HWND_DESKTOP, field_, reinterpret_cast<POINT*>(&box), 2);
  EXPECT_EQ(box.right, client.right);
  EXPECT_EQ(box.bottom - box.top, client.bottom);
  EXPECT_EQ(box.right - box.left, client.bottom);

  CHotKeyEdit* answer = nullptr;
  SendMessageA(field_, WM_FW_HOTKEYQUERY, 0, reinterpret_cast<LPARAM>(&answer));
  EXPECT_EQ(answer, &hotKey_);
  answer = nullptr;
  SendMessageA(GetDlgItem(page_, kOtherField), WM_FW_HOTKEYQUERY, 0, reinterpret_cast<LPARAM>(&answer));
  EXPECT_EQ(answer, nullptr);
  EXPECT_EQ(SendMessageA(field_, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);

  EnableWindow(field_, FALSE);
  EXPECT_FALSE(IsWindowEnabled(button));
  DestroyWindow(field_);
  EXPECT_EQ(hotKey_.Edit(), nullptr);
  EXPECT_EQ(hotKey_.Button(), nullptr);
}

TEST_F(HotKeyFieldTest, KeystrokesThroughTheHook) {
  ASSERT_EQ(GetFocus(), field_);
  ASSERT_TRUE(hotKey_.HookInstalled());
  const std::string ctrl = FindKeyName(VK_CONTROL)->localName;
  ASSERT_FALSE(ctrl.empty());
  struct Case {
    std::uint16_t before;
    std::initializer_list<int> keys;
    std::uint16_t value;
    std::string text;
  };
  const Case cases[] = {
      {0x0241, {VK_BACK, -VK_BACK}, 0, "NONE"},
      {0x0041, {VK_CONTROL, -VK_CONTROL}, 0x0041, "A"},  // Ctrl alone changes nothing
      {0, {VK_RWIN, -VK_RWIN}, VK_RWIN, "Right Win"},
      {0, {VK_CONTROL, 'A'}, 0x0241, ctrl + " + A"},
      {0, {VK_CONTROL, 'A', -VK_CONTROL, -'A'}, 'A', "A"},  // the release of A decides
      {0, {VK_CONTROL, VK_BACK, -VK_BACK, -VK_CONTROL}, 0x0200, ctrl + " + NONE"},
  };
  for (const Case& c : cases) {
    Type({-VK_CONTROL, -'A'});  // nothing left held from the case before
    hotKey_.SetHotKey(c.before);
    Type(c.keys);
    EXPECT_EQ(hotKey_.GetHotKey(), c.value) << c.text;
    EXPECT_EQ(TextOf(field_), c.text);  // the hook's text, nothing typed after it
  }
  Type({-VK_CONTROL, -'A'});
}

}  // namespace
