// Checks of a dialog's controls: each shows its text whole, and a dialog
// holds the controls expected, in their order.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/util/win_handles.h"
#include "tests/support/win32/win_test_support.h"

namespace test_support {

// A control of the class with the text (null: any text), and its text fits it
// in the font it is drawn with: a label's wrapped text within its box, a
// button's line beside the box of a check box or radio button.
inline ::testing::AssertionResult ControlShows(HWND control, const char* cls, const char* text) {
  if (control == nullptr) return ::testing::AssertionFailure() << "no control";
  const std::string shown = Text(control);
  if (ClassOf(control) != cls || (text != nullptr && shown != text)) {
    return ::testing::AssertionFailure() << ClassOf(control) << " \"" << shown << "\"";
  }
  if (shown.empty() || (ClassOf(control) != "Static" && ClassOf(control) != "Button")) {
    return ::testing::AssertionSuccess();
  }
  RECT box{};
  GetClientRect(control, &box);
  RECT need = box;
  const CDcHandle dc(control);
  const CSelectObject font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
  const LONG_PTR type = GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK;
  if (ClassOf(control) == "Static") {
    DrawTextA(dc.Get(), shown.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  } else {
    DrawTextA(dc.Get(), shown.c_str(), -1, &need, DT_CALCRECT | DT_SINGLELINE);
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) need.right += GetSystemMetrics(SM_CXMENUCHECK) + 4;
  }
  if (need.right > box.right || need.bottom > box.bottom) {
    return ::testing::AssertionFailure() << "\"" << shown << "\" needs " << need.right << "x" << need.bottom
                                         << ", has " << box.right << "x" << box.bottom;
  }
  return ::testing::AssertionSuccess();
}

// A control as a dialog is expected to hold it: its id (-1: a label's),
// class and text (null: any text).
struct Control {
  int id;
  const char* kind;
  const char* text;
};

// The dialog's controls, in their order, are those expected, each showing
// its text whole.
inline void ExpectControls(HWND dialog, const std::vector<Control>& expected) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
  ASSERT_EQ(children.size(), expected.size());
  for (std::size_t i = 0; i < children.size(); ++i) {
    EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(children[i])), static_cast<WORD>(expected[i].id)) << i;
    EXPECT_TRUE(ControlShows(children[i], expected[i].kind, expected[i].text)) << i << ": " << expected[i].text;
  }
}

}  // namespace test_support
