#include "scrolling/options/options_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/object/application.h"
#include "framework/util/tests/win_test_support.h"
#include "framework/util/text_util.h"
#include "scrolling/options/options_storage.h"
#include "scrolling/texts/tests/use_product_texts.h"
#include "zip/win32/zip_win32.h"

using test_support::Exists;
using test_support::ReadWholeFile;
using test_support::TempDir;
using test_support::WriteWholeFile;

namespace {

class OptionsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseProductTexts();
    CopyText(gApp.dataFolder, sizeof gApp.dataFolder, (tmp_ / "data").c_str());
    CreateDirectoryA(gApp.dataFolder, nullptr);
    std::memset(&gOpt, 0, sizeof gOpt);
  }
  std::string File(const char* name = "Options.oqc") const { return tmp_ / ("data\\" + std::string(name)); }

  // Entry 0 of the file read with the options password: its name and size.
  static std::string EntryName(const std::string& path, std::uint32_t* size,
                               const char* password = kOptionsArchivePassword) {
    ZipHandle* h = OpenZipFile(path.c_str(), password);
    if (!h) return "<not an archive>";
    ZipEntryInfo count{};
    ZipEntryInfo info{};
    std::string name = "<no entry>";
    if (GetZipEntry(h, -1, &count) == kZipOk && count.index == 1 && GetZipEntry(h, 0, &info) == kZipOk) {
      std::string data(info.uncompressed_size, '\0');
      if (UnzipEntryToMemory(h, 0, &data[0], info.uncompressed_size) == kZipOk) name = info.name;
      *size = info.uncompressed_size;
    }
    CloseZip(h);
    return name;
  }
  TempDir tmp_;
};

TEST_F(OptionsFileTest, SavedToTheDataFolderAndLoadedBack) {
  SetFactoryOptions();
  gOpt.Par[3].dSpeedY = 0.375;
  ASSERT_EQ(LoadSaveOptions(1), 1);
  std::uint32_t size = 0;
  EXPECT_EQ(EntryName(File(), &size), "1");
  EXPECT_GT(size, 1000u);
  EXPECT_FALSE(Exists(File("Options.oqc_tmp")));
  EXPECT_EQ(EntryName(File(), &size, "QmoTrvHE52b18K"), "<no entry>");

  std::memset(&gOpt, 0, sizeof gOpt);
  ASSERT_EQ(LoadSaveOptions(0), 1);
  EXPECT_EQ(gOpt.iNumPar, kFactoryProfileCount);
  EXPECT_EQ(gOpt.iCurPar, 10);
  EXPECT_EQ(gOpt.Par[3].dSpeedY, 0.375);
  EXPECT_STREQ(gOpt.Par[10].szParName, "(All Others)");
}

TEST_F(OptionsFileTest, FailedSaveKeepsThePreviousFile) {
  SetFactoryOptions();
  ASSERT_EQ(LoadSaveOptions(1), 1);
  const std::string before = ReadWholeFile(File());
  HANDLE held = CreateFileA(File().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  gOpt.iNumPar = 1;
  EXPECT_EQ(LoadSaveOptions(1), 0);
  CloseHandle(held);
  EXPECT_EQ(ReadWholeFile(File()), before);
  ASSERT_EQ(LoadSaveOptions(0), 1);
  EXPECT_EQ(gOpt.iNumPar, kFactoryProfileCount);
}

TEST_F(OptionsFileTest, OlderLayoutsAreImportedAndOnlyLayoutBIsWrittenBackAtOnce) {
  std::string image(kLayoutAImageSize, '\0');
  image[4] = 1;  // one profile
  std::memcpy(&image[16], "Imported", 8);
  image[16 + 484] = 20;  // trigger distance
  // 0x15: 1-byte record index, tag and length.
  const std::string stream = std::string("\x15\x00\x03\x04\x01\x00\x00\x00", 8) +
                             std::string("\x15\x01\x00\x06" "Tagged", 10) +
                             std::string("\x15\x01\x0E\x02\x07\x00", 6);
  struct Case {
    std::string file;
    const char* name;
    int triggerDistance;
    bool writtenBack;
  };
  for (const Case& c : {Case{image, "Imported", 20, false}, Case{stream, "Tagged", 7, true}}) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteWholeFile(File(), c.file));
    std::memset(&gOpt, 0, sizeof gOpt);
    EXPECT_EQ(LoadSaveOptions(0), 1);
    EXPECT_EQ(gOpt.iNumPar, 1);
    EXPECT_STREQ(gOpt.Par[0].szParName, c.name);
    EXPECT_EQ(gOpt.Par[0].iTriggerDistance, c.triggerDistance);
    std::uint32_t size = 0;
    EXPECT_EQ(EntryName(File(), &size) == "1", c.writtenBack);
    EXPECT_EQ(ReadWholeFile(File()) == c.file, !c.writtenBack);
    ASSERT_EQ(LoadSaveOptions(1), 1);
    EXPECT_EQ(EntryName(File(), &size), "1");
  }
}

TEST_F(OptionsFileTest, DamagedArchiveIsMovedAsideBeforeAnythingSavesOverIt) {
  SetFactoryOptions();
  gOpt.iNumPar = 2;
  ASSERT_EQ(LoadSaveOptions(1), 1);
  std::string cut = ReadWholeFile(File());
  cut.resize(cut.size() / 2);
  ASSERT_TRUE(WriteWholeFile(File(), cut));

  std::memset(&gOpt, 0, sizeof gOpt);
  EXPECT_EQ(LoadSaveOptions(0), 0);
  EXPECT_EQ(gOpt.iNumPar, kFactoryProfileCount);
  EXPECT_FALSE(Exists(File()));
  EXPECT_EQ(ReadWholeFile(File("Options_damaged.oqc")), cut);

  ASSERT_EQ(LoadSaveOptions(1), 1);
  std::uint32_t size = 0;
  EXPECT_EQ(EntryName(File(), &size), "1");
  EXPECT_EQ(ReadWholeFile(File("Options_damaged.oqc")), cut);
}

}  // namespace
