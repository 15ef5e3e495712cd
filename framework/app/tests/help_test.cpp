#include "framework/app/help.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/object/application.h"
#include "tests/support/win32/dialog_answerer.h"
#include "tests/support/win32/win_test_support.h"

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

}  // namespace
