#include "framework/app/file_dialogs.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "tests/support/win32/win_test_support.h"

namespace {

using test_support::TempDir;
using test_support::WriteWholeFile;

// Acts once on the first visible dialog box of this process, from a thread
// of its own, while the code under test runs the dialog's modal loop. A box
// that the action did not end is cancelled, so that the test fails instead
// of waiting for ever.
class DialogDriver {
 public:
  explicit DialogDriver(std::function<void(HWND)> act) : act_(std::move(act)), thread_([this] { Run(); }) {}
  ~DialogDriver() {
    stop_ = true;
    thread_.join();
  }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;
  [[nodiscard]] bool Acted() const { return acted_; }
  [[nodiscard]] bool LeftOpen() const { return leftOpen_; }

 private:
  void Run() {
    while (!stop_ && !acted_) {
      HWND found = nullptr;
      EnumWindows(Find, reinterpret_cast<LPARAM>(&found));
      if (found != nullptr) {
        act_(found);
        acted_ = true;
        test_support::WaitUntil([&] { return stop_ || !IsWindow(found); }, 10000);
        if (IsWindow(found)) {
          leftOpen_ = true;
          PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
        }
      }
      Sleep(20);
    }
  }
  static BOOL CALLBACK Find(HWND window, LPARAM out) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && test_support::ClassOf(window) == "#32770") {
      *reinterpret_cast<HWND*>(out) = window;
      return FALSE;
    }
    return TRUE;
  }

  std::function<void(HWND)> act_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> acted_{false};
  std::atomic<bool> leftOpen_{false};
  std::thread thread_;
};

// Types a name into the dialog's file-name field and presses OK.
std::function<void(HWND)> TypeAndOk(const std::string& name) {
  return [name](HWND dialog) {
    for (const int id : {0x480, 0x47C}) {  // the name field, as an edit or in a combo box
      if (GetDlgItem(dialog, id) != nullptr) SetDlgItemTextA(dialog, id, name.c_str());
    }
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  };
}
std::function<void(HWND)> Press(int command) {
  return [command](HWND dialog) { PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(command), 0); };
}

const char kFilter[] = "Brindlex Configuration Data\0*.BrindlexConfig\0All files\0*.*\0";

TEST(FileDialogs, SaveAppendsTheChosenFilterExtensionOpenKeepsTheFilterAndCancelChangesNothing) {
  TempDir temp;
  char folder[260];
  lstrcpynA(folder, temp.Path().c_str(), sizeof folder);
  std::uint8_t index = 9;
  const char* chosen = nullptr;
  {
    DialogDriver driver(TypeAndOk("backup1"));
    chosen = ShowFileDialog(true, kFilter, 0, &index, folder, "Veltrano-2026.12.07.BrindlexConfig");
    EXPECT_TRUE(driver.Acted());
    EXPECT_FALSE(driver.LeftOpen());
  }
  ASSERT_NE(chosen, nullptr);
  // Wine appends the extension in lower case.
  EXPECT_EQ(lstrcmpiA(chosen, (temp / "backup1.BrindlexConfig").c_str()), 0) << chosen;
  EXPECT_EQ(std::string(folder), temp.Path() + "\\");
  EXPECT_EQ(index, 0);

  const std::string existing = temp / "old.BrindlexConfig";
  ASSERT_TRUE(WriteWholeFile(existing, "PK"));
  {
    DialogDriver driver(TypeAndOk(existing));
    chosen = ShowFileDialog(false, kFilter, 1, &index, nullptr, nullptr);
  }
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(std::string(chosen), existing);
  EXPECT_EQ(index, 1);

  lstrcpynA(folder, "C:\\", sizeof folder);
  {
    DialogDriver driver(Press(IDCANCEL));
    EXPECT_EQ(ShowFileDialog(true, kFilter, 0, &index, folder, "name"), nullptr);
    EXPECT_TRUE(driver.Acted());
  }
  EXPECT_STREQ(folder, "C:\\");
  EXPECT_EQ(index, 1);
}

TEST(FolderPicker, ANameTypedInTheStartFolderComesBackInTheAnsiCodePageAndCancelLeavesThePath) {
  ASSERT_EQ(GetACP(), 1252u) << "the cases below are written for the Western code page";
  // The application object has COM ready on its thread.
  CComScope com;
  ASSERT_TRUE(SUCCEEDED(com.Result()));
  TempDir temp;
  const std::string start = temp / "Caf\xE9 d\xE9j\xE0";
  const std::string chosen = start + "\\Sch\xFCler";
  ASSERT_TRUE(CreateDirectoryA(start.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(chosen.c_str(), nullptr));
  char path[260];
  lstrcpynA(path, start.c_str(), sizeof path);
  std::string caption;
  {
    // A name without its folder is found only in the folder the picker
    // started at.
    DialogDriver driver([&caption](HWND dialog) {
      caption = test_support::Text(dialog);
      TypeAndOk("Sch\xFCler")(dialog);
    });
    EXPECT_EQ(BrowseForFolder("Choose the archive folder", path, true), kFolderChosen);
    EXPECT_TRUE(driver.Acted());
    EXPECT_FALSE(driver.LeftOpen());
  }
  EXPECT_EQ(std::string(path), chosen);
  EXPECT_EQ(caption, "Choose the archive folder");

  {
    DialogDriver driver(Press(IDCANCEL));
    EXPECT_EQ(BrowseForFolder(nullptr, path, false), kFolderNotChosen);
    EXPECT_TRUE(driver.Acted());
  }
  EXPECT_EQ(std::string(path), chosen);
}

TEST(FolderPicker, ANameTheCodePageCannotHoldOrTooLongIsRefusedWithThePathUnchanged) {
  ASSERT_EQ(GetACP(), 1252u) << "the cases below are written for the Western code page";
  const std::wstring long259 = L"C:\\" + std::wstring(256, L'x');
  const struct {
    std::wstring wide;
    bool ok;
    std::string ansi;
  } cases[] = {
      {L"C:\\Caf\u00E9", true, "C:\\Caf\xE9"},
      {long259, true, std::string("C:\\") + std::string(256, 'x')},
      {long259 + L"y", false, ""},             // 260 characters leave no room for the end
      {L"C:\\\u4E2D\u6587", false, ""},        // no code at all
      {L"C:\\\u0101lpha", false, ""},          // a best fit ("a") would name another folder
      {L"C:\\\u2126hm", false, ""},            // likewise the Ohm sign
  };
  for (const auto& c : cases) {
    char path[260] = "unchanged";
    EXPECT_EQ(WidePathToAnsi(c.wide.c_str(), path, sizeof path), c.ok) << c.ansi;
    EXPECT_EQ(std::string(path), c.ok ? c.ansi : "unchanged");
  }
}

}  // namespace
