#include "framework/app/autostart_shortcut.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "framework/app/application.h"
#include "framework/util/text_util.h"
#include "framework/util/tests/win_test_support.h"
#include "framework/util/win_handles.h"

using test_support::Exists;
using test_support::ReadWholeFile;
using test_support::WriteWholeFile;

namespace {

std::string StartupLink(const char* name) {
  char folder[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE);
  return std::string(folder) + "\\" + name + ".lnk";
}

struct LinkContents {
  std::string path;
  std::string arguments;
  std::string icon;
  int iconIndex = -1;
};

bool ReadLink(const std::string& file, LinkContents& out) {
  CComScope com;
  CComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid()))) {
    return false;
  }
  CComPtr<IPersistFile> persist;
  if (FAILED(link->QueryInterface(IID_IPersistFile, persist.PutVoid()))) return false;
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
  if (FAILED(persist->Load(wide, STGM_READ))) return false;
  char text[1024] = {};
  link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
  out.path = text;
  link->GetArguments(text, sizeof text);
  out.arguments = text;
  link->GetIconLocation(text, sizeof text, &out.iconIndex);
  out.icon = text;
  return true;
}

class Shortcut : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyText(gApp.appName, sizeof gApp.appName, "VeltranoShortcutTest");
    CopyText(gApp.install.installFolder, sizeof gApp.install.installFolder, "C:\\Program Files\\Veltrano");
    DeleteFileA(StartupLink("VeltranoShortcutTest").c_str());
    DeleteFileA(StartupLink("OtherName").c_str());
  }
  void TearDown() override {
    DeleteFileA(StartupLink("VeltranoShortcutTest").c_str());
    DeleteFileA(StartupLink("OtherName").c_str());
  }
};

}  // namespace

TEST_F(Shortcut, CreatedReadBackAndDeleted) {
  const std::string file = StartupLink("VeltranoShortcutTest");
  ASSERT_EQ(SetAutostartShortcut(true, "-MINIMIZE", 0, nullptr, nullptr), 0u);
  ASSERT_TRUE(Exists(file));
  LinkContents link;
  ASSERT_TRUE(ReadLink(file, link));
  EXPECT_TRUE(EqualNoCase(link.path.c_str(), "C:\\Program Files\\Veltrano\\VeltranoShortcutTest.exe")) << link.path;
  EXPECT_EQ(link.arguments, "-WAITFORDATAPATH -AUTOSTART -MINIMIZE");
  EXPECT_TRUE(EqualNoCase(link.icon.c_str(), "C:\\Program Files\\Veltrano\\VeltranoShortcutTest.exe")) << link.icon;
  EXPECT_EQ(link.iconIndex, 0);

  EXPECT_EQ(SetAutostartShortcut(false, nullptr, 0, nullptr, nullptr), 0u);
  EXPECT_FALSE(Exists(file));
  // Deleting what is not there is no failure.
  EXPECT_EQ(SetAutostartShortcut(false, nullptr, 0, nullptr, nullptr), 0u);
}

TEST_F(Shortcut, OnlyIfMissingLeavesAnExistingShortcutAlone) {
  const std::string file = StartupLink("VeltranoShortcutTest");
  ASSERT_EQ(SetAutostartShortcut(true, "-MINIMIZE", 1, nullptr, nullptr), 0u);
  ASSERT_TRUE(Exists(file));
  // Made by hand: the marker must survive a second enable with onlyIfMissing.
  ASSERT_TRUE(WriteWholeFile(file, "made by hand"));
  EXPECT_EQ(SetAutostartShortcut(true, "-MINIMIZE", 1, nullptr, nullptr), 0u);
  EXPECT_EQ(ReadWholeFile(file), "made by hand");
  // Without it the shortcut is written again.
  EXPECT_EQ(SetAutostartShortcut(true, nullptr, 0, nullptr, nullptr), 0u);
  EXPECT_NE(ReadWholeFile(file), "made by hand");
  // Disabling deletes even a hand-made one.
  ASSERT_TRUE(WriteWholeFile(file, "made by hand"));
  EXPECT_EQ(SetAutostartShortcut(false, nullptr, 1, nullptr, nullptr), 0u);
  EXPECT_FALSE(Exists(file));
}

TEST_F(Shortcut, OwnNameAndIcon) {
  const std::string file = StartupLink("OtherName");
  ASSERT_EQ(SetAutostartShortcut(true, nullptr, 0, "C:\\icons\\app.ico", "OtherName"), 0u);
  LinkContents link;
  ASSERT_TRUE(ReadLink(file, link));
  EXPECT_EQ(link.arguments, "-WAITFORDATAPATH -AUTOSTART ");
  EXPECT_TRUE(EqualNoCase(link.icon.c_str(), "C:\\icons\\app.ico")) << link.icon;
  EXPECT_FALSE(Exists(StartupLink("VeltranoShortcutTest")));
}

TEST_F(Shortcut, TargetThatDoesNotFitIsRefused) {
  const std::string longFolder = "C:\\" + std::string(250, 'p');
  CopyText(gApp.install.installFolder, sizeof gApp.install.installFolder, longFolder.c_str());
  EXPECT_EQ(SetAutostartShortcut(true, nullptr, 0, nullptr, nullptr), kShortcutError);
  EXPECT_FALSE(Exists(StartupLink("VeltranoShortcutTest")));
}
