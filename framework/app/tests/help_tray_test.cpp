#include "framework/app/help_tray.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/app/application.h"
#include "framework/app/framework_messages.h"
#include "framework/app/tests/dialog_answerer.h"
#include "framework/app/tests/fake_notification_area.h"
#include "framework/ui/app_windows.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/ui_item.h"
#include "framework/util/tests/win_test_support.h"

namespace {

using test_support::Exists;
using test_support::ProgramFolder;
using test_support::ReadWholeFile;
using test_support::WriteWholeFile;

void SetDefaultValue(const char* key, const std::string& value) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr), ERROR_SUCCESS);
  RegSetValueExA(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(k);
}

// The prefix's association of ".chm" (Wine registers its own viewer) is
// removed; a test may register a viewer of its own for the time it runs.
void RemoveChmAssociation() {
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\.chm");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".chm");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "VeltranoTestHelp");
}

void AssociateChmWith(const std::string& viewer) {
  SetDefaultValue(".chm", "VeltranoTestHelp");
  SetDefaultValue("VeltranoTestHelp\\shell\\open\\command", "\"" + viewer + "\" \"%1\"");
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class HelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallAppTexts(nullptr);
    CopyName(gApp.appName, "Veltrano Test");
    CopyName(gApp.programFolder, ProgramFolder().c_str());
    RemoveChmAssociation();
    helpFile = ProgramFolder() + "\\VltHelpTest.chm";
    ASSERT_TRUE(WriteWholeFile(helpFile, "help"));
  }
  void TearDown() override {
    RemoveChmAssociation();
    DeleteFileA(helpFile.c_str());
  }
  static void CopyName(char (&dst)[260], const char* src) {
    lstrcpynA(dst, src, static_cast<int>(sizeof dst));
  }

  std::string helpFile;
  test_support::TempDir temp;
  test_support::DialogAnswerer answerer;
};

TEST_F(HelpTest, ResultsWithoutAViewer) {
  EXPECT_EQ(ShowHelpTopic("manual.txt", "Profiles.htm"), HelpResult::kNotHelpFile);
  EXPECT_EQ(ShowHelpTopic(nullptr, nullptr), HelpResult::kNotHelpFile);
  EXPECT_TRUE(answerer.Take().empty());

  // No program is registered for compiled help.
  EXPECT_EQ(ShowHelpTopic("VltHelpTest.chm", "Profiles.htm"), HelpResult::kNoViewer);
  auto shown = answerer.Take();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(Contains(shown[0], "Veltrano Test")) << shown[0];
  EXPECT_TRUE(Contains(shown[0], "Could not display the manual \"VltHelpTest.chm\"")) << shown[0];

  // Neither where named nor beside the program.
  const std::string missing = ProgramFolder() + "\\VltMissing.chm";
  EXPECT_EQ(ShowHelpTopic("C:\\nowhere\\VltMissing.chm", ""), HelpResult::kNoFile);
  shown = answerer.Take();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(Contains(shown[0], "Could not find the manual \"" + missing + "\"")) << shown[0];
}

TEST_F(HelpTest, TheViewerGetsOneQuotedParameterWithTheShortPathAndTheTopic) {
  const std::string stub = ProgramFolder() + "\\help_viewer_stub.exe";
  const std::string record = ProgramFolder() + "\\help_viewer_stub.txt";
  ASSERT_TRUE(Exists(stub));
  DeleteFileA(record.c_str());
  AssociateChmWith(stub);

  EXPECT_EQ(ShowHelpTopic("VltHelpTest.chm", "Profiles.htm"), HelpResult::kStarted);
  EXPECT_TRUE(test_support::WaitUntil([&record] { return Exists(record); }, 60000));
  char shortPath[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA(helpFile.c_str(), shortPath, MAX_PATH), 0u);
  const std::string commandLine = ReadWholeFile(record);
  const std::string parameter = " \"" + std::string(shortPath) + "::/Profiles.htm\"";
  ASSERT_GE(commandLine.size(), parameter.size()) << commandLine;
  EXPECT_EQ(commandLine.substr(commandLine.size() - parameter.size()), parameter) << commandLine;
  EXPECT_TRUE(answerer.Take().empty());
  DeleteFileA(record.c_str());

  // A registered viewer that is not there.
  AssociateChmWith(temp / "NoViewer.exe");
  EXPECT_EQ(ShowHelpTopic(helpFile.c_str(), nullptr), HelpResult::kNotStarted);
  const auto shown = answerer.Take();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(Contains(shown[0], "Could not display the manual \"" + helpFile + "\"")) << shown[0];
}

TEST(PopupMenuAtCursor, FailsWithItsReasonWithoutAnOwner) {
  CUIItem entry;
  ASSERT_GE(gApp.navigationItems.Append(&entry), 0);
  gApp.popupNavigation = 1;
  SetLastError(0);
  EXPECT_EQ(ShowPopupMenu(0xF105, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), kStatusWindowNotCreated);
  EXPECT_EQ(gApp.navigationItems.Count(), 0);
  EXPECT_EQ(gApp.popupNavigation, 0);
}

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tray.IsTheShellsOwn()) << "another notification area is running";
    InstallAppTexts(nullptr);
    lstrcpyA(gApp.appName, "Veltrano Test");
    gApp.noStateSave = 1;
    const int index = CreateAppWindow(1024, nullptr, "tray", 1, 0, 10, 10, 200, 150);
    ASSERT_GE(index, 0);
    frame = gApp.windows[index];
  }
  void TearDown() override { DestroyAllWindows(); }

  test_support::FakeNotificationArea tray;
  CFrameWindow* frame = nullptr;
};

TEST_F(TrayIconTest, AddedChangedInPlaceAndRemoved) {
  EXPECT_EQ(SetTrayIcon(1024, 1, "%s: %d", "Waiting", 5), 1);
  ASSERT_EQ(tray.requests.size(), 2u);
  EXPECT_EQ(tray.requests[0].what, static_cast<ULONG_PTR>(NIM_MODIFY));
  EXPECT_FALSE(tray.requests[0].answer);
  EXPECT_EQ(tray.requests[1].what, static_cast<ULONG_PTR>(NIM_ADD));
  EXPECT_EQ(tray.requests[1].window, frame->window);
  EXPECT_EQ(tray.requests[1].id, 1024u);
  EXPECT_EQ(tray.requests[1].callback, WM_FW_TRAYNOTIFY);
  EXPECT_EQ(tray.requests[1].tip, L"Waiting: 5");

  // The icon belongs to the window record, not to the system's cache of
  // shared icons: replacing it destroys the old one and nothing shared.
  const HICON first = frame->trayIcon.Get();
  ASSERT_NE(first, nullptr);
  const HICON shared = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, 64, 64, LR_SHARED));
  EXPECT_NE(first, shared);

  tray.requests.clear();
  const std::string longTip(200, 'x');
  EXPECT_EQ(SetTrayIcon(1024, 1, "%s", longTip.c_str()), 1);
  ASSERT_EQ(tray.requests.size(), 1u);
  EXPECT_EQ(tray.requests[0].what, static_cast<ULONG_PTR>(NIM_MODIFY));
  EXPECT_EQ(tray.requests[0].tip, std::wstring(127, L'x'));
  ICONINFO info{};
  EXPECT_FALSE(GetIconInfo(first, &info));
  ASSERT_TRUE(GetIconInfo(shared, &info));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  tray.requests.clear();
  EXPECT_EQ(SetTrayIcon(1024, 1, nullptr), 1);
  ASSERT_EQ(tray.requests.size(), 1u);
  EXPECT_EQ(tray.requests[0].tip, L"Veltrano Test");

  tray.requests.clear();
  EXPECT_EQ(SetTrayIcon(1024, -1, nullptr), 1);
  ASSERT_EQ(tray.requests.size(), 1u);
  EXPECT_EQ(tray.requests[0].what, static_cast<ULONG_PTR>(NIM_DELETE));
  EXPECT_FALSE(frame->trayIcon);
  EXPECT_TRUE(tray.icons.empty());
  EXPECT_EQ(SetTrayIcon(1024, -1, nullptr), 0);  // nothing left to remove
}

TEST_F(TrayIconTest, WithoutAFrameworkWindowTheDesktopCarriesIt) {
  EXPECT_EQ(SetTrayIcon(77, 1, "x"), 1);
  ASSERT_FALSE(tray.requests.empty());
  EXPECT_EQ(tray.requests.back().window, GetDesktopWindow());
  EXPECT_EQ(tray.requests.back().id, 77u);
  EXPECT_EQ(SetTrayIcon(77, 0x7FFF, nullptr), 1);  // no such icon: removed
  EXPECT_EQ(tray.requests.back().what, static_cast<ULONG_PTR>(NIM_DELETE));
}

}  // namespace
