// The profile dialog driven by messages while it runs modally, the picker
// over a window of another program, and the capture overlay.
#include "scrolling/settings/profile_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "framework/object/application.h"
#include "framework/util/win_handles.h"
#include "scrolling/options/options.h"
#include "scrolling/settings/res/profile_dialog_ids.h"
#include "tests/support/product/use_product_texts.h"
#include "tests/support/win32/dialog_checks.h"
#include "tests/support/win32/win_test_support.h"

namespace {

using test_support::ClassOf;
using test_support::Click;
using test_support::Text;

using test_support::Field;

// Runs the dialog on a profile; steps get the dialog once it shows and must
// end it. Dialogs it owns are answered with OK, their caption and texts kept
// one a line; a file dialog gets the file named first.
struct Driver {
  std::function<void(HWND)> steps;
  std::string file;
  HWND dialog = nullptr;
  bool done = false;
  test_support::OwnedBoxes boxes;
};
Driver gDriver;

// Posted messages come before timer ticks, so a dialog still open at the tick
// after its steps ended ignored them.
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  for (const HWND window : test_support::ShownDialogs(GetCurrentThreadId())) {
    const bool box = gDriver.boxes.Answer(window, gDriver.dialog, [](HWND b) {
      // The file name field of either layout of the open-file dialog.
      if (gDriver.file.empty()) return;
      for (const int field : {0x47C, 0x480}) SetDlgItemTextA(b, field, gDriver.file.c_str());
    });
    if (box) continue;
    if (gDriver.dialog == nullptr && Text(window) == "Profile") {
      gDriver.dialog = window;
      gDriver.steps(window);
      gDriver.done = true;
    } else if (window == gDriver.dialog && gDriver.done) {
      ADD_FAILURE() << "the dialog did not end on its steps";
      EndDialog(window, 99);
    }
  }
}

INT_PTR RunDialog(Profile& profile, std::function<void(HWND)> steps, const std::string& file = {}) {
  gDriver = Driver{};
  gDriver.steps = std::move(steps);
  gDriver.file = file;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, &Tick);
  const INT_PTR result = RunProfileDialog(nullptr, profile);
  KillTimer(nullptr, timer);
  EXPECT_NE(gDriver.dialog, nullptr) << "the dialog never showed";
  return result;
}

Profile NamedProfile() {
  Profile p;
  SetProfileDefaults(p);
  std::strcpy(p.szParName, "Editor");
  std::strcpy(p.szPrgPath, "C:\\Tools\\editor.exe");
  std::strcpy(p.szWndCaption, "Untitled");
  std::strcpy(p.szWndClass, "EditorFrame");
  p.dSpeedX = 0.25;
  return p;
}

// The picker reads the mouse through these while a test holds it.
bool gButtonDown = false;
POINT gCursor{};
bool TestButtons() { return gButtonDown; }
BOOL WINAPI TestCursor(POINT* p) {
  *p = gCursor;
  return TRUE;
}

class ProfileDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    UseProductTexts();
    gApp.hInstance = GetModuleHandleA(nullptr);
    // As start-up registers it: the procedure and the name only.
    WNDCLASSA overlay{};
    overlay.lpfnWndProc = &OverlayWndProc;
    overlay.lpszClassName = "VeltranoCaptureOverlay";
    RegisterClassA(&overlay);
  }
  void TearDown() override {
    ShowCaptureOverlay(nullptr);
    SetPickerMouse(nullptr, nullptr);
    SetOverlayFrameBoundsFunction(nullptr);
  }
};

TEST_F(ProfileDialogTest, ShowsEveryControlWithItsTextAndTheProfileUnclipped) {
  const std::vector<test_support::Control> expected = {
      {-1, "Button", "Profile"}, {-1, "Static", "Name:"}, {IDC_PROFILE_NAME, "Edit", "Editor"},
      {-1, "Static", "Please choose a unique name for the profile"}, {-1, "Button", "Program and Window"},
      {-1, "Static", "Program:"}, {IDC_PROFILE_PROGRAM, "Edit", "C:\\Tools\\editor.exe"},
      {IDC_PROFILE_BROWSE, "Button", "Browse..."}, {-1, "Static", "Window caption:"},
      {IDC_PROFILE_CAPTION, "Edit", "Untitled"}, {-1, "Static", "Window class:"},
      {IDC_PROFILE_CLASS, "Edit", "EditorFrame"}, {IDC_PROFILE_PICK, "Button", "Pick !       "},
      {-1, "Static", "Press and hold this button and then move the mouse cursor over a window to get its parameters."},
      {IDOK, "Button", "OK"}, {IDCANCEL, "Button", "Cancel"}, {IDC_PROFILE_HELP, "Button", "Help"}
  };
  Profile profile = NamedProfile();
  const auto steps = [&](HWND dialog) {
    test_support::ExpectControls(dialog, expected);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_PROFILE_NAME));
    Click(dialog, IDCANCEL);
  };
  EXPECT_EQ(RunDialog(profile, steps), IDCANCEL);
}

TEST_F(ProfileDialogTest, AnEmptyNameIsRefusedAndCancelThenLeavesTheProfile) {
  Profile profile = NamedProfile();
  const Profile before = profile;
  const std::uint64_t generation = ProfilesGeneration();
  const auto steps = [](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_PROFILE_NAME, "");
    SetDlgItemTextA(dialog, IDC_PROFILE_PROGRAM, "C:\\Other\\other.exe");
    Click(dialog, IDOK);
    ASSERT_EQ(gDriver.boxes.texts.size(), 1u);
    const std::string& box = gDriver.boxes.texts[0];
    EXPECT_EQ(box.rfind("Veltrano\n", 0), 0u) << box;
    EXPECT_NE(box.find("\nPlease select a unique name for the profile!\n"), std::string::npos) << box;
    EXPECT_TRUE(IsWindowVisible(dialog));  // still open
    Click(dialog, IDCANCEL);
  };
  EXPECT_EQ(RunDialog(profile, steps), IDCANCEL);
  EXPECT_EQ(std::memcmp(&profile, &before, sizeof profile), 0);
  EXPECT_EQ(ProfilesGeneration(), generation);
}

TEST_F(ProfileDialogTest, OkCopiesNameAndPatternsBackAndKeepsTheRest) {
  Profile profile = NamedProfile();
  const std::uint64_t generation = ProfilesGeneration();
  const auto steps = [](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_PROFILE_NAME, "Viewer");
    SetDlgItemTextA(dialog, IDC_PROFILE_PROGRAM, "viewer.exe");
    SetDlgItemTextA(dialog, IDC_PROFILE_CAPTION, "");
    SetDlgItemTextA(dialog, IDC_PROFILE_CLASS, "ViewerPane");
    Click(dialog, IDOK);
  };
  EXPECT_EQ(RunDialog(profile, steps), IDOK);
  EXPECT_TRUE(gDriver.boxes.texts.empty());
  EXPECT_STREQ(profile.szParName, "Viewer");
  EXPECT_STREQ(profile.szPrgPath, "viewer.exe");
  EXPECT_STREQ(profile.szWndCaption, "");
  EXPECT_STREQ(profile.szWndClass, "ViewerPane");
  EXPECT_EQ(profile.dSpeedX, 0.25);
  EXPECT_NE(ProfilesGeneration(), generation);  // the pattern index follows
}

TEST_F(ProfileDialogTest, BrowseFillsTheProgramAndNamesOnlyAProfileThatCameWithoutAName) {
  const std::string program = test_support::ProgramFolder() + "\\pick_target.exe";
  const struct {
    const char* name;  // as the dialog opens
    const char* shown;
  } cases[] = {{"", "pick_target.exe"}, {"Kept", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Profile profile = NamedProfile();
    std::strcpy(profile.szParName, c.name);
    const auto steps = [&](HWND dialog) {
      SetDlgItemTextA(dialog, IDC_PROFILE_NAME, "");  // typed since it opened: does not count
      Click(dialog, IDC_PROFILE_BROWSE);
      EXPECT_EQ(_stricmp(Field(dialog, IDC_PROFILE_PROGRAM).c_str(), program.c_str()), 0)
          << Field(dialog, IDC_PROFILE_PROGRAM);
      EXPECT_EQ(Field(dialog, IDC_PROFILE_NAME), c.shown);
      Click(dialog, IDCANCEL);
    };
    EXPECT_EQ(RunDialog(profile, steps, program), IDCANCEL);
    EXPECT_EQ(gDriver.boxes.texts.size(), 1u);
  }
}

RECT WindowRectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

::testing::AssertionResult OutlinedBy(HWND overlay, HWND window) {
  const RECT o = WindowRectOf(overlay), w = WindowRectOf(window);
  if (overlay != nullptr && EqualRect(&o, &w)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "overlay " << overlay << " at " << o.left << "," << o.top << "-" << o.right
                                       << "," << o.bottom << ", window at " << w.left << "," << w.top;
}

TEST_F(ProfileDialogTest, PickerReadsAnotherProgramsWindowsAndEscKeepsTheValues) {
  const std::string program = test_support::ProgramFolder() + "\\pick_target.exe";
  const CKernelHandle process = test_support::StartProgram(program, "20 20 300 160");
  ASSERT_TRUE(process);
  HWND top = nullptr;
  HWND child = nullptr;
  // The target makes its child after its own window, which can be found
  // in between: wait for both.
  ASSERT_TRUE(test_support::WaitUntil(
      [&] {
        top = FindWindowA("VeltranoPickTarget", "Pick target");
        if (top != nullptr) child = FindWindowExA(top, nullptr, "VeltranoPickChild", "Pick child");
        return child != nullptr;
      },
      30000));
  SetPickerMouse(&TestButtons, &TestCursor);

  Profile profile = NamedProfile();
  const auto steps = [&](HWND dialog) {
    // Away from the target, so that only the target is under the points.
    SetWindowPos(dialog, nullptr, 500, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const HWND pick = GetDlgItem(dialog, IDC_PROFILE_PICK);
    const auto tick = [&] { SendMessageA(pick, WM_TIMER, kPickerTimerId, 0); };
    gButtonDown = true;
    SendMessageA(pick, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
    EXPECT_TRUE(IsWindowPickerActive());
    EXPECT_EQ(GetCapture(), pick);
    EXPECT_EQ(SendMessageA(pick, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);

    gCursor = POINT{60, 80};  // the target's own area
    tick();
    EXPECT_EQ(_stricmp(Field(dialog, IDC_PROFILE_PROGRAM).c_str(), program.c_str()), 0)
        << Field(dialog, IDC_PROFILE_PROGRAM);
    EXPECT_EQ(Field(dialog, IDC_PROFILE_CAPTION), "Pick target");
    EXPECT_EQ(Field(dialog, IDC_PROFILE_CLASS), "VeltranoPickTarget");
    EXPECT_TRUE(OutlinedBy(CaptureOverlayWindow(), top));

    gCursor = POINT{250, 80};  // the child window in its right half
    tick();
    EXPECT_EQ(Field(dialog, IDC_PROFILE_CAPTION), "Pick child");
    EXPECT_EQ(Field(dialog, IDC_PROFILE_CLASS), "VeltranoPickChild");
    const HWND overlay = CaptureOverlayWindow();
    EXPECT_TRUE(OutlinedBy(overlay, child));

    SendMessageA(pick, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindowPickerActive());
    EXPECT_NE(GetCapture(), pick);
    EXPECT_EQ(CaptureOverlayWindow(), nullptr);
    EXPECT_FALSE(IsWindow(overlay));
    EXPECT_EQ(Field(dialog, IDC_PROFILE_CLASS), "VeltranoPickChild");

    // A pick also ends at the first tick that finds both buttons up.
    SendMessageA(pick, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    tick();
    ASSERT_NE(CaptureOverlayWindow(), nullptr);
    gButtonDown = false;
    tick();
    EXPECT_FALSE(IsWindowPickerActive());
    EXPECT_EQ(CaptureOverlayWindow(), nullptr);
    Click(dialog, IDOK);
  };
  EXPECT_EQ(RunDialog(profile, steps), IDOK);
  EXPECT_STREQ(profile.szWndCaption, "Pick child");
  EXPECT_STREQ(profile.szWndClass, "VeltranoPickChild");
  PostMessageA(top, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process.Get(), 1);
}

HRESULT WINAPI InsetBounds(HWND window, DWORD attribute, void* value, DWORD size) {
  if (attribute != 9 || size != sizeof(RECT)) return E_INVALIDARG;
  RECT r = WindowRectOf(window);
  InflateRect(&r, -7, -7);
  std::memcpy(value, &r, sizeof r);
  return S_OK;
}
HRESULT WINAPI FailingBounds(HWND, DWORD, void*, DWORD) { return E_FAIL; }

TEST_F(ProfileDialogTest, OverlayIsARedFrameOverTheVisibleBoundsAndLeavesTheInside) {
  const HWND window = CreateWindowExA(0, "Static", "below", WS_POPUP | WS_VISIBLE, 50, 60, 200, 120, nullptr, nullptr,
                                      nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  SetOverlayFrameBoundsFunction(&FailingBounds);
  ShowCaptureOverlay(window);
  HWND overlay = CaptureOverlayWindow();
  ASSERT_TRUE(OutlinedBy(overlay, window));

  SetOverlayFrameBoundsFunction(&InsetBounds);
  ShowCaptureOverlay(window);
  EXPECT_FALSE(IsWindow(overlay));  // the previous one is gone
  overlay = CaptureOverlayWindow();
  ASSERT_NE(overlay, nullptr);
  const RECT r = WindowRectOf(overlay);
  EXPECT_TRUE(r.left == 57 && r.top == 67 && r.right == 243 && r.bottom == 173);
  EXPECT_TRUE(IsWindowVisible(overlay));
  EXPECT_EQ(ClassOf(overlay), "VeltranoCaptureOverlay");
  EXPECT_EQ(GetWindowLongA(overlay, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
            WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  EXPECT_NE(GetActiveWindow(), overlay);

  const int w = 186, h = 106;
  const CRegionHandle shape(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(GetWindowRgn(overlay, shape.Get()), ERROR);
  test_support::DibSurface drawn(w, h);
  ASSERT_TRUE(drawn.Valid());
  SendMessageA(overlay, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(drawn.dc()), PRF_CLIENT);
  // Points across each edge: on the frame the overlay is red, one pixel in
  // it is neither there nor painted.
  const struct {
    int x, y;
    bool frame;
  } points[] = {{0, 50, true},      {4, 50, true},      {5, 50, false},       {w - 5, 50, true},
                {w - 6, 50, false}, {90, 0, true},      {90, 4, true},        {90, 5, false},
                {90, h - 5, true},  {90, h - 6, false}, {w / 2, h / 2, false}};
  for (const auto& p : points) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    EXPECT_EQ(PtInRegion(shape.Get(), p.x, p.y) != FALSE, p.frame);
    EXPECT_EQ(drawn.At(p.x, p.y), p.frame ? RGB(255, 0, 0) : RGB(255, 255, 255));
  }
  ShowCaptureOverlay(nullptr);
  EXPECT_FALSE(IsWindow(overlay));
  DestroyWindow(window);
}

}  // namespace
