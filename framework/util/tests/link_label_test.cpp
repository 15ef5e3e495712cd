#include "framework/util/link_label.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/win32/win_test_support.h"

namespace {

using test_support::Exists;
using test_support::ProgramFolder;
using test_support::ReadWholeFile;

constexpr char kProtocol[] = "veltranolinktest";

void SetValue(const std::string& key, const char* name, const std::string& value) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(k);
}

// A protocol of the prefix opened by a program that writes down its command
// line.
class LinkLabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Exists(stub));
    DeleteFileA(record.c_str());
    SetValue(kProtocol, nullptr, "URL:Veltrano link test");
    SetValue(kProtocol, "URL Protocol", "");
    SetValue(std::string(kProtocol) + "\\shell\\open\\command", nullptr, "\"" + stub + "\" \"%1\"");
    dialog.Reset(CreateWindowExA(0, "#32770", "Links", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr));
    ASSERT_TRUE(dialog);
    for (const int id : {101, 102}) {
      ASSERT_NE(CreateWindowExA(0, "STATIC", id == 101 ? "" : "Home page", WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                                (id == 101 ? SS_CENTER : SS_RIGHT | SS_PATHELLIPSIS), 10, 10 + (id - 101) * 30, 200,
                                20, dialog.Get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr),
                nullptr);
    }
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kProtocol);
    DeleteFileA(record.c_str());
  }
  // Whether the stub was started for target within 30 s. A start for
  // another target (a late duplicate of an earlier one) is passed over.
  bool Opened(const std::string& target) {
    const std::string end = target + "\"";
    return test_support::PumpUntil(
        [&] {
          if (!Exists(record)) return false;
          const std::string line = ReadWholeFile(record);
          // Seen but not yet readable (the move that makes it may still hold
          // it): read again, never delete a record unread.
          if (line == "<missing>") return false;
          DeleteFileA(record.c_str());
          if (line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0) return true;
          std::printf("passed over a start as %s\n", line.c_str());
          return false;
        },
        30000);
  }

  const std::string stub = ProgramFolder() + "\\link_target_stub.exe";
  const std::string record = ProgramFolder() + "\\link_target_stub.txt";
  CWindowHandle dialog;
};

TEST_F(LinkLabelTest, AClickAndSpaceOpenTheTargetThroughTheShell) {
  CLinkLabel empty;
  CLinkLabel named;
  InitLinkLabel(empty);
  EXPECT_FALSE(AttachLinkLabel(empty, dialog.Get(), 999, "veltranolinktest:none"));
  ASSERT_TRUE(AttachLinkLabel(empty, dialog.Get(), 101, "veltranolinktest:first"));
  ASSERT_TRUE(AttachLinkLabel(named, dialog.Get(), 102, "veltranolinktest:second"));
  // A static without text shows its target; one with text keeps it.
  EXPECT_STREQ(empty.text, "veltranolinktest:first");
  EXPECT_EQ(empty.alignment, static_cast<UINT>(DT_CENTER));
  EXPECT_STREQ(named.text, "Home page");
  EXPECT_EQ(named.alignment | named.ellipsis, static_cast<UINT>(DT_RIGHT | DT_PATH_ELLIPSIS));
  EXPECT_EQ(SendMessageA(named.tooltip.Get(), TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageA(empty.control, WM_SETCURSOR, reinterpret_cast<WPARAM>(empty.control), HTCLIENT), 1);

  SendMessageA(empty.control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(GetFocus(), empty.control);
  SendMessageA(empty.control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(Opened("veltranolinktest:first"));

  SetFocus(named.control);
  SendMessageA(named.control, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(Opened("veltranolinktest:second"));

  // Destroyed with its dialog, the object lets go of control and tooltip.
  dialog.Reset();
  EXPECT_EQ(named.control, nullptr);
  EXPECT_FALSE(named.tooltip);
}

}  // namespace
