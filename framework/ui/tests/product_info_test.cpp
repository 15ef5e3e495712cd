#include "framework/ui/product_info.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "framework/app/app_services.h"
#include "framework/object/application.h"
#include "framework/app/backup_restore.h"
#include "framework/base/framework_messages.h"
#include "framework/app/res/framework_resource_ids.h"
#include "framework/text/text_table.h"
#include "framework/ui/window_list.h"
#include "framework/ui/frame_window.h"
#include "framework/util/link_label.h"
#include "tests/support/win32/win_test_support.h"
#include "framework/util/text_util.h"
#include "zip/win32/zip_win32.h"

namespace {

using test_support::Click;
using test_support::Exists;
using test_support::TempDir;
using test_support::Text;

constexpr char kProduct[] = "AboutTest";

// The dialog run through ShowProductInfo and driven by its steps. The boxes
// it owns are answered in turn from answers (OK when they run out), their
// caption and texts kept; any other dialog is closed.
test_support::ModalSteps gDriver;

void RunDialog(std::vector<std::function<bool(HWND)>> steps, std::vector<int> answers = {}) {
  gDriver = test_support::ModalSteps{};
  gDriver.isDialog = [](HWND window) { return GetDlgItem(window, FW_IDC_ABOUT_CONFIG_GROUP) != nullptr; };
  gDriver.steps = std::move(steps);
  gDriver.boxes.answers = std::move(answers);
  EXPECT_TRUE(gDriver.Run([] { (void)ShowProductInfo(nullptr, 0); })) << "the dialog ended before its steps";
}

using test_support::Enabled;
// What a link label shows and in which face: the object the control carries.
const CLinkLabel* LinkOf(HWND dialog, int id) {
  return reinterpret_cast<const CLinkLabel*>(GetWindowLongPtrA(GetDlgItem(dialog, id), GWLP_USERDATA));
}
std::string LinkText(HWND dialog, int id) {
  const CLinkLabel* link = LinkOf(dialog, id);
  return link != nullptr ? link->text : "<no link>";
}
std::string LinkFace(HWND dialog, int id) {
  const CLinkLabel* link = LinkOf(dialog, id);
  return link != nullptr ? link->face : "<no link>";
}
// A box of the product, captioned with its name, whose texts hold text.
bool BoxSays(const std::string& box, const std::string& text) {
  return box.rfind(std::string(kProduct) + "\n", 0) == 0 && box.find(text) != std::string::npos;
}
bool QuitPosted() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

std::string gChosen;
const char* ChooseTestFile(bool, const char*, int, std::uint8_t*, char*, const char*) noexcept {
  return gChosen.empty() ? nullptr : gChosen.c_str();
}

// The services' archive dialog as the test stands in for it: the owner and
// parameter it was opened with.
HWND gArchiveOwner = nullptr;
LPARAM gArchiveParameter = 0;
INT_PTR OpenFakeArchiveDialog(HWND owner, LPARAM parameter) noexcept {
  gArchiveOwner = owner;
  gArchiveParameter = parameter;
  return IDOK;
}

// The product's main window: saves its options as a record file when asked,
// and keeps the help topic it was asked for.
std::string gHelpTopic;
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_FW_SAVEOPTIONS) {
    (void)test_support::WriteWholeFile(std::string(gApp.dataFolder) + "\\Options.oqc", "options");
    return 0;
  }
  if (message == WM_FW_HELPREQUEST) {
    gHelpTopic = wParam != 0 ? reinterpret_cast<const char*>(wParam) : "<none>";
    return 0;
  }
  return FrameDefaultProc(window, message, wParam, lParam);
}

std::set<std::string> EntriesOf(const std::string& path) {
  std::set<std::string> names;
  ZipHandle* zip = OpenZipFile(path.c_str(), nullptr);
  if (zip == nullptr) return names;
  ZipEntryInfo info{};
  for (int i = 0; GetZipEntry(zip, i, &info) == kZipOk; ++i) names.insert(info.name);
  (void)CloseZipReader(zip);
  return names;
}

class ProductInfo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gApp.hInstance = GetModuleHandleA(nullptr);
    InstallAppTexts(nullptr);
    (void)CopyText(gApp.appName, sizeof gApp.appName, kProduct);
    gApp.versionMajor = 3;
    gApp.versionMinor = 2;
    gApp.versionBuild = 1;
    SetBackupFileChooser(&ChooseTestFile);
    // The theme's faces, as start-up makes them.
    ASSERT_EQ(ThemeCreateDc(gApp.theme), 0);
  }
  void SetUp() override {
    (void)CopyText(gApp.dataFolder, sizeof gApp.dataFolder, tmp_.Path().c_str());
    (void)CopyText(gApp.programFolder, sizeof gApp.programFolder, test_support::ProgramFolder().c_str());
    gApp.broadcastRestart = 0;
    gChosen.clear();
    SetAppServices(AppServices{});
  }
  void TearDown() override {
    DestroyAllWindows();
    gApp.settingsLoaded = 0;
  }

  TempDir tmp_;
  const std::string pending_ = tmp_ / (std::string(kProduct) + ".BrindlexConfig");
};

TEST_F(ProductInfo, ShowsTheProductItsLinksAndOnlyTheServicesItWasGiven) {
  AppServices services;
  services.openArchiveDialog = &OpenFakeArchiveDialog;
  SetAppServices(services);
  gArchiveOwner = nullptr;
  gArchiveParameter = 0;
  RunDialog({[&](HWND dialog) {
    EXPECT_EQ(Text(dialog), kProduct);
    EXPECT_EQ(test_support::Field(dialog, FW_IDC_ABOUT_VERSION), "AboutTest v3.2.1");
    EXPECT_EQ(test_support::Field(dialog, FW_IDC_ABOUT_NOTICE), GetText(0xF005, 1));
    EXPECT_EQ(LinkText(dialog, FW_IDC_ABOUT_WEB), GetText(0xF005, 2));
    EXPECT_EQ(LinkText(dialog, FW_IDC_ABOUT_PROGRAM_FOLDER), gApp.programFolder);
    EXPECT_EQ(LinkText(dialog, FW_IDC_ABOUT_DATA_FOLDER), gApp.dataFolder);
    EXPECT_NE(gApp.theme.uiFace[0], '\0');
    for (const int id : {FW_IDC_ABOUT_WEB, FW_IDC_ABOUT_PROGRAM_FOLDER, FW_IDC_ABOUT_DATA_FOLDER}) {
      EXPECT_EQ(LinkFace(dialog, id), gApp.theme.uiFace);
    }
    EXPECT_FALSE(Enabled(dialog, IDHELP));  // no framework window to ask for help
    EXPECT_FALSE(Enabled(dialog, FW_IDC_ABOUT_UPDATE));
    EXPECT_TRUE(Enabled(dialog, FW_IDC_ABOUT_ARCHIVE));
    Click(dialog, FW_IDC_ABOUT_ARCHIVE);
    EXPECT_EQ(gArchiveOwner, dialog);
    EXPECT_EQ(gArchiveParameter, 1);
    Click(dialog, IDOK);
    return true;
  }});
}

// Restore and reset stage an archive for the next start and offer to
// restart; only OK in that offer asks the program to end, and nothing that
// was cancelled offers it.
TEST_F(ProductInfo, RestoreAndResetOfferARestartThatOnlyOkRequests) {
  const std::string archive = tmp_ / "saved.BrindlexConfig";
  ASSERT_EQ(BackupRestoreConfiguration(nullptr, BackupMode::kBackupToPath, archive.c_str()), kBackupDone);
  const std::string offer = std::string(GetText(0xF00B, 0));
  struct Case {
    const char* name;
    int button;
    bool chooses;
    std::vector<int> answers;
    std::vector<std::string> boxes;  // what each box says
    bool staged;
    bool restart;
  };
  const std::string question = GetText(0xF009, 0);
  const std::string restored = std::string(GetText(0xF00A, 0)) + "\n" + offer;
  const std::string reset = std::string(GetText(0xF00A, 2)) + "\n" + offer;
  const Case cases[] = {
      {"restore, no file chosen", FW_IDC_ABOUT_RESTORE, false, {}, {}, false, false},
      {"restore, not confirmed", FW_IDC_ABOUT_RESTORE, true, {IDNO}, {question}, false, false},
      {"restore, restart declined", FW_IDC_ABOUT_RESTORE, true, {IDYES, IDCANCEL}, {question, restored}, true, false},
      {"restore, restart", FW_IDC_ABOUT_RESTORE, true, {IDYES, IDOK}, {question, restored}, true, true},
      {"reset, restart declined", FW_IDC_ABOUT_RESET, false, {IDYES, IDCANCEL}, {question, reset}, true, false},
      {"reset, restart", FW_IDC_ABOUT_RESET, false, {IDYES, IDOK}, {question, reset}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(pending_.c_str());
    gApp.broadcastRestart = 0;
    gChosen = c.chooses ? archive : "";
    std::vector<std::function<bool(HWND)>> steps{[&](HWND dialog) {
      Click(dialog, c.button);
      return true;
    }};
    // A requested restart ends the dialog's loop; otherwise the dialog stays.
    if (!c.restart) steps.push_back([](HWND dialog) {
      Click(dialog, IDOK);
      return true;
    });
    RunDialog(steps, c.answers);
    ASSERT_EQ(gDriver.boxes.texts.size(), c.boxes.size());
    for (std::size_t i = 0; i < c.boxes.size(); ++i) EXPECT_TRUE(BoxSays(gDriver.boxes.texts[i], c.boxes[i]));
    EXPECT_EQ(Exists(pending_), c.staged);
    EXPECT_EQ(QuitPosted(), c.restart);
    EXPECT_EQ(gApp.broadcastRestart, c.restart ? 1 : 0);
  }
}

// The archive holds the framework's state and the product's options as they
// are when Backup is pressed: both are written before the files are packed.
TEST_F(ProductInfo, BackupSavesStateAndOptionsFirstAndHelpAsksTheFrameworkWindow) {
  gApp.settingsLoaded = 1;
  ASSERT_GE(CreateAppWindow(1024, &MainWindowProc, "main", 1, kFrameMainWindow, 10, 10, 200, 150), 0);
  gChosen = tmp_ / "backup.BrindlexConfig";
  gHelpTopic.clear();
  RunDialog({[&](HWND dialog) {
    EXPECT_TRUE(Enabled(dialog, IDHELP));
    Click(dialog, IDHELP);
    EXPECT_EQ(gHelpTopic, "About");
    Click(dialog, FW_IDC_ABOUT_BACKUP);
    Click(dialog, IDOK);
    return true;
  }});
  ASSERT_EQ(gDriver.boxes.texts.size(), 1u);
  EXPECT_TRUE(BoxSays(gDriver.boxes.texts[0], GetText(0xF00A, 1)));
  const std::set<std::string> entries = EntriesOf(gChosen);
  EXPECT_EQ(entries.count("Options.oqc"), 1u);
  EXPECT_EQ(entries.count("(Orvo)App.oqc"), 1u);
}

}  // namespace
