#include "framework/store/config_archive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/store/tests/memory_record_store.h"
#include "zip/zip.h"

using test_support::CMemoryRecordStore;

namespace {

using Bytes = CMemoryRecordStore::Bytes;

const std::string kOptionsFile = "Options.oqc";

// A saving serializer holding a few records.
void FillText(CConfigText& t) {
  std::uint8_t flag = 1;
  std::int32_t number = -42;
  char name[64] = "Explorer = files";
  t.ConfigBool(&flag, 1, "gOpt.bTrayIcon");
  t.ConfigInt(&number, 4, "gOpt.iCurPar");
  t.ConfigString(name, sizeof name, "gOpt.Par[xi].szParName", 3);
}

std::string TextOf(const CConfigText& t) { return std::string(t.text().begin(), t.text().end()); }

// Reads entry 0 of archive bytes with a password: its name and data, or
// "<failed>".
std::string EntryOf(const Bytes& archive, const char* password, std::string* name) {
  ZipHandle* h = OpenZipSource(nullptr, std::unique_ptr<zip::ByteSource>(new zip::MemoryByteSource(
                                            archive.data(), archive.size())),
                               password);
  if (!h) return "<failed>";
  ZipEntryInfo info{};
  ZipEntryInfo count{};
  std::string out = "<failed>";
  if (GetZipEntry(h, -1, &count) == kZipOk && count.index == 1 && GetZipEntry(h, 0, &info) == kZipOk) {
    std::string data(info.uncompressed_size, '\0');
    std::uint32_t got = 0;
    if (UnzipEntryToMemory(h, 0, &data[0], info.uncompressed_size, &got) == kZipOk) out = data;
    if (name) *name = info.name;
  }
  CloseZip(h);
  return out;
}

TEST(OptionsArchive, SavesOnePasswordProtectedEntryNamedByVersionAndLoadsItBack) {
  CMemoryRecordStore store;
  CConfigText saving(1, "gOpt.");
  FillText(saving);
  const int size = SaveConfigArchiveTo(store, saving, "Options", -1, 0);
  ASSERT_GT(size, 0);
  ASSERT_TRUE(store.Has(kOptionsFile));
  const Bytes& file = store.At(kOptionsFile);
  EXPECT_EQ(static_cast<int>(file.size()), size);
  EXPECT_TRUE(StartsWithZipSignature(file.data(), file.size()));

  std::string name;
  EXPECT_EQ(EntryOf(file, kOptionsArchivePassword, &name), TextOf(saving));
  EXPECT_EQ(name, "1");
  EXPECT_EQ(EntryOf(file, "wrong password", nullptr), "<failed>");
  EXPECT_EQ(EntryOf(file, nullptr, nullptr), "<failed>");

  CConfigText loading(0, "gOpt.");
  EXPECT_EQ(LoadConfigArchiveFrom(store, loading, "Options", -1, 0), static_cast<int>(saving.text().size()));
  EXPECT_EQ(TextOf(loading), TextOf(saving));
  EXPECT_EQ(loading.version, 1);
  std::int32_t number = 0;
  EXPECT_EQ(loading.ConfigInt(&number, 4, "gOpt.iCurPar"), 0);
  EXPECT_EQ(number, -42);
}

TEST(OptionsArchive, VersionComesFromTheEntryName) {
  CMemoryRecordStore store;
  CConfigText saving(27, "gOpt.");
  FillText(saving);
  ASSERT_GT(SaveConfigArchiveTo(store, saving, "Options", 2, 1), 0);
  EXPECT_TRUE(store.Has("common\\Options2.oqc"));
  CConfigText loading(0, "gOpt.");
  EXPECT_GT(LoadConfigArchiveFrom(store, loading, "Options", 2, 1), 0);
  EXPECT_EQ(loading.version, 27);
}

TEST(OptionsArchive, FailedWriteKeepsThePreviousRecord) {
  CMemoryRecordStore store;
  store.files[kOptionsFile] = Bytes{'o', 'l', 'd'};
  store.fail_writes = true;
  CConfigText saving(1, "gOpt.");
  FillText(saving);
  EXPECT_EQ(SaveConfigArchiveTo(store, saving, "Options", -1, 0), kArchiveWriteFailed);
  EXPECT_EQ(store.At(kOptionsFile), (Bytes{'o', 'l', 'd'}));
}

TEST(OptionsArchive, NothingToArchiveIsRefusedBeforeTheRecordIsTouched) {
  CMemoryRecordStore store;
  CConfigText empty(1, "gOpt.");
  EXPECT_EQ(SaveConfigArchiveTo(store, empty, "Options", -1, 0), kArchiveEntryFailed);
  EXPECT_EQ(store.writes, 0);
}

class DamagedArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    CConfigText saving(1, "gOpt.");
    FillText(saving);
    ASSERT_GT(SaveConfigArchiveTo(store_, saving, "Options", -1, 0), 0);
    good_ = store_.At(kOptionsFile);
  }
  int Load(const Bytes& file) {
    store_.files[kOptionsFile] = file;
    loading_.SetText("stale=1\0\r\n", 10);
    return LoadConfigArchiveFrom(store_, loading_, "Options", -1, 0);
  }
  CMemoryRecordStore store_;
  CConfigText loading_{0, "gOpt."};
  Bytes good_;
};

TEST_F(DamagedArchive, MissingFileOrNonArchiveFailsWithEmptyText) {
  CConfigText t(0, "gOpt.");
  EXPECT_EQ(LoadConfigArchiveFrom(store_, t, "Other", -1, 0), kArchiveNotOpened);
  EXPECT_EQ(Load(Bytes(100, 'x')), kArchiveNotOpened);
  EXPECT_TRUE(loading_.text().empty());
}

TEST_F(DamagedArchive, CutShortFileIsNeverTakenAsText) {
  for (std::size_t keep : {good_.size() - 1, good_.size() / 2, std::size_t{30}, std::size_t{4}}) {
    Bytes cut(good_.begin(), good_.begin() + static_cast<std::ptrdiff_t>(keep));
    EXPECT_LT(Load(cut), 0) << keep;
    EXPECT_TRUE(loading_.text().empty()) << keep;
  }
}

TEST_F(DamagedArchive, FlippedDataByteFailsTheRead) {
  Bytes bad = good_;
  bad[30 + 1 + 17 + 14] ^= 0x5A;  // inside the encrypted entry data
  EXPECT_EQ(Load(bad), kArchiveReadFailed);
  EXPECT_TRUE(loading_.text().empty());
}

TEST_F(DamagedArchive, WrongPasswordFailsTheRead) {
  // The same text archived under another password.
  zip::StdioZipPlatform platform;
  CConfigText saving(1, "gOpt.");
  FillText(saving);
  std::uint8_t block[4096];
  ZipHandle* h = CreateZipInMemoryWith(platform, block, sizeof block, "not the password");
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(ZipAddBuffer(h, "1", saving.text().data(), static_cast<std::uint32_t>(saving.text().size())), kZipOk);
  void* base = nullptr;
  std::uint32_t length = 0;
  ASSERT_EQ(GetZipMemory(h, &base, &length), kZipOk);
  const Bytes other(block, block + length);
  CloseZip(h);
  EXPECT_EQ(Load(other), kArchiveReadFailed);
}

TEST_F(DamagedArchive, HugeDeclaredSizeIsRefusedWithoutAllocating) {
  // The central record's uncompressed size (offset 24) claims almost 4 GB.
  Bytes bad = good_;
  std::size_t central = 0;
  for (std::size_t i = 0; i + 4 <= bad.size(); ++i) {
    if (bad[i] == 'P' && bad[i + 1] == 'K' && bad[i + 2] == 1 && bad[i + 3] == 2) central = i;
  }
  ASSERT_NE(central, 0u);
  bad[central + 24] = 0xF0;
  bad[central + 25] = 0xFF;
  bad[central + 26] = 0xFF;
  bad[central + 27] = 0xFF;
  EXPECT_EQ(Load(bad), kArchiveNoMemory);
  EXPECT_TRUE(loading_.text().empty());
}

TEST(ZipSignature, OnlyLocalHeaderOrEmptyArchiveCounts) {
  const std::uint8_t local[] = {'P', 'K', 3, 4, 0};
  const std::uint8_t end[] = {'P', 'K', 5, 6};
  const std::uint8_t central[] = {'P', 'K', 1, 2};
  const std::uint8_t tagged[] = {0x15, 0, 0, 1, 1};
  EXPECT_TRUE(StartsWithZipSignature(local, sizeof local));
  EXPECT_TRUE(StartsWithZipSignature(end, sizeof end));
  EXPECT_FALSE(StartsWithZipSignature(central, sizeof central));
  EXPECT_FALSE(StartsWithZipSignature(tagged, sizeof tagged));
  EXPECT_FALSE(StartsWithZipSignature(local, 3));
  EXPECT_FALSE(StartsWithZipSignature(nullptr, 4));
}

TEST(RawRecord, ReadsTheWholeRecordOrNothing) {
  CMemoryRecordStore store;
  CConfigByteBuffer buffer;
  buffer.Assign("junk", 4);
  EXPECT_EQ(ReadConfigRecordFrom(store, buffer, "Options", -1, 0), 0);
  EXPECT_EQ(buffer.count(), 0u);

  store.files[kOptionsFile] = Bytes{};
  EXPECT_EQ(ReadConfigRecordFrom(store, buffer, "Options", -1, 0), 0);

  Bytes content(70000);
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 7);
  store.files[kOptionsFile] = content;
  buffer.set_cursor(5);
  EXPECT_EQ(ReadConfigRecordFrom(store, buffer, "Options", -1, 0), 70000);
  ASSERT_EQ(buffer.count(), content.size());
  EXPECT_EQ(std::memcmp(buffer.data(), content.data(), content.size()), 0);
  EXPECT_EQ(buffer.cursor(), 0u);
}

TEST(RawRecord, OversizedRecordIsNotRead) {
  CMemoryRecordStore store;
  store.files[kOptionsFile] = Bytes(16, 1);
  store.claimed_size = std::uint64_t{kMaxConfigRecordSize} + 1;
  CConfigByteBuffer buffer;
  EXPECT_EQ(ReadConfigRecordFrom(store, buffer, "Options", -1, 0), 0);
  EXPECT_EQ(buffer.count(), 0u);
  // A record claiming more than it holds yields what it holds.
  store.claimed_size = 64;
  EXPECT_EQ(ReadConfigRecordFrom(store, buffer, "Options", -1, 0), 16);
  EXPECT_EQ(buffer.count(), 16u);
}

}  // namespace
