#include "framework/util/dialog_fields.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/util/win_handles.h"

namespace {

constexpr int kEdit = 100;
constexpr int kCheck = 101;

class DialogFields : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent_);
    CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 50, 20, Dlg(), reinterpret_cast<HMENU>(kEdit), nullptr, nullptr);
    CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_AUTOCHECKBOX, 0, 30, 50, 20, Dlg(),
                    reinterpret_cast<HMENU>(kCheck), nullptr, nullptr);
  }
  std::string Text() {
    char buf[512] = {};
    GetDlgItemTextA(Dlg(), kEdit, buf, sizeof buf);
    return buf;
  }
  HWND Dlg() { return parent_.Get(); }

 private:
  CWindowHandle parent_{
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr)};
};

}  // namespace

TEST_F(DialogFields, NumbersRoundTripThroughTheControl) {
  const char sep = UserDecimalSeparator();
  SetDlgItemDouble(Dlg(), kEdit, 2.5);
  EXPECT_EQ(Text(), std::string("2") + sep + "5");
  EXPECT_DOUBLE_EQ(GetDlgItemDouble(Dlg(), kEdit, 0, 10, 1), 2.5);
  SetDlgItemDouble(Dlg(), kEdit, 1e300);  // shown without overrun
  EXPECT_EQ(Text(), "1e+300");
  // Either separator is read; "nan" gives the minimum.
  const struct { const char* text; double want; } doubles[] = {{"1,5", 1.5}, {"1.5", 1.5}, {"nan", 0.5}};
  for (const auto& c : doubles) {
    SetDlgItemTextA(Dlg(), kEdit, c.text);
    EXPECT_DOUBLE_EQ(GetDlgItemDouble(Dlg(), kEdit, 0.5, 10, 0), c.want) << c.text;
  }

  SetDlgItemIntText(Dlg(), kEdit, -42);
  EXPECT_EQ(Text(), "-42");
  EXPECT_EQ(GetDlgItemIntRange(Dlg(), kEdit, -100, 100, 1), -42);
  SetDlgItemTextA(Dlg(), kEdit, "12abc");
  EXPECT_EQ(GetDlgItemIntRange(Dlg(), kEdit, 0, 100, 0), 12);
  EXPECT_EQ(GetDlgItemIntRange(Dlg(), kEdit, 5, 100, 1), 5);

  const std::string longText(2000, 'x');
  SetDlgItemTextFormat(Dlg(), kEdit, "%s", longText.c_str());
  EXPECT_EQ(Text().size(), 511u);  // read back through a 512 buffer: was cut at 1023
  SetDlgItemTextFormat(Dlg(), kEdit, "%d-%s", 7, "x");
  EXPECT_EQ(Text(), "7-x");
}

TEST_F(DialogFields, ChecksAndEnabling) {
  SetDlgCheck(Dlg(), kCheck, BST_CHECKED);
  EXPECT_EQ(GetDlgCheck(Dlg(), kCheck), BST_CHECKED);
  EnableDlgItems(0, Dlg(), kEdit, kCheck, 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Dlg(), kEdit)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Dlg(), kCheck)));
  EnableDlgItems(0x101, Dlg(), kCheck, -1, kEdit);  // stops at -1
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Dlg(), kCheck)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Dlg(), kEdit)));
  FocusDlgEdit(Dlg(), 999);  // no such control: nothing happens
}
