#include "framework/app/autostart_shortcut.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cctype>
#include <string>

#include "framework/object/application.h"
#include "framework/util/text_util.h"
#include "framework/util/win_handles.h"
#include "tests/support/win32/win_test_support.h"

using test_support::Exists;
using test_support::ReadWholeFile;
using test_support::WriteWholeFile;

namespace {

// Paths compare in lower case: the shell may change their letter case.
constexpr char kProgram[] = "c:\\program files\\veltrano\\veltranoshortcuttest.exe";

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string StartupLink(const char* name) {
  char folder[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE);
  return std::string(folder) + "\\" + name + ".lnk";
}

// The shortcut's target, arguments and icon as "target|arguments|icon,index".
std::string ReadLink(const std::string& file) {
  CComScope com;
  CComRef<IShellLinkA> link;
  CComRef<IPersistFile> persist;
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, persist.PutVoid())) || FAILED(persist->Load(wide, STGM_READ))) {
    return "<unreadable>";
  }
  char path[1024] = {}, arguments[1024] = {}, icon[1024] = {};
  int index = -1;
  link->GetPath(path, sizeof path, nullptr, SLGP_RAWPATH);
  link->GetArguments(arguments, sizeof arguments);
  link->GetIconLocation(icon, sizeof icon, &index);
  return Lower(path) + "|" + arguments + "|" + Lower(icon) + "," + std::to_string(index);
}

class Shortcut : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyText(gApp.appName, sizeof gApp.appName, "VeltranoShortcutTest");
    CopyText(gApp.install.installFolder, sizeof gApp.install.installFolder, "C:\\Program Files\\Veltrano");
    TearDown();
  }
  void TearDown() override {
    DeleteFileA(file.c_str());
    DeleteFileA(StartupLink("OtherName").c_str());
  }
  const std::string file = StartupLink("VeltranoShortcutTest");
};

}  // namespace

TEST_F(Shortcut, CreatedReadBackAndDeleted) {
  ASSERT_EQ(SetAutostartShortcut(true, "-MINIMIZE", 0, nullptr, nullptr), 0u);
  ASSERT_TRUE(Exists(file));
  EXPECT_EQ(ReadLink(file), std::string(kProgram) + "|-WAITFORDATAPATH -AUTOSTART -MINIMIZE|" + kProgram + ",0");
  EXPECT_EQ(SetAutostartShortcut(false, nullptr, 0, nullptr, nullptr), 0u);
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ(SetAutostartShortcut(false, nullptr, 0, nullptr, nullptr), 0u);  // nothing to delete: no failure

  // Its own name and icon.
  ASSERT_EQ(SetAutostartShortcut(true, nullptr, 0, "C:\\icons\\app.ico", "OtherName"), 0u);
  EXPECT_EQ(ReadLink(StartupLink("OtherName")), std::string(kProgram) + "|-WAITFORDATAPATH -AUTOSTART |c:\\icons\\app.ico,0");
  EXPECT_FALSE(Exists(file));
}

TEST_F(Shortcut, OnlyIfMissingLeavesAnExistingShortcutAlone) {
  ASSERT_EQ(SetAutostartShortcut(true, "-MINIMIZE", 1, nullptr, nullptr), 0u);
  ASSERT_TRUE(Exists(file));
  // Made by hand: the marker must survive a second enable with onlyIfMissing.
  ASSERT_TRUE(WriteWholeFile(file, "made by hand"));
  EXPECT_EQ(SetAutostartShortcut(true, "-MINIMIZE", 1, nullptr, nullptr), 0u);
  EXPECT_EQ(ReadWholeFile(file), "made by hand");
  EXPECT_EQ(SetAutostartShortcut(true, nullptr, 0, nullptr, nullptr), 0u);  // without it: written again
  EXPECT_NE(ReadWholeFile(file), "made by hand");
  ASSERT_TRUE(WriteWholeFile(file, "made by hand"));  // disabling deletes even a hand-made one
  EXPECT_EQ(SetAutostartShortcut(false, nullptr, 1, nullptr, nullptr), 0u);
  EXPECT_FALSE(Exists(file));
}

TEST_F(Shortcut, TargetThatDoesNotFitIsRefused) {
  CopyText(gApp.install.installFolder, sizeof gApp.install.installFolder, ("C:\\" + std::string(250, 'p')).c_str());
  EXPECT_EQ(SetAutostartShortcut(true, nullptr, 0, nullptr, nullptr), kStatusShortcutFailed);
  EXPECT_FALSE(Exists(file));
}
