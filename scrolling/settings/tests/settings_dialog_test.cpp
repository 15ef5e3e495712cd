// The settings dialog driven by messages, over a test main window that takes
// the hot key and stands in for the program's hooks and tray icon.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/object/application.h"
#include "framework/run/message_loop.h"
#include "framework/util/text_util.h"
#include "scrolling/app/main_window.h"
#include "scrolling/engine/win32_platform.h"
#include "scrolling/options/options.h"
#include "scrolling/options/options_file.h"
#include "scrolling/settings/res/settings_ids.h"
#include "scrolling/settings/settings_dialog.h"
#include "scrolling/settings/settings_state.h"
#include "tests/support/product/use_product_texts.h"
#include "tests/support/win32/dialog_checks.h"
#include "tests/support/win32/win_test_support.h"

namespace {

constexpr int kPageOfDialog = -1;

struct HostCalls {
  std::vector<bool> hooks;
  std::vector<bool> tray;
};
HostCalls gCalls;
HWND gMain = nullptr;

bool RecordHooks(bool want) {
  gCalls.hooks.push_back(want);
  return true;
}
void RecordTray(bool show) { gCalls.tray.push_back(show); }
HWND TestMainWindow() { return gMain; }

// The hot key reaches the program's window as it does in the program.
LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOTKEY && wParam == 1) SetProgramDisabled(gOpt.bDisabled == 0);
  return DefWindowProcA(window, message, wParam, lParam);
}

// The profile dialog: renames the profile and answers OK, or answers Cancel.
int gRunnerAnswer = IDOK;
int gRunnerCalls = 0;
INT_PTR RenamingRunner(HWND, Profile& profile) {
  ++gRunnerCalls;
  if (gRunnerAnswer == IDOK) std::strcpy(profile.szParName, "Edited");
  return gRunnerAnswer;
}

using test_support::ClassOf;
using test_support::Pump;
using test_support::Text;

// Whether a hot key is registered already, by this program or another.
bool Taken(UINT modifiers, UINT key) {
  if (!RegisterHotKey(nullptr, 99, modifiers, key)) return true;
  UnregisterHotKey(nullptr, 99);
  return false;
}

// Answers the message boxes shown over the settings dialog with OK, from a
// timer that fires inside their modal loop, and keeps their texts.
std::vector<std::string> gBoxes;
HWND gAnswerOver = nullptr;
void CALLBACK AnswerTick(HWND, UINT, UINT_PTR, DWORD) {
  for (const HWND box : test_support::ShownDialogs(GetCurrentThreadId())) {
    if (box == gAnswerOver) continue;
    gBoxes.push_back(test_support::AllTexts(box));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    UseProductTexts();
    gApp.hInstance = GetModuleHandleA(nullptr);
    gApp.versionMajor = 1;
    gApp.versionMinor = 2;
    gApp.versionBuild = 3;
    gApp.osVersion = 10;
    gMain = test_support::MakeClassWindow("SettingsTestMain", &MainProc, WS_OVERLAPPED);
    SettingsHost host;
    host.installHooks = &RecordHooks;
    host.updateTrayIcon = &RecordTray;
    host.mainWindow = &TestMainWindow;
    SetSettingsHost(host);
    SetProfileDialogRunner(&RenamingRunner);
  }
  static void TearDownTestSuite() {
    DestroyWindow(gMain);
    SetAppTextTable(nullptr);
  }
  void SetUp() override {
    CopyText(gApp.dataFolder, sizeof gApp.dataFolder, (tmp_ / "").c_str());
    SetFactoryOptions();
    gOpt.iHotKeyEnable = 0;
    Settings().selected = 0;
    Settings().tab = 0;
    gCalls = HostCalls{};
    gRunnerAnswer = IDOK;
    gRunnerCalls = 0;
    dialog_ = OpenSettingsDialog();
    ASSERT_NE(dialog_, nullptr);
  }
  void TearDown() override {
    if (IsWindow(dialog_)) DestroyWindow(dialog_);
    EXPECT_EQ(SettingsDialogWindow(), nullptr);
    UnregisterHotKey(gMain, 1);
  }

  HWND Page(SettingsPage page) const { return SettingsPageWindow(static_cast<int>(page)); }
  HWND Item(int page, int id) const {
    return GetDlgItem(page == kPageOfDialog ? dialog_ : SettingsPageWindow(page), id);
  }
  void Command(int id, HWND window = nullptr, UINT code = BN_CLICKED) {
    const HWND to = window != nullptr ? window : dialog_;
    SendMessageA(to, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(to, id)));
  }
  void SelectTab(int tab) {
    NMHDR change{GetDlgItem(dialog_, IDC_SET_TABS), IDC_SET_TABS, static_cast<UINT>(TCN_SELCHANGE)};
    SendDlgItemMessageA(dialog_, IDC_SET_TABS, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    SendMessageA(dialog_, WM_NOTIFY, IDC_SET_TABS, reinterpret_cast<LPARAM>(&change));
  }
  // Types text into a page's edit: the edit tells its page of the change.
  void Type(SettingsPage page, int id, const char* text) { SetDlgItemTextA(Page(page), id, text); }
  std::vector<std::string> ListNames() const {
    std::vector<std::string> names;
    const HWND list = GetDlgItem(dialog_, IDC_SET_PROFILE_LIST);
    const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      char name[kNameSize] = {};
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
      names.push_back(name);
    }
    return names;
  }
  int ListSelection() const {
    return static_cast<int>(SendDlgItemMessageA(dialog_, IDC_SET_PROFILE_LIST, LB_GETCURSEL, 0, 0));
  }

  test_support::TempDir tmp_;
  HWND dialog_ = nullptr;
};

TEST_F(SettingsDialogTest, EveryControlIsThereWithItsClassAndText) {
  struct Control {
    int page;
    int id;
    const char* cls;
    const char* text;
  };
  const Control controls[] = {
      {-1, 1, "Button", "OK"}, {-1, 2, "Button", "Cancel"}, {-1, 3, "Button", "Apply"},
      {-1, 1041, "Button", "Profiles"}, {-1, 1048, "ListBox", nullptr}, {-1, 1000, "Button", "New..."},
      {-1, 1001, "Button", "Copy..."}, {-1, 1005, "Button", "Delete"}, {-1, 1006, "Button", "Up"},
      {-1, 1002, "Button", "Down"}, {-1, 1059, "Static", nullptr}, {-1, 1040, "Button", "General Options"},
      {-1, 1007, "Button", "Start with Windows"}, {-1, 1016, "Button", "Tray icon"}, {-1, 1008, "Button", "Enabled"},
      {-1, 1119, "Edit", nullptr}, {-1, 1071, "Static", "Veltrano V1.2.3"}, {-1, 1067, "Static", nullptr},
      {-1, 1057, "SysTabControl32", nullptr}, {-1, 9, "Button", "Help"}, {-1, 4, "Button", "About"},
      {-1, 1004, "Button", "Quit"}, {0, 1014, "Button", "Scroll Navigation"}, {0, 1070, "Static", "Mouse button:"},
      {0, 1053, "Button", "Right"}, {0, 1051, "Button", "Middle"}, {0, 1071, "Static", "Disable if pressed:"},
      {0, 1117, "Button", "Ctrl"}, {0, 1118, "Button", "Alt"}, {0, 1119, "Button", "Shift"},
      {0, 1015, "Button", "Enable instead of disable"}, {0, 1009, "Button", "Enable X axis"},
      {0, 1012, "Button", "Invert X axis"}, {0, 1091, "Static", "X axis speed factor:"}, {0, 1036, "Edit", nullptr},
      {0, 1010, "Button", "Enable Y axis"}, {0, 1013, "Button", "Invert Y axis"},
      {0, 1094, "Static", "Y axis speed factor:"}, {0, 1037, "Edit", nullptr},
      {0, 1011, "Button", "Freeze mouse cursor position"}, {0, 1017, "Button", "Hide mouse cursor"},
      {0, 1081, "Static", "Trigger distance:"}, {0, 1032, "Edit", nullptr},
      {0, 1016, "Button", "Lock movement to one axis"}, {0, 1076, "Static", "Scroll up:"},
      {0, 1095, "ComboBox", nullptr}, {0, 1047, "Edit", nullptr}, {0, 1072, "Static", "Scroll down:"},
      {0, 1096, "ComboBox", nullptr}, {0, 1044, "Edit", nullptr}, {0, 1074, "Static", "Scroll left:"},
      {0, 1097, "ComboBox", nullptr}, {0, 1045, "Edit", nullptr}, {0, 1075, "Static", "Scroll right:"},
      {0, 1098, "ComboBox", nullptr}, {0, 1046, "Edit", nullptr}, {1, 1019, "Button", "Wheel Acceleration"},
      {1, 1082, "Static", "Wheel metrics:"}, {1, 1088, "Static", "Minimum wheel speed:"}, {1, 1035, "Edit", nullptr},
      {1, 1089, "Static", "notches per second"}, {1, 1086, "Static", "Maximum wheel speed:"},
      {1, 1034, "Edit", nullptr}, {1, 1087, "Static", "notches per second"},
      {1, 1079, "Static", "Minimum scroll distance:"}, {1, 1031, "Edit", nullptr}, {1, 1080, "Static", "lines"},
      {1, 1077, "Static", "Maximum scroll distance:"}, {1, 1030, "Edit", nullptr}, {1, 1078, "Static", "lines"},
      {1, 1085, "Static", "Response characteristic:"}, {1, 1033, "Edit", nullptr}, {1, 1083, "Static", "of activity"},
      {1, 1056, "msctls_trackbar32", nullptr}, {1, 1090, "Static", "Default wheel speed:"}, {1, 1036, "Edit", nullptr},
      {1, 1084, "Static", "lines"}, {1, 1023, "Static", ""}, {1, 1061, "Static", "(min)"},
      {1, 1062, "Static", "Wheel Speed"}, {1, 1063, "Static", "(max)"}, {1, 1064, "Static", "(max)"},
      {1, 1065, "Static", "Scroll\nSpeed"}, {1, 1066, "Static", "(min)"}, {1, 1038, "Button", "Wheel Options"},
      {1, 1017, "Button", "Send wheel movements to window under mouse cursor"},
      {1, 1020, "Button", "Bring window to foreground"}, {1, 1021, "Button", "Invert wheel direction"},
      {2, 1118, "Button", "Back / Forward Buttons"},
      {2, 1097, "Button", "Send back / forward clicks to window under mouse cursor"},
      {2, 1098, "Button", "Bring window to foreground"}, {2, 1100, "Static", "Back:"}, {2, 1101, "ComboBox", nullptr},
      {2, 1102, "Edit", nullptr}, {2, 1107, "Static", "Command:"}, {2, 1108, "Edit", nullptr},
      {2, 1103, "Static", "Forward:"}, {2, 1099, "ComboBox", nullptr}, {2, 1104, "Edit", nullptr},
      {2, 1109, "Static", "Command:"}, {2, 1110, "Edit", nullptr}, {2, 1106, "Button", "Middle Mouse Button"},
      {2, 1111, "Static", "Click:"}, {2, 1112, "ComboBox", nullptr}, {2, 1113, "Edit", nullptr},
      {2, 1114, "Static", "Command:"}, {2, 1115, "Edit", nullptr}
  };
  for (const Control& c : controls) {
    EXPECT_TRUE(test_support::ControlShows(Item(c.page, c.id), c.cls, c.text)) << c.page << ":" << c.id;
  }
  EXPECT_EQ(Text(dialog_), "Veltrano");
  EXPECT_EQ(GetDlgItem(dialog_, IDC_SET_PAGE_PLACE), nullptr);
  const HWND tabs = GetDlgItem(dialog_, IDC_SET_TABS);
  ASSERT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
  const char* tabTexts[] = {"Scroll Navigation", "Wheel Options", "Button Options"};
  for (int i = 0; i < 3; ++i) {
    char text[64] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, tabTexts[i]);
    EXPECT_EQ(GetWindowLongPtrA(SettingsPageWindow(i), GWL_STYLE) & WS_CHILD, WS_CHILD);
  }
  const struct {
    int page;
    int id;
    const char* second;
  } lists[] = {{0, 1095, "Mouse wheel"},
               {0, 1097, "Horizontal mouse wheel"},
               {2, 1101, "Forward button"},
               {2, 1112, "Custom keys"}};
  for (const auto& l : lists) {
    char text[64] = {};
    SendMessageA(Item(l.page, l.id), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, l.second);
  }
}

TEST_F(SettingsDialogTest, ProfileButtonsEditTheListAndNoteEachChange) {
  struct Step {
    const char* what;
    int command;
    int selectBefore;
    std::vector<std::string> names;
    int selected;
    bool changes;
  };
  const std::string p0 = gOpt.Par[0].szParName, p1 = gOpt.Par[1].szParName, p2 = gOpt.Par[2].szParName;
  gOpt.iNumPar = 3;
  FillProfileList();
  const Step steps[] = {
      {"new above the selected", IDC_SET_NEW, 1, {p0, "Edited", p1, p2}, 1, true},
      {"copy of the selected", IDC_SET_COPY, 2, {p0, "Edited", "Edited", p1, p2}, 2, true},
      {"up", IDC_SET_UP, 3, {p0, "Edited", p1, "Edited", p2}, 2, true},
      {"down", IDC_SET_DOWN, 0, {"Edited", p0, p1, "Edited", p2}, 1, true},
      {"down on the last", IDC_SET_DOWN, 4, {"Edited", p0, p1, "Edited", p2}, 4, false},
      {"delete the last", IDC_SET_DELETE, 4, {"Edited", p0, p1, "Edited"}, 3, true},
  };
  for (const Step& s : steps) {
    SendDlgItemMessageA(dialog_, IDC_SET_PROFILE_LIST, LB_SETCURSEL, static_cast<WPARAM>(s.selectBefore), 0);
    Command(IDC_SET_PROFILE_LIST, nullptr, LBN_SELCHANGE);
    const std::uint64_t before = ProfilesGeneration();
    Command(s.command);
    EXPECT_EQ(ListNames(), s.names) << s.what;
    EXPECT_EQ(ListSelection(), s.selected) << s.what;
    EXPECT_EQ(ProfilesGeneration() != before, s.changes) << s.what;
  }
  // The copy (of the second factory profile) kept the source's patterns.
  EXPECT_STREQ(gOpt.Par[3].szPrgPath, gOpt.Par[2].szPrgPath);
  EXPECT_STRNE(gOpt.Par[3].szPrgPath, "");

  // Emptied, the list takes nothing but a new profile, at 0.
  while (gOpt.iNumPar > 0) Command(IDC_SET_DELETE);
  EXPECT_EQ(ListSelection(), -1);
  gRunnerCalls = 0;
  for (const int id : {IDC_SET_COPY, IDC_SET_DELETE, IDC_SET_UP, IDC_SET_DOWN}) Command(id);
  EXPECT_EQ(gOpt.iNumPar, 0);
  EXPECT_EQ(gRunnerCalls, 0);
  Command(IDC_SET_NEW);
  EXPECT_EQ(ListNames(), std::vector<std::string>{"Edited"});
  EXPECT_EQ(ListSelection(), 0);

  // A profile dialog that is cancelled changes nothing.
  gRunnerAnswer = IDCANCEL;
  Command(IDC_SET_NEW);
  EXPECT_EQ(gOpt.iNumPar, 1);

  // A double click edits the profile in place.
  gRunnerAnswer = IDOK;
  std::strcpy(gOpt.Par[0].szParName, "Renamed");
  FillProfileList();
  const std::uint64_t beforeEdit = ProfilesGeneration();
  Command(IDC_SET_PROFILE_LIST, nullptr, LBN_DBLCLK);
  EXPECT_EQ(ListNames(), std::vector<std::string>{"Edited"});
  EXPECT_NE(ProfilesGeneration(), beforeEdit);

  // At the limit: no new profile, no copy, and the last one stays last.
  gRunnerAnswer = IDOK;
  gOpt.iNumPar = kMaxProfiles;
  Settings().selected = kMaxProfiles - 1;
  FillProfileList();
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog_, IDC_SET_NEW)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog_, IDC_SET_DOWN)));
  gRunnerCalls = 0;
  for (const int id : {IDC_SET_NEW, IDC_SET_COPY, IDC_SET_DOWN}) Command(id);
  EXPECT_EQ(gOpt.iNumPar, kMaxProfiles);
  EXPECT_EQ(gRunnerCalls, 0);
  EXPECT_EQ(Settings().selected, kMaxProfiles - 1);
}

TEST_F(SettingsDialogTest, PageFieldsStoreClampedValuesAndKeepExactOnes) {
  Profile& p = gOpt.Par[0];
  struct Edit {
    SettingsPage page;
    int id;
    const char* text;
    std::function<bool()> stored;
  };
  const Edit edits[] = {
      {SettingsPage::Wheel, IDC_WHL_WSMAX, "150", [&] { return p.iWSmax == 100; }},
      {SettingsPage::Wheel, IDC_WHL_WSMIN, "0", [&] { return p.iWSmin == 1; }},
      {SettingsPage::Scroll, IDC_SCR_TRIGGER, "", [&] { return p.iTriggerDistance == 0; }},
      {SettingsPage::Scroll, IDC_SCR_SPEED_X, "2,5", [&] { return p.dSpeedX == 2.5; }},
      {SettingsPage::Scroll, IDC_SCR_SPEED_Y, "2.5", [&] { return p.dSpeedY == 2.5; }},
      {SettingsPage::Button, IDC_BTN_BACK_CMD, "notepad.exe",
       [&] { return std::strcmp(p.szBackCmd, "notepad.exe") == 0; }},
  };
  for (const Edit& e : edits) {
    Type(e.page, e.id, e.text);
    EXPECT_TRUE(e.stored()) << e.id << " <- \"" << e.text << "\"";
  }

  // Values shown rounded stay exact when another control changes.
  p.dSpeedX = 0.0001;
  p.dSpeedY = 1.23456;
  ShowPages();
  EXPECT_EQ(Text(GetDlgItem(Page(SettingsPage::Scroll), IDC_SCR_SPEED_X)), "0");
  Type(SettingsPage::Scroll, IDC_SCR_TRIGGER, "7");
  SendDlgItemMessageA(Page(SettingsPage::Scroll), IDC_SCR_FREEZE, BM_CLICK, 0, 0);
  EXPECT_EQ(p.dSpeedX, 0.0001);
  EXPECT_EQ(p.dSpeedY, 1.23456);

  // Check boxes and lists write their fields and the enable rules follow.
  gCalls.hooks.clear();
  p.bWheelEnable = 1;
  ShowPages();
  SendDlgItemMessageA(Page(SettingsPage::Wheel), IDC_WHL_ENABLE, BM_CLICK, 0, 0);
  EXPECT_EQ(p.bWheelEnable, 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Page(SettingsPage::Wheel), IDC_WHL_CURVE)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Page(SettingsPage::Wheel), IDC_WHL_DEFLINES)));
  EXPECT_FALSE(gCalls.hooks.empty());
  SendDlgItemMessageA(Page(SettingsPage::Button), IDC_BTN_MIDDLE_MODE, CB_SETCURSEL, 2, 0);
  Command(IDC_BTN_MIDDLE_MODE, Page(SettingsPage::Button), CBN_SELCHANGE);
  EXPECT_EQ(p.iMiddleMode, 2);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Page(SettingsPage::Button), IDC_BTN_MIDDLE_CMD)));

  // A hot key chosen while its field has no focus (the "+" dialog) is kept.
  HotKeyEdits().middle.SetHotKey(0x0341);
  EXPECT_EQ(p.hkMiddle, 0x0341);
}

TEST_F(SettingsDialogTest, TrackbarAndMeasuredWheelSpeedUpdateTheWheelPage) {
  Profile& p = gOpt.Par[0];
  const HWND page = Page(SettingsPage::Wheel);
  const double before = p.dTrafo[50];
  SendDlgItemMessageA(page, IDC_WHL_WSMED_SLIDER, TBM_SETPOS, TRUE, 90);
  SendMessageA(page, WM_HSCROLL, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_WHL_WSMED_SLIDER)));
  EXPECT_EQ(p.iWSmed, 90);
  EXPECT_EQ(test_support::Field(page, IDC_WHL_WSMED), "90");
  EXPECT_NE(p.dTrafo[50], before);

  struct Report {
    bool focused;
    WPARAM speed;
    const char* shown;
    int stored;
  };
  p.iWSmax = 40;
  p.bWheelEnable = 1;
  ShowPages();
  SelectTab(1);
  const Report reports[] = {{false, 70, "40", 40}, {true, 70, "70", 70}, {true, 50, "70", 70}, {true, 300, "300", 100}};
  for (const Report& r : reports) {
    SetFocus(r.focused ? GetDlgItem(page, IDC_WHL_WSMAX) : GetDlgItem(dialog_, IDC_SET_PROFILE_LIST));
    // The engine reports the speed it measured to the open dialog.
    EnginePlatformInstance().ReportWheelSpeed(static_cast<std::int32_t>(r.speed));
    EXPECT_EQ(test_support::Field(page, IDC_WHL_WSMAX), r.shown) << r.speed;
    EXPECT_EQ(p.iWSmax, r.stored) << r.speed;
  }
}

TEST_F(SettingsDialogTest, ApplySavesAndCancelRestoresWhatWasBeforeTheDialog) {
  const int profiles = gOpt.iNumPar;
  const std::uint8_t tray = gOpt.bTrayIcon;
  Type(SettingsPage::Wheel, IDC_WHL_WSMAX, "77");
  CheckDlgButton(dialog_, IDC_SET_TRAYICON, tray != 0 ? BST_UNCHECKED : BST_CHECKED);
  SendDlgItemMessageA(dialog_, IDC_SET_ENABLED, BM_CLICK, 0, 0);
  EXPECT_EQ(gOpt.bDisabled, 1);
  HotKeyEdits().enable.SetHotKey(0x0677);  // Ctrl + Shift + F8
  Command(IDC_SET_NEW);
  gCalls = HostCalls{};
  Command(IDC_SET_APPLY);
  EXPECT_EQ(gCalls.hooks, std::vector<bool>{true});
  EXPECT_EQ(gCalls.tray, std::vector<bool>{tray == 0});
  EXPECT_TRUE(Taken(MOD_CONTROL | MOD_SHIFT, VK_F8));

  // The options file holds what was applied.
  const Options* applied = new Options(gOpt);
  std::memset(&gOpt, 0, sizeof gOpt);
  ASSERT_EQ(LoadSaveOptions(0), 1);
  EXPECT_EQ(gOpt.iNumPar, profiles + 1);
  EXPECT_EQ(gOpt.Par[1].iWSmax, 77);
  EXPECT_EQ(gOpt.iHotKeyEnable, 0x0677);
  // Equal but for the curves, which the file keeps to 15 digits.
  EXPECT_EQ(std::memcmp(&gOpt, applied, offsetof(Options, Par)), 0);
  for (int i = 0; i < gOpt.iNumPar; ++i) {
    Profile a = gOpt.Par[i], b = applied->Par[i];
    EXPECT_NEAR(a.dTrafo[50], b.dTrafo[50], 1e-13) << i;
    std::memset(a.dTrafo, 0, sizeof a.dTrafo);
    std::memset(b.dTrafo, 0, sizeof b.dTrafo);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << i;
  }
  delete applied;

  // Cancel (Escape in a page's field, through the program's message loop)
  // puts back the options, the hot key and the tray icon of before.
  gCalls = HostCalls{};
  const std::uint64_t generation = ProfilesGeneration();
  MSG escape{GetDlgItem(Page(SettingsPage::Wheel), IDC_WHL_WSMAX), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  PreTranslateMessage(&escape);
  EXPECT_NE(ProfilesGeneration(), generation);
  EXPECT_FALSE(IsWindow(dialog_));
  EXPECT_EQ(gOpt.iNumPar, profiles);
  EXPECT_EQ(gOpt.bDisabled, 0);
  EXPECT_EQ(gOpt.iHotKeyEnable, 0);
  EXPECT_EQ(gCalls.tray, std::vector<bool>{tray != 0});
  EXPECT_EQ(gCalls.hooks, std::vector<bool>{true});
  EXPECT_FALSE(Taken(MOD_CONTROL | MOD_SHIFT, VK_F8));
}

TEST_F(SettingsDialogTest, HotKeySetInTheDialogTogglesTheProgramAndAFailedOneKeepsTheOld) {
  HotKeyEdits().enable.SetHotKey(0x0676);  // Ctrl + Shift + F7
  Command(IDC_SET_APPLY);
  ASSERT_EQ(gOpt.iHotKeyEnable, 0x0676);
  EXPECT_TRUE(Taken(MOD_CONTROL | MOD_SHIFT, VK_F7));

  // Pressing it switches the program off and on, and the box follows.
  for (const UINT expected : {BST_UNCHECKED, BST_CHECKED}) {
    INPUT keys[6] = {};
    const WORD vks[3] = {VK_CONTROL, VK_SHIFT, VK_F7};
    for (int i = 0; i < 3; ++i) {
      keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
      keys[i].ki.wVk = keys[5 - i].ki.wVk = vks[i];
      keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    ASSERT_EQ(SendInput(6, keys, sizeof(INPUT)), 6u);
    test_support::PumpUntil([&] { return IsDlgButtonChecked(dialog_, IDC_SET_ENABLED) == expected; }, 10000);
    EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_SET_ENABLED), expected);
  }

  // A key that another window holds is refused with the message; the old
  // one stays registered and nothing is saved.
  ASSERT_TRUE(RegisterHotKey(gMain, 7, MOD_ALT | MOD_SHIFT, VK_F9));
  HotKeyEdits().enable.SetHotKey(0x0578);  // Alt + Shift + F9
  DeleteFileA((tmp_ / "Options.oqc").c_str());
  gBoxes.clear();
  gAnswerOver = dialog_;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, &AnswerTick);
  Command(IDC_SET_APPLY);
  KillTimer(nullptr, timer);
  const std::vector<std::string> boxes = gBoxes;
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("The Hot-Key could not be set!"), std::string::npos);
  EXPECT_EQ(gOpt.iHotKeyEnable, 0x0676);
  EXPECT_TRUE(IsWindow(dialog_));
  EXPECT_TRUE(Taken(MOD_CONTROL | MOD_SHIFT, VK_F7));
  EXPECT_FALSE(test_support::Exists(tmp_ / "Options.oqc"));
  UnregisterHotKey(gMain, 7);
}

TEST_F(SettingsDialogTest, ADpiChangeScalesTheDialogAndItsPages) {
  auto width = [](HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r.right - r.left;
  };
  const HWND tabs = GetDlgItem(dialog_, IDC_SET_TABS);
  const HWND field = GetDlgItem(Page(SettingsPage::Wheel), IDC_WHL_WSMAX);
  const LONG tabsBefore = width(tabs), fieldBefore = width(field);
  RECT suggested{};
  GetWindowRect(dialog_, &suggested);
  suggested.right = suggested.left + (suggested.right - suggested.left) * 3 / 2;
  suggested.bottom = suggested.top + (suggested.bottom - suggested.top) * 3 / 2;
  SendMessageA(dialog_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_NEAR(width(tabs), tabsBefore * 3 / 2, 2);
  EXPECT_NEAR(width(field), fieldBefore * 3 / 2, 2);
  EXPECT_EQ(width(dialog_), suggested.right - suggested.left);
}

TEST_F(SettingsDialogTest, OkClosesByDestroyingAndTabsSwitchPages) {
  SelectTab(2);
  EXPECT_TRUE(IsWindowVisible(Page(SettingsPage::Button)));
  EXPECT_FALSE(IsWindowVisible(Page(SettingsPage::Scroll)));
  const HWND page = Page(SettingsPage::Button);
  Command(IDOK);
  EXPECT_FALSE(IsWindow(dialog_));
  EXPECT_FALSE(IsWindow(page));
  // The tab survives the dialog.
  dialog_ = OpenSettingsDialog();
  EXPECT_TRUE(IsWindowVisible(Page(SettingsPage::Button)));
  EXPECT_EQ(OpenSettingsDialog(), dialog_);
}

}  // namespace
