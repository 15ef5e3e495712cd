#include "framework/app/file_dialogs.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/win32/dialog_answerer.h"
#include "tests/support/win32/win_test_support.h"

namespace {

using test_support::DialogAnswerer;
using test_support::TempDir;
using test_support::WriteWholeFile;

// Types a name into the file dialog's name field before the answerer
// presses OK.
std::function<void(HWND)> TypeName(const std::string& name) {
  return [name](HWND dialog) {
    for (const int id : {0x480, 0x47C}) {  // the name field, as an edit or in a combo box
      if (GetDlgItem(dialog, id) != nullptr) SetDlgItemTextA(dialog, id, name.c_str());
    }
  };
}

const char kFilter[] = "Brindlex Configuration Data\0*.BrindlexConfig\0All files\0*.*\0";

TEST(FileDialogs, SaveAppendsTheChosenFilterExtensionOpenKeepsTheFilterAndCancelChangesNothing) {
  TempDir temp;
  char folder[260];
  lstrcpynA(folder, temp.Path().c_str(), sizeof folder);
  std::uint8_t index = 9;
  const char* chosen = nullptr;
  {
    DialogAnswerer answerer(IDOK, TypeName("backup1"));
    chosen = ShowFileDialog(true, kFilter, 0, &index, folder, "Veltrano-2026.12.07.BrindlexConfig");
    EXPECT_EQ(answerer.Take().size(), 1u);
    EXPECT_EQ(answerer.LeftOpen(), 0);
  }
  ASSERT_NE(chosen, nullptr);
  // Wine appends the extension in lower case.
  EXPECT_EQ(lstrcmpiA(chosen, (temp / "backup1.BrindlexConfig").c_str()), 0) << chosen;
  EXPECT_EQ(std::string(folder), temp.Path() + "\\");
  EXPECT_EQ(index, 0);

  const std::string existing = temp / "old.BrindlexConfig";
  ASSERT_TRUE(WriteWholeFile(existing, "PK"));
  {
    DialogAnswerer answerer(IDOK, TypeName(existing));
    chosen = ShowFileDialog(false, kFilter, 1, &index, nullptr, nullptr);
  }
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(std::string(chosen), existing);
  EXPECT_EQ(index, 1);

  lstrcpynA(folder, "C:\\", sizeof folder);
  {
    DialogAnswerer answerer(IDCANCEL);
    EXPECT_EQ(ShowFileDialog(true, kFilter, 0, &index, folder, "name"), nullptr);
    EXPECT_EQ(answerer.Take().size(), 1u);
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
  {
    // A name without its folder is found only in the folder the picker
    // started at.
    DialogAnswerer answerer(IDOK, TypeName("Sch\xFCler"));
    EXPECT_EQ(BrowseForFolder("Choose the archive folder", path, true), kFolderChosen);
    const std::vector<std::string> boxes = answerer.Take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].substr(0, boxes[0].find('\n')), "Choose the archive folder");  // the caption
    EXPECT_EQ(answerer.LeftOpen(), 0);
  }
  EXPECT_EQ(std::string(path), chosen);

  {
    DialogAnswerer answerer(IDCANCEL);
    EXPECT_EQ(BrowseForFolder(nullptr, path, false), kFolderNotChosen);
    EXPECT_EQ(answerer.Take().size(), 1u);
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
