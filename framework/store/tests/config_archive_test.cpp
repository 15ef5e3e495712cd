#include "framework/store/config_archive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>

#include "framework/store/record_forms.h"
#include "tests/support/store/memory_record_store.h"
#include "zip/tests/test_util.h"
#include "zip/zip.h"
#include "zip/zip_format.h"

using test_support::CMemoryRecordStore;

namespace {

using Bytes = CMemoryRecordStore::Bytes;

const std::string kOptionsFile = "Options.oqc";

// A saving serializer holding a few records.
CConfigText Filled(int version) {
  CConfigText t(version, "gOpt.");
  std::uint8_t flag = 1;
  std::int32_t number = -42;
  char name[64] = "Explorer = files";
  t.ConfigBool(&flag, 1, "gOpt.bTrayIcon");
  t.ConfigInt(&number, 4, "gOpt.iCurPar");
  t.ConfigString(name, sizeof name, "gOpt.Par[xi].szParName", 3);
  return t;
}

std::string TextOf(const CConfigText& t) { return std::string(t.text().begin(), t.text().end()); }

// The name and data of the only entry of archive bytes read with a
// password, or "<failed>".
std::string EntryOf(const Bytes& archive, const char* password) {
  ZipHandle* h = OpenZipSource(nullptr, std::make_unique<zip::MemoryByteSource>(archive.data(), archive.size()),
                               password);
  ZipEntryInfo info{};
  std::string out = "<failed>";
  if (h && GetZipEntry(h, -1, &info) == kZipOk && info.index == 1 && GetZipEntry(h, 0, &info) == kZipOk) {
    std::string data(info.uncompressed_size, '\0');
    if (UnzipEntryToMemory(h, 0, &data[0], info.uncompressed_size) == kZipOk) out = info.name + (":" + data);
  }
  if (h) CloseZip(h);
  return out;
}

TEST(OptionsArchive, SavesOnePasswordProtectedEntryNamedByVersionAndLoadsItBack) {
  const struct {
    int version, index, allUsers;
    std::string file;
  } cases[] = {{1, -1, 0, kOptionsFile}, {27, 2, 1, "common\\Options2.oqc"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    CMemoryRecordStore store;
    const CConfigText saving = Filled(c.version);
    const int size = SaveConfigArchiveTo(store, saving, "Options", c.index, c.allUsers);
    ASSERT_TRUE(store.Has(c.file));
    const Bytes& file = store.At(c.file);
    EXPECT_EQ(static_cast<int>(file.size()), size);
    EXPECT_TRUE(StartsWithZipSignature(file.data(), file.size()));
    EXPECT_EQ(EntryOf(file, kOptionsArchivePassword), std::to_string(c.version) + ":" + TextOf(saving));
    EXPECT_EQ(EntryOf(file, "wrong password"), "<failed>");
    EXPECT_EQ(EntryOf(file, nullptr), "<failed>");

    CConfigText loading(0, "gOpt.");
    EXPECT_EQ(LoadConfigArchiveFrom(store, loading, "Options", c.index, c.allUsers),
              static_cast<int>(saving.text().size()));
    EXPECT_EQ(TextOf(loading), TextOf(saving));
    EXPECT_EQ(loading.version, c.version);
    std::int32_t number = 0;
    EXPECT_EQ(loading.ConfigInt(&number, 4, "gOpt.iCurPar"), 0);
    EXPECT_EQ(number, -42);
  }
}

TEST(OptionsArchive, FailedOrEmptySaveKeepsThePreviousRecord) {
  CMemoryRecordStore store;
  store.files[kOptionsFile] = Bytes{'o', 'l', 'd'};
  // Nothing to archive is refused before the record is touched.
  EXPECT_EQ(SaveConfigArchiveTo(store, CConfigText(1, "gOpt."), "Options", -1, 0), kArchiveEntryFailed);
  EXPECT_EQ(store.writes, 0);
  store.fail_writes = true;
  EXPECT_EQ(SaveConfigArchiveTo(store, Filled(1), "Options", -1, 0), kArchiveWriteFailed);
  EXPECT_EQ(store.At(kOptionsFile), (Bytes{'o', 'l', 'd'}));
}

TEST(OptionsArchive, DamagedFileFailsWithEmptyText) {
  CMemoryRecordStore store;
  ASSERT_GT(SaveConfigArchiveTo(store, Filled(1), "Options", -1, 0), 0);
  const Bytes good = store.At(kOptionsFile);
  Bytes flipped = good;
  flipped[30 + 1 + 17 + 14] ^= 0x5A;  // inside the encrypted entry data
  // The central record's uncompressed size claims almost 4 GB.
  Bytes huge = good;
  zip::PutLe32(&huge[zip::GetLe32(&good[good.size() - 22 + 16]) + 24], 0xFFFFFFF0u);
  // The same text archived under another password.
  zip::StdioZipPlatform platform;
  const CConfigText text = Filled(1);
  ZipHandle* h = CreateZipInMemoryWith(platform, nullptr, 4096, "not the password");
  ASSERT_EQ(ZipAddBuffer(h, "1", text.text().data(), static_cast<std::uint32_t>(text.text().size())), kZipOk);
  const Bytes other = ziptest::Finish(h);

  const int kAnyFailure = 0;
  const struct {
    const char* what;
    Bytes file;
    int expect;
  } cases[] = {{"not an archive", Bytes(100, 'x'), kArchiveNotOpened},
               {"one byte short", Bytes(good.begin(), good.end() - 1), kAnyFailure},
               {"half", Bytes(good.begin(), good.begin() + good.size() / 2), kAnyFailure},
               {"30 bytes", Bytes(good.begin(), good.begin() + 30), kAnyFailure},
               {"4 bytes", Bytes(good.begin(), good.begin() + 4), kAnyFailure},
               {"flipped data byte", flipped, kArchiveReadFailed},
               {"wrong password", other, kArchiveReadFailed},
               {"huge declared size, refused without allocating", huge, kArchiveNoMemory}};
  for (const auto& c : cases) {
    store.files[kOptionsFile] = c.file;
    CConfigText loading(0, "gOpt.");
    loading.SetText("stale=1\0\r\n", 10);
    const int result = LoadConfigArchiveFrom(store, loading, "Options", -1, 0);
    EXPECT_TRUE(result < 0 && (c.expect == kAnyFailure || result == c.expect)) << c.what << ": " << result;
    EXPECT_TRUE(loading.text().empty()) << c.what;
    EXPECT_FALSE(IsWholeConfigArchive(c.file.data(), c.file.size())) << c.what;
  }
  EXPECT_TRUE(IsWholeConfigArchive(good.data(), good.size()));
  CConfigText missing(0, "gOpt.");
  EXPECT_EQ(LoadConfigArchiveFrom(store, missing, "Other", -1, 0), kArchiveNotOpened);
}

TEST(OptionsArchive, OnlyLocalHeaderOrEmptyArchiveSignatureCounts) {
  const std::pair<std::string, bool> starts[] = {{"PK\x03\x04", true},    {"PK\x05\x06", true},
                                                 {"PK\x01\x02", false},   {"PK\x03", false},
                                                 {std::string("\x15\0\0\x01", 4), false}};
  for (const auto& [bytes, zip] : starts) {
    EXPECT_EQ(StartsWithZipSignature(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), zip) << bytes;
  }
  EXPECT_FALSE(StartsWithZipSignature(nullptr, 4));
}

TEST(RecordForms, ARecordFileIsJudgedInTheFormOfItsNameOnly) {
  const RecordForm forms[] = {{"(Orvo)App", RecordFormKind::kFixedSize, 4, false},
                              {"(Orvo)Win", RecordFormKind::kFixedSize, 2, true},
                              {"(Orvo)Cmd", RecordFormKind::kText, 0, false}};
  const struct {
    const char* file;
    int form;  // -1: none
  } names[] = {{"(orvo)APP.OQC", 0}, {"(Orvo)App1.oqc", -1}, {"(Orvo)Win12.oqc", 1}, {"(Orvo)Win.oqc", -1},
               {"(Orvo)Win1x.oqc", -1}, {"(Orvo)Cmd.txt", -1}, {"(Orvo)Cmd", -1}, {"Options.oqc", -1}};
  for (const auto& n : names) {
    EXPECT_EQ(FindRecordForm(forms, std::size(forms), n.file, "oqc"), n.form < 0 ? nullptr : &forms[n.form]) << n.file;
  }
  const std::pair<std::string, bool> texts[] = {
      {std::string("-QUIT\0", 6), true}, {"-QUIT", false}, {std::string("a\0b\0", 4), false}, {"", false}};
  for (const auto& [bytes, whole] : texts) {
    EXPECT_EQ(ReadsWholeAs(forms[2], reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), whole);
  }
  EXPECT_TRUE(ReadsWholeAs(forms[0], reinterpret_cast<const std::uint8_t*>("abcd"), 4));
  EXPECT_FALSE(ReadsWholeAs(forms[0], reinterpret_cast<const std::uint8_t*>("abc"), 3));
}

TEST(RawRecord, ReadsTheWholeRecordOrNothing) {
  CMemoryRecordStore store;
  CConfigByteBuffer buffer;
  buffer.Assign("junk", 4);
  EXPECT_EQ(ReadConfigRecordFrom(store, buffer, "Options", -1, 0), 0);  // missing
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

  // An oversized record is not read; one claiming more than it holds yields
  // what it holds.
  store.files[kOptionsFile] = Bytes(16, 1);
  store.claimed_size = std::uint64_t{kMaxConfigRecordSize} + 1;
  EXPECT_EQ(ReadConfigRecordFrom(store, buffer, "Options", -1, 0), 0);
  EXPECT_EQ(buffer.count(), 0u);
  store.claimed_size = 64;
  EXPECT_EQ(ReadConfigRecordFrom(store, buffer, "Options", -1, 0), 16);
  EXPECT_EQ(buffer.count(), 16u);
}

}  // namespace
