// The message box and the dialog set-up on real dialogs. A thread timer,
// which fires inside the box's own modal loop, looks at the box and then
// answers it with keys or commands posted to it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/object/application.h"
#include "framework/app/dialog_setup.h"
#include "framework/app/dialog_setup_core.h"
#include "framework/app/message_box.h"
#include "framework/text/text_table.h"
#include "tests/support/png_image.h"
#include "tests/support/win32/win_test_support.h"
#include "framework/util/win_handles.h"

namespace {

using test_support::Field;
using test_support::Text;

constexpr char kAppName[] = "Veltrano Test";
constexpr int kStuck = -2;  // the box did not close on its answer
constexpr int kSetupDialog = 1001;
constexpr int kPlainCheckBox = 101;
constexpr int kAutoCheckBox = 102;
constexpr int kGroupBox = 104;

// An answer: a key pressed on the focused control, or a command posted to the box.
struct Answer {
  enum Kind { kKey, kCommand } kind;
  int value;
};
constexpr Answer kEnter{Answer::kKey, VK_RETURN};
constexpr Answer kEscape{Answer::kKey, VK_ESCAPE};
constexpr Answer Click(int id) { return Answer{Answer::kCommand, id}; }

struct Script {
  std::function<void(HWND)> inspect;
  std::vector<Answer> answers;
  HWND box = nullptr;
};
Script gScript;

// Posted messages come before timer ticks, so a box that is still there at
// the tick after its answers has ignored them.
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (gScript.box != nullptr) {
    if (IsWindow(gScript.box)) {
      ADD_FAILURE() << "the box did not close on its answer";
      EndDialog(gScript.box, kStuck);
    }
    return;
  }
  const std::vector<HWND> shown = test_support::ShownDialogs(GetCurrentThreadId());
  if (shown.empty()) return;
  const HWND box = shown.front();
  gScript.box = box;
  if (gScript.inspect) gScript.inspect(box);
  for (const Answer& a : gScript.answers) {
    if (a.kind == Answer::kKey) {
      PostMessageA(GetFocus() != nullptr ? GetFocus() : box, WM_KEYDOWN, static_cast<WPARAM>(a.value), 0);
    } else {
      const LPARAM button = reinterpret_cast<LPARAM>(GetDlgItem(box, a.value));
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(a.value, BN_CLICKED), button);
    }
  }
}

template <typename... Args>
int RunBox(std::vector<Answer> answers, std::function<void(HWND)> inspect, const char* caption,
           const char* format, std::uint32_t flags, Args... args) {
  gScript = Script{std::move(inspect), std::move(answers), nullptr};
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, &Tick);
  const int result = ShowMessageBox(gApp, nullptr, caption, format, flags, 0, args...);
  KillTimer(nullptr, timer);
  gScript = Script{};
  return result;
}

HFONT FontOf(HWND window) { return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)); }

RECT InParent(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}
PixelRect PixelsOf(const RECT& r) { return PixelRect{r.left, r.top, r.right, r.bottom}; }

HFONT Font(int index, int dpi) { return ThemeGetFont(gApp.theme, index, dpi); }

// The tests' Wine prefix shows everything at 96 DPI, the DPI the dialog
// font is made for at least.
constexpr int kDpi = 96;

class MessageBoxTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static char name[] = "Veltrano Test";
    static TextRecord product[] = {{0, {name}}, {kTextTableEnd, {}}};
    InstallAppTexts(product);
    gApp.hInstance = GetModuleHandleA(nullptr);
    std::strcpy(gApp.appName, kAppName);
  }
  static void TearDownTestSuite() { SetAppTextTable(nullptr); }
};

TEST_F(MessageBoxTest, EachButtonSetAnswersWithItsButtonAndStartsOnItsDefault) {
  const struct {
    std::uint32_t flags;
    std::vector<Answer> answers;
    int result;
    int focus;  // also the default button, drawn bold
    std::vector<int> shown;
  } cases[] = {
      {0x111, {kEnter}, IDOK, IDOK, {IDOK}},
      {0x588, {kEnter}, IDCANCEL, IDCANCEL, {IDCANCEL, IDYES, IDNO}},
      {0x1048, {kEnter}, IDNO, IDNO, {IDYES, IDNO}},
      {0x21, {Click(IDCANCEL)}, IDCANCEL, IDOK, {IDOK, IDCANCEL}},
      // Without a Cancel button, Escape still answers Cancel; a button the
      // set hides cannot answer at all.
      {0x48, {kEscape}, IDCANCEL, IDYES, {IDYES, IDNO}},
      {0x48, {Click(IDOK), kEscape}, IDCANCEL, IDYES, {IDYES, IDNO}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.flags);
    const auto inspect = [&c](HWND box) {
      EXPECT_EQ(GetFocus(), GetDlgItem(box, c.focus));
      EXPECT_EQ(LOWORD(SendMessageA(box, DM_GETDEFID, 0, 0)), c.focus);
      EXPECT_EQ(DialogDpi(box), kDpi);
      EXPECT_EQ(FontOf(GetDlgItem(box, c.focus)), Font(1, kDpi));
      for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        const bool want = std::find(c.shown.begin(), c.shown.end(), id) != c.shown.end();
        EXPECT_EQ(IsWindowVisible(GetDlgItem(box, id)) != FALSE, want) << "button " << id;
      }
      EXPECT_EQ(gApp.modalDepth, 1);
    };
    EXPECT_EQ(RunBox(c.answers, inspect, "Question", "Go on?", c.flags), c.result);
    EXPECT_EQ(gApp.modalDepth, 0);
  }
}

// The height of a control's text drawn in its font with word breaks at its
// width, as a static text draws it.
int WrappedHeight(HWND control) {
  RECT r{};
  GetClientRect(control, &r);
  HDC dc = GetDC(control);
  const HGDIOBJ old = SelectObject(dc, FontOf(control));
  const std::string text = Text(control);
  DrawTextA(dc, text.c_str(), -1, &r, DT_NOPREFIX | DT_CALCRECT | DT_WORDBREAK);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return r.bottom - r.top;
}

constexpr char kLongText[] =
    "Could not access the data path!\nC:\\Users\\Example\\AppData\\Roaming\\Brindlex\\Veltrano\\Settings\n"
    "Please make sure that this path is accessible or choose a different data path during setup.";

TEST_F(MessageBoxTest, TextAreasForOneTwoAndManyLines) {
  std::string many;
  for (int i = 1; i <= 21; ++i) many += "line " + std::to_string(i) + (i < 21 ? "\r\n" : "");
  const struct {
    std::string text;
    std::uint32_t flags;
    std::string first;
    const char* others;  // null: the second area is gone
    int measuredOthers;  // lines below the first that the second area is high
  } cases[] = {
      {"Just one line.", 0x11, "Just one line.", nullptr, 0},
      {"Error initializing the application!\nError code 0x0000F016.", 0x111,
       "Error initializing the application!", "Error code 0x0000F016.", 1},
      // Twenty line feeds: fifteen lines are measured; the second area shows
      // the whole rest as given.
      {many, 0x111, "line 1", many.c_str() + many.find('\n') + 1, 14},
      // Wider than a quarter of the screen: the line wraps, and its area
      // grows with it (-1: as high as the text wrapped in it).
      {kLongText, 0x111, "Could not access the data path!", kLongText + 32, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    const auto inspect = [&c](HWND box) {
      EXPECT_EQ(Text(box), kAppName);  // a null caption is the application's name
      const HWND first = GetDlgItem(box, kMsgBoxFirstLine);
      const HWND others = GetDlgItem(box, kMsgBoxOtherLines);
      EXPECT_EQ(Text(first), c.first);
      EXPECT_EQ(FontOf(first), Font((c.flags & kMsgBoxBoldFirstLine) ? 5 : 4, kDpi));
      ASSERT_EQ(others != nullptr, c.others != nullptr);
      if (others == nullptr) return;
      EXPECT_EQ(Text(others), c.others);
      EXPECT_EQ(FontOf(others), Font(4, kDpi));
      int w = 0, h = 0;
      (void)MeasureTextThemeFont(gApp.theme, "line 2", &w, &h, 0, kDpi);
      const RECT r = InParent(others);
      if (c.measuredOthers >= 0) {
        EXPECT_EQ(r.bottom - r.top, c.measuredOthers * (h + 1));
      } else {
        EXPECT_GE(r.bottom - r.top, WrappedHeight(others));
        EXPECT_GT(r.bottom - r.top, 3 * (h + 1));
      }
      EXPECT_EQ(r.top, InParent(first).bottom);
    };
    EXPECT_EQ(RunBox({kEnter}, inspect, nullptr, "%s", c.flags, c.text.c_str()), IDOK);
  }
}

TEST_F(MessageBoxTest, MissingTextsShowAnEmptyBoxWithTheResourcesTitles) {
  SetAppTextTable(nullptr);  // GetText answers null for everything
  const auto inspect = [](HWND box) {
    EXPECT_EQ(Text(box), kAppName);
    EXPECT_EQ(Field(box, kMsgBoxFirstLine), "");
    EXPECT_EQ(Field(box, IDOK), "OK");
  };
  EXPECT_EQ(RunBox({kEnter}, inspect, nullptr, nullptr, 0x11), IDOK);
  SetUpTestSuite();
}

void SendDpiChanged(HWND window, int from, int to) {
  RECT r{};
  GetWindowRect(window, &r);
  RECT suggested = r;
  if (from > 0 && to > 0) {
    suggested.right = r.left + MulDiv(r.right - r.left, to, from);
    suggested.bottom = r.top + MulDiv(r.bottom - r.top, to, from);
  }
  SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
}

std::map<int, PixelRect> ChildRects(HWND dialog) {
  std::map<int, PixelRect> rects;
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    rects[GetDlgCtrlID(c)] = PixelsOf(InParent(c));
  }
  return rects;
}

// Every edge times factor: a change to a whole multiple of the DPI moves
// each edge exactly.
std::map<int, PixelRect> Times(std::map<int, PixelRect> rects, int factor) {
  for (auto& [id, r] : rects) r = PixelRect{r.left * factor, r.top * factor, r.right * factor, r.bottom * factor};
  return rects;
}

TEST_F(MessageBoxTest, RepeatedDpiChangeScalesTheControlsOncePerChange) {
  const auto inspect = [](HWND box) {
    ASSERT_EQ(DialogDpi(box), kDpi);
    const std::map<int, PixelRect> before = ChildRects(box);
    SendDpiChanged(box, 96, 192);
    SendDpiChanged(box, 192, 192);  // the same DPI again moves nothing
    EXPECT_EQ(ChildRects(box), Times(before, 2));
    EXPECT_EQ(FontOf(GetDlgItem(box, kMsgBoxFirstLine)), Font(5, 192));
    EXPECT_EQ(FontOf(GetDlgItem(box, IDOK)), Font(1, 192));
    SendDpiChanged(box, 192, 0);  // no DPI: nothing to scale by
    EXPECT_EQ(ChildRects(box), Times(before, 2));
    SendDpiChanged(box, 192, 96);
    EXPECT_EQ(ChildRects(box), before);
    EXPECT_EQ(FontOf(GetDlgItem(box, IDOK)), Font(1, 96));
  };
  EXPECT_EQ(RunBox({kEscape}, inspect, "DPI", "First line\nsecond line\nthird line", 0x121), IDCANCEL);
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG && lParam != 0) PrepareDialog(dialog);
  return FALSE;
}

CWindowHandle MakeSetupDialog(bool prepared) {
  return CWindowHandle(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kSetupDialog), nullptr,
                                          &SetupDialogProc, prepared ? 1 : 0));
}

int WidthOf(HWND dialog, int id) {
  const RECT r = InParent(GetDlgItem(dialog, id));
  return r.right - r.left;
}

TEST_F(MessageBoxTest, DialogSetUpWidensACheckBoxOnceAndScalesOnlyAKnownDpi) {
  const CWindowHandle plain = MakeSetupDialog(false);
  const CWindowHandle prepared = MakeSetupDialog(true);
  ASSERT_TRUE(plain && prepared);
  const HWND d = prepared.Get();
  ASSERT_EQ(DialogDpi(d), kDpi);
  // The plain check box is 60 dialog units wide: 90 pixels at the dialog
  // font's base unit of 6, widened by a fifth to 108.
  constexpr int kPlainWidth = 90;
  constexpr int kWidenedWidth = 108;
  ASSERT_EQ(WidthOf(plain.Get(), kPlainCheckBox), kPlainWidth);
  EXPECT_EQ(WidthOf(d, kPlainCheckBox), kWidenedWidth);
  EXPECT_EQ(WidthOf(d, kAutoCheckBox), WidthOf(plain.Get(), kAutoCheckBox));
  const HFONT bold = Font(1, 96);
  EXPECT_EQ(DialogFont(), bold);
  for (int id : {kPlainCheckBox, kGroupBox, IDOK}) EXPECT_EQ(FontOf(GetDlgItem(d, id)), bold) << id;
  EXPECT_NE(FontOf(GetDlgItem(d, kAutoCheckBox)), bold);

  // There and back: the check box is scaled with the rest, never widened again.
  const std::map<int, PixelRect> before = ChildRects(d);
  for (const auto& [to, factor] : {std::pair{192, 2}, {192, 2}, {96, 1}}) {
    ApplyDialogFontForDpi(d, to);
    EXPECT_EQ(ChildRects(d), Times(before, factor)) << to;
  }

  // A dialog that was never prepared has no DPI to scale from: its controls
  // stay (only its check box is widened, once).
  std::map<int, PixelRect> unscaled = ChildRects(plain.Get());
  PixelRect& box = unscaled[kPlainCheckBox];
  box.right = box.left + kWidenedWidth;
  for (int to : {192, 288}) {
    ApplyDialogFontForDpi(plain.Get(), to);
    EXPECT_EQ(ChildRects(plain.Get()), unscaled) << to;
  }
}

// A window painted by itself (WM_PRINT) at its own origin, copied to (x, y)
// of the target: controls clip in device coordinates, so they are not
// painted through a moved origin.
void PrintInto(HWND window, HDC target, int x, int y, LPARAM parts) {
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  CMemoryDcHandle dc(CreateCompatibleDC(target));
  CBitmapHandle bitmap(CreateCompatibleBitmap(target, w, h));
  if (!dc || !bitmap) return;
  CSelectObject select(dc.Get(), bitmap.Get());
  BitBlt(dc.Get(), 0, 0, w, h, target, x, y, SRCCOPY);  // what lies beneath
  SendMessageA(window, WM_PRINT, reinterpret_cast<WPARAM>(dc.Get()), parts);
  BitBlt(target, x, y, w, h, dc.Get(), 0, 0, SRCCOPY);
}

// The box as drawn: its caption strip over its client area with the child
// controls, as top-down 0x00RRGGBB pixels. The caption is *captionHeight
// high.
std::vector<std::uint32_t> Capture(HWND box, int* cx, int* cy, int* captionHeight) {
  RECT client{};
  GetClientRect(box, &client);
  *captionHeight = GetSystemMetrics(SM_CYCAPTION);
  *cx = client.right;
  *cy = client.bottom + *captionHeight;
  test_support::DibSurface surface(*cx, *cy);
  if (!surface.Valid()) return {};
  RECT caption{0, 0, *cx, *captionHeight};
  DrawCaption(box, surface.dc(), &caption, DC_ACTIVE | DC_TEXT | DC_ICON | DC_GRADIENT);
  PrintInto(box, surface.dc(), 0, *captionHeight, PRF_CLIENT | PRF_ERASEBKGND);
  // Bottom of the z-order first.
  for (HWND c = GetWindow(GetWindow(box, GW_CHILD), GW_HWNDLAST); c != nullptr; c = GetWindow(c, GW_HWNDPREV)) {
    if (!IsWindowVisible(c)) continue;
    const RECT r = InParent(c);
    PrintInto(c, surface.dc(), r.left, *captionHeight + r.top, PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  }
  return surface.Pixels();
}

TEST_F(MessageBoxTest, DrawnBoxIsSavedAsAnImage) {
  const auto inspect = [](HWND box) {
    int cx = 0, cy = 0, captionHeight = 0;
    const std::vector<std::uint32_t> pixels = Capture(box, &cx, &cy, &captionHeight);
    ASSERT_FALSE(pixels.empty());
    // The owner-drawn icon is there: its area is not all one colour.
    RECT icon = InParent(GetDlgItem(box, kMsgBoxIconArea));
    OffsetRect(&icon, 0, captionHeight);
    int differing = 0;
    const std::uint32_t corner = pixels[static_cast<std::size_t>(icon.top * cx + icon.left)];
    for (int y = icon.top; y < icon.bottom; ++y) {
      for (int x = icon.left; x < icon.right; ++x) differing += pixels[static_cast<std::size_t>(y * cx + x)] != corner;
    }
    EXPECT_GT(differing, (icon.right - icon.left) * (icon.bottom - icon.top) / 8);
    if (const char* path = std::getenv("VELTRANO_MESSAGE_BOX_IMAGE")) {
      EXPECT_TRUE(test_support::WritePng(path, pixels, cx, cy)) << path;
    }
  };
  EXPECT_EQ(RunBox({kEscape}, inspect, "Configuration",
                   "Warning: your current configuration will be overwritten!\n"
                   "Do you want to continue?\nThe program restarts afterwards.",
                   0x588),
            IDCANCEL);
}

// Start-up registers these icons and fails without them; each loads into the
// theme with its tinted copy.
TEST(FrameworkResources, StandardCommandIconsLoadIntoTheTheme) {
  CTheme theme;
  theme.instance = GetModuleHandleA(nullptr);
  for (unsigned id = FW_IDI_CAPTION_MENU; id <= FW_IDI_COLOUR_OVERLAY; ++id) {
    int position = -1;
    ASSERT_EQ(ThemeAddIcon(theme, id, id, 0, 0, &position), kStatusOk) << std::hex << id;
    const IconRecord& record = theme.icons[static_cast<std::size_t>(position)];
    EXPECT_GT(record.cx, 0) << std::hex << id;
    EXPECT_TRUE(record.tinted) << std::hex << id;
  }
}

}  // namespace
