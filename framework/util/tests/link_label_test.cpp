#include "framework/util/link_label.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/util/monitors.h"
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

// A text as the link's paint should draw it in the control: on the button
// face, in blue, in face at the link's size for the dialog's DPI.
std::vector<std::uint32_t> DrawnAsLink(HWND control, const char* text, UINT flags, const char* face) {
  RECT client{};
  GetClientRect(control, &client);
  test_support::DibSurface surface(client.right, client.bottom);
  FillRect(surface.dc(), &client, GetSysColorBrush(COLOR_BTNFACE));
  LOGFONTA lf{};
  lf.lfHeight = -MulDiv(12, GetWindowDpi(GetParent(control)), 96);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
  CFontHandle font(CreateFontIndirectA(&lf));
  CSelectObject selected(surface.dc(), font.Get());
  SetBkMode(surface.dc(), TRANSPARENT);
  SetTextColor(surface.dc(), kLinkColour);
  DrawTextA(surface.dc(), text, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | flags);
  return surface.Pixels();
}

// What the control shows once painted, read back from its window's surface.
std::vector<std::uint32_t> Shown(HWND control) {
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT client{};
  GetClientRect(control, &client);
  test_support::DibSurface surface(client.right, client.bottom);
  const HDC dc = GetDC(control);
  BitBlt(surface.dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(control, dc);
  return surface.Pixels();
}

std::size_t Differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  if (a.size() != b.size()) return a.size() > b.size() ? a.size() : b.size();
  std::size_t n = 0;
  for (std::size_t i = 0; i < a.size(); ++i) n += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF) ? 1 : 0;
  return n;
}

int CALLBACK CollectFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM faces) {
  if ((type & TRUETYPE_FONTTYPE) != 0 && font->lfCharSet != SYMBOL_CHARSET && font->lfFaceName[0] != '@') {
    reinterpret_cast<std::vector<std::string>*>(faces)->push_back(font->lfFaceName);
  }
  return 1;
}

// The machine's faces differ (a prefix may lack Wine's own): the test takes
// the first one that sets the text otherwise than the fallback face does.
std::string FaceOtherThan(HWND control, const char* text, UINT flags, const char* fallback) {
  std::vector<std::string> faces;
  LOGFONTA any{};
  any.lfCharSet = DEFAULT_CHARSET;
  const HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &any, &CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
  ReleaseDC(nullptr, screen);
  const std::vector<std::uint32_t> other = DrawnAsLink(control, text, flags, fallback);
  for (const std::string& face : faces) {
    if (Differing(DrawnAsLink(control, text, flags, face.c_str()), other) > 0) return face;
  }
  return std::string();
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

// The control keeps the font it has (dialog set-up re-fonts only buttons),
// here none, whose fallback is "MS Shell Dlg 2": the face handed down is the
// one drawn.
TEST_F(LinkLabelTest, TheTextIsDrawnInTheFaceHandedDown) {
  const HWND control = GetDlgItem(dialog.Get(), 102);
  constexpr UINT kFlags = DT_RIGHT | DT_PATH_ELLIPSIS;
  const std::string face = FaceOtherThan(control, "Home page", kFlags, "MS Shell Dlg 2");
  ASSERT_FALSE(face.empty()) << "no face that looks different";
  CLinkLabel link;
  ASSERT_TRUE(AttachLinkLabel(link, dialog.Get(), 102, "veltranolinktest:face", face.c_str()));
  SetFocus(dialog.Get());  // no focus rectangle
  EXPECT_EQ(Differing(Shown(control), DrawnAsLink(control, "Home page", kFlags, face.c_str())), 0u) << face;
}

}  // namespace
