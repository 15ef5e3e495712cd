#include "framework/app/help_tray.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "framework/app/application.h"
#include "framework/app/framework_messages.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/ui_item.h"
#include "framework/util/tests/win_test_support.h"

namespace {

using test_support::Exists;
using test_support::ReadWholeFile;
using test_support::WriteWholeFile;

// Answers every dialog box of this process with OK, keeping its caption and
// texts, so that a message box shown by the code under test ends.
class DialogAnswerer {
 public:
  DialogAnswerer() : thread_([this] { Run(); }) {}
  ~DialogAnswerer() {
    stop_ = true;
    thread_.join();
  }
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  std::vector<std::string> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    out.swap(texts_);
    return out;
  }

 private:
  void Run() {
    while (!stop_) {
      EnumWindows(Answer, reinterpret_cast<LPARAM>(this));
      for (auto it = answered_.begin(); it != answered_.end();) it = IsWindow(*it) ? std::next(it) : answered_.erase(it);
      Sleep(5);
    }
  }
  static BOOL CALLBACK Collect(HWND child, LPARAM lParam) {
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof text);
    *reinterpret_cast<std::string*>(lParam) += std::string(text) + "\n";
    return TRUE;
  }
  static BOOL CALLBACK Answer(HWND window, LPARAM lParam) {
    auto* self = reinterpret_cast<DialogAnswerer*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (process != GetCurrentProcessId() || std::string(name) != "#32770" || !IsWindowVisible(window) ||
        self->answered_.count(window) != 0) {
      return TRUE;
    }
    char caption[260] = {};
    GetWindowTextA(window, caption, sizeof caption);
    std::string all = std::string(caption) + "\n";
    EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(&all));
    self->answered_.insert(window);
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      self->texts_.push_back(all);
    }
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
  }

  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> texts_;
  std::set<HWND> answered_;
  std::thread thread_;
};

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.rfind('\\'));
}

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
  DialogAnswerer answerer;
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
  for (int i = 0; i < 6000 && !Exists(record); ++i) Sleep(10);
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

TEST(PopupMenuAtCursor, FailsWithItsReasonWhileTheMenuPopupIsMissing) {
  CUIItem entry;
  ASSERT_GE(gApp.navigationItems.Append(&entry), 0);
  gApp.popupNavigation = 1;
  SetLastError(0);
  EXPECT_EQ(ShowPopupMenu(0xF105, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), kStatusWindowNotCreated);
  EXPECT_EQ(gApp.navigationItems.Count(), 0);
  EXPECT_EQ(gApp.popupNavigation, 0);
}

// A notification area of the test's own: the shell hands every tray request
// to the window of this class as WM_COPYDATA, whose data begins with the
// window, the id, the flags, the callback message and the tip (UTF-16).
struct TrayRequest {
  ULONG_PTR what;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
  HWND window;
  UINT id;
  UINT callback;
  std::wstring tip;
  BOOL answer;
};
std::vector<TrayRequest> gTrayRequests;
std::set<std::pair<HWND, UINT>> gTrayIcons;

LRESULT CALLBACK TrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COPYDATA) return DefWindowProcA(window, message, wParam, lParam);
  const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (copy->cbData < 16 + 128 * sizeof(wchar_t)) return FALSE;
  const auto* bytes = static_cast<const unsigned char*>(copy->lpData);
  LONG handle = 0;
  TrayRequest r{};
  std::memcpy(&handle, bytes, 4);
  std::memcpy(&r.id, bytes + 4, 4);
  std::memcpy(&r.callback, bytes + 12, 4);
  r.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle));
  r.tip.assign(reinterpret_cast<const wchar_t*>(bytes + 16), 128);
  r.tip.resize(r.tip.find(L'\0'));
  r.what = copy->dwData;
  const auto key = std::make_pair(r.window, r.id);
  const bool present = gTrayIcons.count(key) != 0;
  switch (r.what) {
    case NIM_ADD:
      r.answer = !present;
      gTrayIcons.insert(key);
      break;
    case NIM_MODIFY:
      r.answer = present;
      break;
    case NIM_DELETE:
      r.answer = present;
      gTrayIcons.erase(key);
      break;
    default:
      r.answer = FALSE;
  }
  gTrayRequests.push_back(r);
  return r.answer;
}

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = TrayProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&wc);
    tray_.Reset(CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr));
    ASSERT_EQ(FindWindowA("Shell_TrayWnd", nullptr), tray_.Get()) << "another notification area is running";
    window_.Reset(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    frame.window = window_.Get();
    frame.id = 1024;
    gApp.windows.Clear();
    ASSERT_GE(gApp.windows.Append(&frame), 0);
    lstrcpyA(gApp.appName, "Veltrano Test");
    gTrayRequests.clear();
    gTrayIcons.clear();
  }
  void TearDown() override { gApp.windows.Clear(); }

  CFrameWindow frame;

 private:
  CWindowHandle tray_;
  CWindowHandle window_;
};

TEST_F(TrayIconTest, AddedChangedInPlaceAndRemoved) {
  EXPECT_EQ(SetTrayIcon(1024, 1, "%s: %d", "Waiting", 5), 1);
  ASSERT_EQ(gTrayRequests.size(), 2u);
  EXPECT_EQ(gTrayRequests[0].what, static_cast<ULONG_PTR>(NIM_MODIFY));
  EXPECT_FALSE(gTrayRequests[0].answer);
  EXPECT_EQ(gTrayRequests[1].what, static_cast<ULONG_PTR>(NIM_ADD));
  EXPECT_EQ(gTrayRequests[1].window, frame.window);
  EXPECT_EQ(gTrayRequests[1].id, 1024u);
  EXPECT_EQ(gTrayRequests[1].callback, WM_FW_TRAYNOTIFY);
  EXPECT_EQ(gTrayRequests[1].tip, L"Waiting: 5");

  // The icon belongs to the window record, not to the system's cache of
  // shared icons: replacing it destroys the old one and nothing shared.
  const HICON first = frame.trayIcon.Get();
  ASSERT_NE(first, nullptr);
  const HICON shared = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, 64, 64, LR_SHARED));
  EXPECT_NE(first, shared);

  gTrayRequests.clear();
  const std::string longTip(200, 'x');
  EXPECT_EQ(SetTrayIcon(1024, 1, "%s", longTip.c_str()), 1);
  ASSERT_EQ(gTrayRequests.size(), 1u);
  EXPECT_EQ(gTrayRequests[0].what, static_cast<ULONG_PTR>(NIM_MODIFY));
  EXPECT_EQ(gTrayRequests[0].tip, std::wstring(127, L'x'));
  ICONINFO info{};
  EXPECT_FALSE(GetIconInfo(first, &info));
  ASSERT_TRUE(GetIconInfo(shared, &info));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  gTrayRequests.clear();
  EXPECT_EQ(SetTrayIcon(1024, 1, nullptr), 1);
  ASSERT_EQ(gTrayRequests.size(), 1u);
  EXPECT_EQ(gTrayRequests[0].tip, L"Veltrano Test");

  gTrayRequests.clear();
  EXPECT_EQ(SetTrayIcon(1024, -1, nullptr), 1);
  ASSERT_EQ(gTrayRequests.size(), 1u);
  EXPECT_EQ(gTrayRequests[0].what, static_cast<ULONG_PTR>(NIM_DELETE));
  EXPECT_FALSE(frame.trayIcon);
  EXPECT_TRUE(gTrayIcons.empty());
  EXPECT_EQ(SetTrayIcon(1024, -1, nullptr), 0);  // nothing left to remove
}

TEST_F(TrayIconTest, WithoutAFrameworkWindowTheDesktopCarriesIt) {
  EXPECT_EQ(SetTrayIcon(77, 1, "x"), 1);
  ASSERT_FALSE(gTrayRequests.empty());
  EXPECT_EQ(gTrayRequests.back().window, GetDesktopWindow());
  EXPECT_EQ(gTrayRequests.back().id, 77u);
  EXPECT_EQ(SetTrayIcon(77, 0x7FFF, nullptr), 1);  // no such icon: removed
  EXPECT_EQ(gTrayRequests.back().what, static_cast<ULONG_PTR>(NIM_DELETE));
}

}  // namespace
