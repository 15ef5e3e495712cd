#include "scrolling/options/options_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/object/application.h"
#include "framework/util/text_util.h"
#include "scrolling/options/options_storage.h"
#include "tests/support/product/use_product_texts.h"
#include "tests/support/win32/win_test_support.h"
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
    // Each test is a run of its own, which starts with a load.
    (void)LoadSaveOptions(0);
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
  EXPECT_FALSE(Exists(test_support::RecordTempOf(File())));
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
    EXPECT_EQ(ReadWholeFile(File("Options_old.oqc")), c.file);
    ASSERT_EQ(LoadSaveOptions(1), 1);
    EXPECT_EQ(EntryName(File(), &size), "1");
    EXPECT_EQ(ReadWholeFile(File("Options_old.oqc")), c.file);
  }
}

// Another program holds the file without sharing (a sync or backup tool
// copying it) while the program starts: a moment's hold is waited out; a
// longer one, like a file too large to be ours, leaves the file as it is for
// the whole run, the saves after the holder has let go included.
TEST_F(OptionsFileTest, AHeldFileIsWaitedForAndOneThatStaysUnreadableIsNeverSavedOver) {
  using test_support::OpenExisting;
  using test_support::ReleasedAfter;
  SetFactoryOptions();
  gOpt.iNumPar = 2;
  ASSERT_EQ(LoadSaveOptions(1), 1);
  const std::string users = ReadWholeFile(File());
  {
    ReleasedAfter held(OpenExisting(File(), 0), 500);
    ASSERT_TRUE(held.Holding());
    std::memset(&gOpt, 0, sizeof gOpt);
    EXPECT_EQ(LoadSaveOptions(0), 1);
    EXPECT_EQ(gOpt.iNumPar, 2);
    EXPECT_FALSE(OptionsFileUnreadable());
  }
  {
    ReleasedAfter held(OpenExisting(File(), 0), INFINITE);
    ASSERT_TRUE(held.Holding());
    std::memset(&gOpt, 0, sizeof gOpt);
    EXPECT_EQ(LoadSaveOptions(0), 0);
    EXPECT_EQ(gOpt.iNumPar, kFactoryProfileCount);
    EXPECT_TRUE(OptionsFileUnreadable());
  }
  EXPECT_EQ(LoadSaveOptions(1), 0);
  EXPECT_EQ(ReadWholeFile(File()), users);
  EXPECT_FALSE(Exists(File("Options_damaged.oqc")));

  // One byte more than the reader takes; sparse, so quickly made.
  {
    const CFileHandle file(CreateFileA(File().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kMaxConfigRecordSize) + 1;
    ASSERT_TRUE(file && SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get()));
  }
  EXPECT_EQ(LoadSaveOptions(0), 0);
  EXPECT_TRUE(OptionsFileUnreadable());
  EXPECT_EQ(LoadSaveOptions(1), 0);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA(File().c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, kMaxConfigRecordSize + 1);
  EXPECT_FALSE(Exists(File("Options_damaged.oqc")));
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
