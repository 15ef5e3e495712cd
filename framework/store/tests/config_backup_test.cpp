#include "framework/store/config_backup.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "framework/object/application.h"
#include "framework/util/text_util.h"
#include "framework/util/win_handles.h"
#include "tests/support/win32/win_test_support.h"
#include "zip/win32/zip_win32.h"
#include "zip/zip.h"

using test_support::DamageEntry;
using test_support::Exists;
using test_support::ReadWholeFile;
using test_support::TempDir;
using test_support::WriteWholeFile;

namespace {

// The entries' names and contents, and the first entry's name.
struct Listing {
  bool opened = false;
  std::string first;
  std::map<std::string, std::string> entries;
};

Listing ListArchive(const std::string& path) {
  Listing out;
  ZipHandle* zip = OpenZipFile(path.c_str(), nullptr);
  if (zip == nullptr) return out;
  out.opened = true;
  ZipEntryInfo info{};
  (void)GetZipEntry(zip, -1, &info);
  const int count = info.index;
  for (int i = 0; i < count; ++i) {
    if (GetZipEntry(zip, i, &info) != kZipOk) break;
    std::string content(info.uncompressed_size, '\0');
    if (!content.empty() && UnzipEntryToMemory(zip, i, content.data(), info.uncompressed_size + 1) != kZipOk) {
      content = "<unreadable>";
    }
    if (i == 0) out.first = info.name;
    out.entries[info.name] = content;
  }
  (void)CloseZip(zip);
  return out;
}

bool TemporaryFilesLeft(const std::string& folder) {
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA((folder + "\\~vz*.tmp").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

// The Win32 back-end, with an archive output that fails as a full disk
// does: on its last write, or when it is closed.
class FailingDiskPlatform : public zip::ZipPlatform {
 public:
  enum class Failure { kClose, kWriteAfter100Bytes };
  explicit FailingDiskPlatform(Failure failure) : failure_(failure) {}

  std::unique_ptr<zip::ArchiveSink> CreateOutputFile(const char* path) override {
    auto sink = base_.CreateOutputFile(path);
    if (!sink) return sink;
    return std::make_unique<FailingSink>(std::move(sink), failure_);
  }
  std::unique_ptr<zip::ArchiveSink> CreateMemoryBlock(std::uint32_t size, ZipResult* error) override {
    return base_.CreateMemoryBlock(size, error);
  }
  std::unique_ptr<zip::EntrySource> OpenSourceFile(const char* path, zip::SourceInfo* info,
                                                   ZipResult* error) override {
    return base_.OpenSourceFile(path, info, error);
  }
  void CurrentTimes(zip::SourceInfo* info) override { base_.CurrentTimes(info); }
  std::unique_ptr<zip::ByteSource> OpenArchiveFile(const char* path) override { return base_.OpenArchiveFile(path); }
  std::string CurrentDirectory() override { return base_.CurrentDirectory(); }
  bool CreateFolder(const std::string& path) override { return base_.CreateFolder(path); }
  std::unique_ptr<zip::ExtractFile> CreateExtractFile(const std::string& path, std::uint32_t attributes) override {
    return base_.CreateExtractFile(path, attributes);
  }

 private:
  class FailingSink : public zip::ArchiveSink {
   public:
    FailingSink(std::unique_ptr<zip::ArchiveSink> sink, Failure failure) : sink_(std::move(sink)), failure_(failure) {}
    std::uint32_t Write(const void* data, std::uint32_t count) override {
      if (failure_ == Failure::kWriteAfter100Bytes && written_ + count > 100) return 0;
      written_ += count;
      return sink_->Write(data, count);
    }
    bool Seek(std::uint32_t position) override { return sink_->Seek(position); }
    bool Close() override { return sink_->Close() && failure_ != Failure::kClose; }

   private:
    std::unique_ptr<zip::ArchiveSink> sink_;
    Failure failure_;
    std::uint32_t written_ = 0;
  };

  zip::ZipPlatform& base_ = zip::Win32ZipPlatform();
  Failure failure_;
};

// A record long enough to be compressed, so that a flipped byte damages it.
std::string OptionsText() {
  std::string text;
  while (text.size() < 1000) text += "option " + std::to_string(text.size()) + "\r\n";
  return text;
}

class ConfigBackup : public testing::Test {
 protected:
  // The records as the archive names them ("/" between folders) and the
  // product entry.
  std::map<std::string, std::string> Archived() const {
    std::map<std::string, std::string> out{{"Veltrano", productEntry_}};
    for (const auto& [name, content] : records_) {
      std::string entry = name;
      for (char& c : entry) c = c == '\\' ? '/' : c;
      out[entry] = content;
    }
    return out;
  }

  void SetUp() override {
    CopyText(gApp.appName, sizeof gApp.appName, "Veltrano");
    CopyText(gApp.dataFolder, sizeof gApp.dataFolder, data_.c_str());
    gApp.backupKeepPatterns[0] = '\0';
    gApp.versionMajor = 3;
    gApp.versionMinor = 2;
    gApp.versionBuild = 1;
    for (const std::string& folder : {data_, data_ + "\\sub", data_ + "\\sub\\deep", data_ + "\\dir.oqc"}) {
      CreateDirectoryA(folder.c_str(), nullptr);
    }
    for (const auto& [name, content] : records_) ASSERT_TRUE(WriteWholeFile(data_ + "\\" + name, content));
    ASSERT_TRUE(WriteWholeFile(data_ + "\\notes.txt", "not a record"));
  }

  TempDir dir_;
  const std::string data_ = dir_ / "data";
  const std::string target_ = dir_ / "Veltrano-2026.12.09.BrindlexConfig";
  const std::map<std::string, std::string> records_{{"Options.oqc", OptionsText()},
                                                    {"(Orvo)App.oqc", std::string("app\0state", 9)},
                                                    {"sub\\deep\\Profile.oqc", "profile"}};
  const std::string productEntry_ = std::string(1, '\0') + "3.2.1";
};

TEST_F(ConfigBackup, ArchiveHoldsTheProductEntryFirstThenTheRecordsUnderTheirRelativeNames) {
  for (const bool withRecords : {true, false}) {
    SCOPED_TRACE(withRecords);
    ASSERT_EQ(WriteConfigurationArchive(target_.c_str(), withRecords), 0u);
    const std::map<std::string, std::string> expected =
        withRecords ? Archived() : std::map<std::string, std::string>{{"Veltrano", productEntry_}};
    const Listing listing = ListArchive(target_);
    EXPECT_EQ(listing.first, "Veltrano");
    EXPECT_EQ(listing.entries, expected);
    EXPECT_FALSE(TemporaryFilesLeft(dir_.Path()));
  }
}

TEST_F(ConfigBackup, RecordLockedForReadingIsMissingAndTheOthersAreArchived) {
  const CFileHandle locked(CreateFileA((data_ + "\\Options.oqc").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(locked);
  EXPECT_EQ(WriteConfigurationArchive(target_.c_str(), true), 5u);
  std::map<std::string, std::string> expected = Archived();
  expected.erase("Options.oqc");
  EXPECT_EQ(ListArchive(target_).entries, expected);
}

TEST_F(ConfigBackup, ArchiveThatCannotBeFinishedFailsAndKeepsTheOldOne) {
  using Failure = FailingDiskPlatform::Failure;
  for (const Failure failure : {Failure::kClose, Failure::kWriteAfter100Bytes}) {
    SCOPED_TRACE(static_cast<int>(failure));
    ASSERT_TRUE(WriteWholeFile(target_, "the archive of yesterday"));
    FailingDiskPlatform platform(failure);
    EXPECT_EQ(WriteConfigurationArchiveWith(platform, target_.c_str(), true), 2u);
    EXPECT_EQ(ReadWholeFile(target_), "the archive of yesterday");
    EXPECT_FALSE(TemporaryFilesLeft(dir_.Path()));
  }
  EXPECT_EQ(WriteConfigurationArchive((dir_ / "missing\\x.BrindlexConfig").c_str(), true), 2u);
}

TEST_F(ConfigBackup, ArchiveWaitsForAReaderOfTheOldOneAndFailsCleanlyWhenItStaysHeld) {
  const struct {
    DWORD releaseAfter;
    std::uint32_t result;
  } cases[] = {{300, 0u}, {INFINITE, 2u}};  // released within the retries, or only after the archive
  for (const auto& c : cases) {
    SCOPED_TRACE(c.releaseAfter);
    ASSERT_TRUE(WriteWholeFile(target_, "the archive of yesterday"));
    {
      test_support::ReleasedAfter held(test_support::OpenExisting(target_, test_support::kIndexerSharing),
                                       c.releaseAfter);
      ASSERT_TRUE(held.Holding());
      EXPECT_EQ(WriteConfigurationArchive(target_.c_str(), true), c.result);
    }
    if (c.result == 0) {
      EXPECT_EQ(ListArchive(target_).entries, Archived());
    } else {
      EXPECT_EQ(ReadWholeFile(target_), "the archive of yesterday");
    }
    EXPECT_FALSE(TemporaryFilesLeft(dir_.Path()));
  }
}

TEST_F(ConfigBackup, RestoreTakesOnlyAWholeArchiveOfThisProduct) {
  ASSERT_EQ(WriteConfigurationArchive(target_.c_str(), true), 0u);
  const std::string damaged = dir_ / "damaged.BrindlexConfig";
  ASSERT_TRUE(CopyFileA(target_.c_str(), damaged.c_str(), FALSE));
  ASSERT_TRUE(DamageEntry(damaged, "Options.oqc"));
  // A record that would land outside the data folder.
  const std::string escaping = dir_ / "escaping.BrindlexConfig";
  ZipHandle* zip = CreateZipFile(escaping.c_str(), nullptr);
  ASSERT_NE(zip, nullptr);
  EXPECT_EQ(ZipAddBuffer(zip, "Veltrano", productEntry_.data(), 6), kZipOk);
  EXPECT_EQ(ZipAddBuffer(zip, "..\\Options.oqc", "x", 1), kZipOk);
  ASSERT_EQ(CloseZip(zip), kZipOk);
  const std::string text = dir_ / "text.BrindlexConfig";
  ASSERT_TRUE(WriteWholeFile(text, "no archive at all"));
  const struct {
    std::string path;
    const char* product;
    ConfigArchiveCheck expected;
  } cases[] = {
      {target_, "Veltrano", ConfigArchiveCheck::kUsable},
      {target_, "Otherprog", ConfigArchiveCheck::kWrongProduct},
      {damaged, "Veltrano", ConfigArchiveCheck::kDamaged},
      {escaping, "Veltrano", ConfigArchiveCheck::kDamaged},
      {text, "Veltrano", ConfigArchiveCheck::kNotArchive},
      {dir_ / "missing.BrindlexConfig", "Veltrano", ConfigArchiveCheck::kNotArchive},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " " + c.product);
    EXPECT_EQ(CheckConfigurationArchive(c.path.c_str(), c.product), c.expected);
  }
}

}  // namespace
