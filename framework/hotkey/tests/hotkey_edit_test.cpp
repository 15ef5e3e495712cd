// The hot-key field on a page of its own, with keystrokes sent as input so
// that they pass the thread's keyboard hook as a user's keys do.
#include "framework/hotkey/hotkey_edit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/object/application.h"
#include "framework/base/framework_messages.h"
#include "framework/hotkey/key_names_win32.h"
#include "framework/ui/list_item.h"
#include "tests/support/win32/win_test_support.h"

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

using test_support::Pump;
using test_support::Text;

// A keystroke as input, so that it passes the keyboard hook. Negative: a release.
void SendKey(int key) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = static_cast<WORD>(key < 0 ? -key : key);
  in.ki.dwFlags = key < 0 ? KEYEVENTF_KEYUP : 0;
  ASSERT_EQ(SendInput(1, &in, sizeof in), 1u);
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
  // the hook asks for are those of that moment.
  void Type(std::initializer_list<int> keys) {
    for (int k : keys) {
      SendKey(k);
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
    EXPECT_EQ(Text(field_), c.text);  // the hook's text, nothing typed after it
  }
  Type({-VK_CONTROL, -'A'});
}

// The key-combination dialog opened by the "+" button. A thread timer,
// which fires inside the dialog's modal loop once the messages before it
// are handled, takes one step a tick.
using DialogStep = std::function<void(HWND dialog, CList& list)>;
std::vector<DialogStep> gSteps;
std::size_t gNextStep = 0;
int gIdleTicks = 0;

void CALLBACK DialogTick(HWND, UINT, UINT_PTR, DWORD) {
  const HWND dialog = FindWindowA("#32770", "Select Key Combination");
  CHotKeyEdit* field = nullptr;
  if (dialog != nullptr) SendMessageA(dialog, WM_FW_HOTKEYQUERY, 0, reinterpret_cast<LPARAM>(&field));
  if (field == nullptr || field->KeyList() == nullptr) return;
  if (gNextStep < gSteps.size()) {
    gSteps[gNextStep++](dialog, *field->KeyList());
  } else if (++gIdleTicks > 3) {
    ADD_FAILURE() << "the dialog stayed open";
    EndDialog(dialog, IDABORT);
  }
}

int RowOf(const CList& list, unsigned code) {
  for (int row = 0; row < list.GetRowCount(); ++row) {
    if (static_cast<unsigned>(list.GetRowData(row)) == code) return row;
  }
  return -1;
}

DialogStep Command(int id) {
  return [id](HWND dialog, CList&) { PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0); };
}
DialogStep Select(std::initializer_list<unsigned> codes) {
  return [codes = std::vector<unsigned>(codes)](HWND, CList& list) {
    for (unsigned code : codes) list.SelectRow(RowOf(list, code), true, true);
  };
}
DialogStep Boxes(std::uint8_t modifiers) {
  return [modifiers](HWND dialog, CList&) {
    const std::pair<int, std::uint8_t> boxes[] = {
        {50149, kModShift}, {50150, kModCtrl}, {50151, kModAlt}, {50152, kModWin}};
    for (const auto& b : boxes) {
      CheckDlgButton(dialog, b.first, (modifiers & b.second) != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
  };
}
DialogStep DoubleClick(unsigned code) {
  return [code](HWND, CList& list) {
    const int row = RowOf(list, code);
    list.SetTopRow(row);
    RECT r{};
    SendMessageA(list.listBox, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
      SendMessageA(list.listBox, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    }
  };
}
// A keystroke typed into the list, as input through the keyboard hook.
DialogStep Key(int key) {
  return [key](HWND, CList& list) {
    ASSERT_EQ(GetFocus(), list.listBox);
    SendKey(key);
  };
}
DialogStep Inspect(std::function<void(HWND, CList&)> check) { return check; }

class KeyCombinationDialogTest : public HotKeyFieldTest {
 protected:
  void Run(std::uint16_t before, std::vector<DialogStep> steps) {
    hotKey_.SetHotKey(before);
    gSteps = std::move(steps);
    gNextStep = 0;
    gIdleTicks = 0;
    gNotices.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, &DialogTick);
    SendMessageA(field_, WM_COMMAND, MAKEWPARAM(kHotKeyButtonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(hotKey_.Button()));
    KillTimer(nullptr, timer);
    EXPECT_EQ(gNextStep, gSteps.size()) << "the dialog closed before its last step";
    EXPECT_EQ(GetFocus(), field_);
  }
};

TEST_F(KeyCombinationDialogTest, ChoiceEndsInTheFieldAndIsReportedFromTheFocusedField) {
  struct Case {
    const char* what;
    std::uint16_t before;
    std::vector<DialogStep> steps;
    std::uint16_t after;
  };
  const Case cases[] = {
      {"OK with no row", 0x0241, {Command(50153), Command(IDOK)}, 0},
      {"Left Ctrl and Left Alt without boxes", 0x0241,
       {Command(50153), Boxes(0), Select({VK_LCONTROL, VK_LMENU}), Command(IDOK)}, 0x02A4},
      {"double click", 0x0400, {DoubleClick('B')}, 0x0442},
      {"a key typed in the list", 0, {Boxes(kModWin), Key('C'), Key(-'C'), Command(IDOK)}, 0x0043},
      {"Cancel", 0x0241, {Command(50153), Command(IDCANCEL)}, 0x0241},
      // Two Esc keystrokes are four events: the fourth closes the dialog.
      {"Esc four times", 0x0241,
       {Command(50153), Key(VK_ESCAPE), Key(-VK_ESCAPE), Key(VK_ESCAPE),
        Inspect([](HWND dialog, CList&) { EXPECT_TRUE(IsWindowVisible(dialog)) << "closed at the third Esc event"; }),
        Key(-VK_ESCAPE)},
       0x0241},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Run(c.before, c.steps);
    EXPECT_EQ(hotKey_.GetHotKey(), c.after);
    EXPECT_EQ(Text(field_), FormatHotKeyName(c.after));
    // A page that reads the focused control's changes hears of a new value.
    const bool reported = !gNotices.empty() && gNotices.back().id == kField && gNotices.back().code == EN_CHANGE &&
                          gNotices.back().focused;
    EXPECT_EQ(reported, c.after != c.before);
  }
}

TEST_F(KeyCombinationDialogTest, ColumnWidthsLastForTheRun) {
  Run(0, {Inspect([](HWND, CList& list) {
            ASSERT_EQ(list.columns.Count(), 5);
            EXPECT_DOUBLE_EQ(list.columns[0].widthFraction, 0.08);
            list.columns[1].widthFraction = 0.3;
          }),
          Command(IDCANCEL)});
  Run(0, {Inspect([](HWND, CList& list) { EXPECT_DOUBLE_EQ(list.columns[1].widthFraction, 0.3); }),
          Command(IDCANCEL)});
}

TEST(HotKeyObject, ConstructionRegistersNothing) {
  const int items = gApp.items.Count();
  {
    CHotKeyEdit field;
    EXPECT_EQ(gApp.items.Count(), items);
    EXPECT_EQ(field.KeyList(), nullptr);
    ASSERT_EQ(field.CreateHotKeyEdit(), 0u);
    EXPECT_EQ(gApp.items.Count(), items + 1);
  }
  EXPECT_EQ(gApp.items.Count(), items);
}

}  // namespace
