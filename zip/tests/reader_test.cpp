#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "zip/stdio_platform.h"
#include "zip/tests/test_util.h"
#include "zip/zip.h"
#include "zip/zip_crypt.h"
#include "zip/zip_format.h"
#include "zip/zip_reader.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

class FixedTimePlatform : public zip::StdioZipPlatform {
 public:
  void CurrentTimes(zip::SourceInfo* info) override {
    info->access_time = info->modify_time = info->create_time = 1700000000;
    info->dos_date_time = zip::MakeDosDateTime(2023, 11, 14, 22, 13, 20);
  }
  // DOS times read as UTC, independent of the test machine's zone.
  std::uint64_t LocalDosTimeToFileTime(std::uint32_t dos) override {
    return zip::UnixToFileTime(zip::DosDateTimeToUnixUtc(dos));
  }
};

struct Item {
  std::string name;
  Bytes data;
};

Bytes Write(const std::vector<Item>& items, const char* password) {
  FixedTimePlatform p;
  ZipHandle* h = CreateZipInMemoryWith(p, nullptr, 16 << 20, password);
  for (const Item& it : items) {
    EXPECT_EQ(ZipAddBuffer(h, it.name.c_str(), it.data.data(), static_cast<std::uint32_t>(it.data.size())),
              kZipOk);
  }
  void* base = nullptr;
  std::uint32_t len = 0;
  EXPECT_EQ(GetZipMemory(h, &base, &len), kZipOk);
  Bytes out(static_cast<std::uint8_t*>(base), static_cast<std::uint8_t*>(base) + len);
  EXPECT_EQ(CloseZipWriter(h), kZipOk);
  return out;
}

// Keeps the bytes alive as long as the reader that uses them.
struct OpenArchive {
  Bytes bytes;
  ZipHandle* h = nullptr;
  OpenArchive(Bytes b, const char* password, zip::ZipPlatform* platform = nullptr) : bytes(std::move(b)) {
    static FixedTimePlatform fixed;
    h = OpenZipSource(platform ? platform : &fixed,
                      std::make_unique<zip::MemoryByteSource>(bytes.data(), bytes.size()), password);
  }
  ~OpenArchive() {
    if (h) CloseZip(h);
  }
};

Bytes ReadAll(ZipHandle* h, int index, ZipResult* result) {
  ZipEntryInfo info{};
  *result = GetZipEntry(h, index, &info);
  if (*result != kZipOk) return {};
  Bytes out(info.uncompressed_size + 1);
  std::uint32_t got = 0;
  *result = UnzipEntryToMemory(h, index, out.data(), static_cast<std::uint32_t>(out.size()), &got);
  out.resize(got);
  return out;
}

// ---- a hand-made archive of stored entries with every field under control ----
struct RawEntry {
  RawEntry(std::string n, Bytes d) : name(std::move(n)), data(std::move(d)) {}
  std::string name;
  Bytes data;
  std::uint16_t made_by = 0x0314;  // Unix host
  std::uint32_t external = 0x81A40000u;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t dos = 0x57274A6Eu;
  Bytes local_extra;
  std::int64_t crc_override = -1;
  std::int64_t usize_override = -1;
  std::int64_t csize_override = -1;
};

Bytes BuildRaw(const std::vector<RawEntry>& entries, std::size_t prefix = 0, const std::string& comment = "") {
  Bytes a(prefix, 0xEE);
  Bytes central;
  for (const RawEntry& e : entries) {
    const std::uint32_t off = static_cast<std::uint32_t>(a.size() - prefix);
    const std::uint32_t crc = e.crc_override >= 0 ? static_cast<std::uint32_t>(e.crc_override)
                                                  : static_cast<std::uint32_t>(crc32(0, e.data.data(), static_cast<uInt>(e.data.size())));
    const std::uint32_t us = e.usize_override >= 0 ? static_cast<std::uint32_t>(e.usize_override)
                                                   : static_cast<std::uint32_t>(e.data.size());
    const std::uint32_t cs = e.csize_override >= 0 ? static_cast<std::uint32_t>(e.csize_override)
                                                   : static_cast<std::uint32_t>(e.data.size());
    std::uint8_t l[30];
    zip::PutLe32(l, zip::kLocalHeaderSignature);
    zip::PutLe16(l + 4, 20);
    zip::PutLe16(l + 6, e.flags);
    zip::PutLe16(l + 8, e.method);
    zip::PutLe32(l + 10, e.dos);
    zip::PutLe32(l + 14, crc);
    zip::PutLe32(l + 18, cs);
    zip::PutLe32(l + 22, us);
    zip::PutLe16(l + 26, static_cast<std::uint16_t>(e.name.size()));
    zip::PutLe16(l + 28, static_cast<std::uint16_t>(e.local_extra.size()));
    a.insert(a.end(), l, l + 30);
    a.insert(a.end(), e.name.begin(), e.name.end());
    a.insert(a.end(), e.local_extra.begin(), e.local_extra.end());
    a.insert(a.end(), e.data.begin(), e.data.end());
    std::uint8_t c[46];
    zip::PutLe32(c, zip::kCentralHeaderSignature);
    zip::PutLe16(c + 4, e.made_by);
    zip::PutLe16(c + 6, 20);
    zip::PutLe16(c + 8, e.flags);
    zip::PutLe16(c + 10, e.method);
    zip::PutLe32(c + 12, e.dos);
    zip::PutLe32(c + 16, crc);
    zip::PutLe32(c + 20, cs);
    zip::PutLe32(c + 24, us);
    zip::PutLe16(c + 28, static_cast<std::uint16_t>(e.name.size()));
    zip::PutLe16(c + 30, 0);
    zip::PutLe16(c + 32, 0);
    zip::PutLe16(c + 34, 0);
    zip::PutLe16(c + 36, 0);
    zip::PutLe32(c + 38, e.external);
    zip::PutLe32(c + 42, off);
    central.insert(central.end(), c, c + 46);
    central.insert(central.end(), e.name.begin(), e.name.end());
  }
  const std::uint32_t cd_off = static_cast<std::uint32_t>(a.size() - prefix);
  a.insert(a.end(), central.begin(), central.end());
  std::uint8_t end[22];
  zip::PutLe32(end, zip::kEndRecordSignature);
  zip::PutLe16(end + 4, 0);
  zip::PutLe16(end + 6, 0);
  zip::PutLe16(end + 8, static_cast<std::uint16_t>(entries.size()));
  zip::PutLe16(end + 10, static_cast<std::uint16_t>(entries.size()));
  zip::PutLe32(end + 12, static_cast<std::uint32_t>(central.size()));
  zip::PutLe32(end + 16, cd_off);
  zip::PutLe16(end + 20, static_cast<std::uint16_t>(comment.size()));
  a.insert(a.end(), end, end + 22);
  a.insert(a.end(), comment.begin(), comment.end());
  return a;
}

Bytes Str(const char* s) { return Bytes(s, s + std::strlen(s)); }

TEST(ZipReader, RoundTripsPlainAndEncryptedArchives) {
  for (const char* password : {static_cast<const char*>(nullptr), "QmoTrvHE52b18k"}) {
    std::vector<Item> items = {{"one.txt", ziptest::TextBytes(1, 1)},
                               {"dir\\text.txt", ziptest::TextBytes(100000, 2)},
                               {"random.bin", ziptest::RandomBytes(70000, 3)},
                               {"stored.zip", ziptest::RandomBytes(33333, 4)},
                               {"rep", ziptest::RepetitiveBytes(3 << 20)}};
    OpenArchive ar(Write(items, password), password);
    ASSERT_NE(ar.h, nullptr);
    ASSERT_TRUE(IsZipReader(ar.h));
    ZipEntryInfo count{};
    ASSERT_EQ(GetZipEntry(ar.h, -1, &count), kZipOk);
    EXPECT_EQ(count.index, 5);
    for (int i = 0; i < 5; ++i) {
      ZipEntryInfo info{};
      ASSERT_EQ(GetZipEntry(ar.h, i, &info), kZipOk);
      std::string expected = items[static_cast<std::size_t>(i)].name;
      for (char& c : expected) c = c == '\\' ? '/' : c;
      EXPECT_EQ(std::string(info.name), expected);
      EXPECT_EQ(info.uncompressed_size, items[static_cast<std::size_t>(i)].data.size());
      EXPECT_EQ(info.attributes, 0u);  // host 11, buffer sources: 0x80000000
      EXPECT_EQ(info.write_time, zip::UnixToFileTime(1700000000));
      ZipResult r = 0;
      const Bytes back = ReadAll(ar.h, i, &r);
      EXPECT_EQ(r, kZipOk) << expected;
      EXPECT_TRUE(back == items[static_cast<std::size_t>(i)].data) << expected;
    }
  }
}

TEST(ZipReader, EntryIndexRules) {
  OpenArchive ar(Write({{"a", Str("x")}, {"b", Str("y")}}, nullptr), nullptr);
  ZipEntryInfo info{};
  EXPECT_EQ(GetZipEntry(ar.h, 2, &info), kZipBadArguments);
  EXPECT_EQ(GetZipEntry(ar.h, -2, &info), kZipBadArguments);
  EXPECT_EQ(GetZipEntry(ar.h, 1, &info), kZipOk);
  EXPECT_EQ(GetZipEntry(ar.h, 0, &info), kZipOk);  // walks back to the first
  EXPECT_STREQ(info.name, "a");
  char buf[4];
  EXPECT_EQ(UnzipEntryToMemory(ar.h, 2, buf, 4), kZipBadArguments);
  EXPECT_EQ(UnzipEntryToMemory(ar.h, 0, nullptr, 4), kZipBadArguments);
  EXPECT_EQ(GetZipEntry(nullptr, 0, &info), kZipBadArguments);
}

TEST(ZipReader, LargeEntryReadsInPiecesAndChecksItsCrcAtTheEnd) {
  const Bytes data = ziptest::TextBytes(40000, 8);
  OpenArchive ar(Write({{"big.txt", data}}, nullptr), nullptr);
  Bytes buf(16384);
  Bytes all;
  std::uint32_t got = 0;
  EXPECT_EQ(UnzipEntryToMemory(ar.h, 0, buf.data(), 16384, &got), kZipMoreData);
  all.insert(all.end(), buf.begin(), buf.begin() + got);
  EXPECT_EQ(UnzipEntryToMemory(ar.h, 0, buf.data(), 16384, &got), kZipMoreData);
  all.insert(all.end(), buf.begin(), buf.begin() + got);
  EXPECT_EQ(UnzipEntryToMemory(ar.h, 0, buf.data(), 16384, &got), kZipOk);
  EXPECT_EQ(got, 7232u);
  all.insert(all.end(), buf.begin(), buf.begin() + got);
  EXPECT_TRUE(all == data);
  // The entry was closed at its end: the next call starts over.
  EXPECT_EQ(UnzipEntryToMemory(ar.h, 0, buf.data(), 16384, &got), kZipMoreData);
  EXPECT_EQ(std::memcmp(buf.data(), data.data(), 16384), 0);
}

TEST(ZipReader, SanitisesStoredNames) {
  EXPECT_EQ(zip::SanitizeEntryName("C:\\data\\x.txt"), "data\\x.txt");
  EXPECT_EQ(zip::SanitizeEntryName("/etc/a"), "etc/a");
  EXPECT_EQ(zip::SanitizeEntryName("a\\..\\b\\c"), "b\\c");
  EXPECT_EQ(zip::SanitizeEntryName("x/y/../z"), "z");
  EXPECT_EQ(zip::SanitizeEntryName("\\\\server\\share\\f"), "server\\share\\f");
  EXPECT_EQ(zip::SanitizeEntryName("c:/d:/../../e"), "e");
  EXPECT_EQ(zip::SanitizeEntryName("../up"), "../up");  // left for the extraction check
  EXPECT_EQ(zip::SanitizeEntryName("plain.txt"), "plain.txt");
}

TEST(ZipReader, ExtractionPathsStayRelative) {
  EXPECT_TRUE(zip::IsSafeRelativePath("a/b/c.txt"));
  EXPECT_TRUE(zip::IsSafeRelativePath("a\\..b\\c..txt"));
  EXPECT_FALSE(zip::IsSafeRelativePath(""));
  EXPECT_FALSE(zip::IsSafeRelativePath("../up"));
  EXPECT_FALSE(zip::IsSafeRelativePath("a/../../up"));
  EXPECT_FALSE(zip::IsSafeRelativePath("a\\..\\..\\up"));
  EXPECT_FALSE(zip::IsSafeRelativePath("a/.."));
  EXPECT_FALSE(zip::IsSafeRelativePath("/abs"));
  EXPECT_FALSE(zip::IsSafeRelativePath("\\\\server\\share"));
  EXPECT_FALSE(zip::IsSafeRelativePath("C:x"));
  EXPECT_FALSE(zip::IsSafeRelativePath("file.txt:stream"));
  EXPECT_FALSE(zip::IsSafeRelativePath(std::string(260, 'n')));
  EXPECT_TRUE(zip::IsSafeRelativePath(std::string(259, 'n')));
}

TEST(ZipReader, FindsNamesExactlyOrIgnoringCase) {
  OpenArchive ar(Write({{"Alpha.txt", Str("1")}, {"dir\\Beta.txt", Str("22")}}, nullptr), nullptr);
  int index = 7;
  ZipEntryInfo info{};
  EXPECT_EQ(FindZipEntry(ar.h, "dir/Beta.txt", 0, &index, &info), kZipOk);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(info.uncompressed_size, 2u);
  EXPECT_EQ(FindZipEntry(ar.h, "alpha.TXT", 0, &index, &info), kZipNameNotFound);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(info.index, -1);
  EXPECT_EQ(FindZipEntry(ar.h, "alpha.TXT", 1, &index, nullptr), kZipOk);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(FindZipEntry(ar.h, std::string(256, 'a').c_str(), 1, &index, nullptr), kZipNameNotFound);
  OpenArchive empty(Write({}, nullptr), nullptr);
  ASSERT_NE(empty.h, nullptr);
  EXPECT_EQ(FindZipEntry(empty.h, "a", 0, &index, nullptr), kZipNameNotFound);
}

TEST(ZipReader, OpensArchivesWithCommentsAndPrependedBytes) {
  const Bytes a = BuildRaw({{"f.txt", Str("hello")}}, 1234, std::string(2000, 'c'));
  OpenArchive ar(a, nullptr);
  ASSERT_NE(ar.h, nullptr);
  ZipResult r = 0;
  EXPECT_TRUE(ReadAll(ar.h, 0, &r) == Str("hello"));
  EXPECT_EQ(r, kZipOk);
  // The signature nearest the end is taken; one inside a comment makes the
  // archive unreadable rather than misread.
  std::string tricky(100, 'x');
  tricky[10] = 'P';
  tricky[11] = 'K';
  tricky[12] = 5;
  tricky[13] = 6;
  OpenArchive ar2(BuildRaw({{"g", Str("z")}}, 0, tricky), nullptr);
  EXPECT_EQ(ar2.h, nullptr);  // the signature in the comment is nearer the end and is not valid
}

TEST(ZipReader, AttributesAndTimesFromForeignHosts) {
  RawEntry unix_ro{"ro.txt", Str("r")};
  unix_ro.external = 0100444u << 16;
  RawEntry unix_dir{"d/", {}};
  unix_dir.external = (040755u << 16) | 0x10;
  RawEntry dos_file{"h.txt", Str("h")};
  dos_file.made_by = 0x0014;
  dos_file.external = 0x23;  // read-only, hidden, archive
  RawEntry ut_write_only{"u.txt", Str("u")};
  ut_write_only.local_extra = {0x55, 0x54, 5, 0, 1, 0x00, 0x00, 0x00, 0x60};  // flags 1, time 0x60000000
  RawEntry ut_truncated{"t.txt", Str("t")};
  // Flags claim three times, the block holds one: only that one is used.
  ut_truncated.local_extra = {0x0A, 0x00, 0, 0, 0x55, 0x54, 5, 0, 7, 0x10, 0x00, 0x00, 0x50};
  OpenArchive ar(BuildRaw({unix_ro, unix_dir, dos_file, ut_write_only, ut_truncated}), nullptr);
  ASSERT_NE(ar.h, nullptr);
  ZipEntryInfo info{};
  const std::uint64_t dos_time = zip::UnixToFileTime(zip::DosDateTimeToUnixUtc(0x57274A6Eu));
  ASSERT_EQ(GetZipEntry(ar.h, 0, &info), kZipOk);
  EXPECT_EQ(info.attributes, 0x21u);
  EXPECT_EQ(info.write_time, dos_time);
  EXPECT_EQ(info.access_time, dos_time);
  EXPECT_EQ(info.creation_time, dos_time);
  ASSERT_EQ(GetZipEntry(ar.h, 1, &info), kZipOk);
  EXPECT_EQ(info.attributes, kZipAttrDirectory | kZipAttrArchive);
  ASSERT_EQ(GetZipEntry(ar.h, 2, &info), kZipOk);
  EXPECT_EQ(info.attributes, 0x23u);
  ASSERT_EQ(GetZipEntry(ar.h, 3, &info), kZipOk);
  EXPECT_EQ(info.write_time, zip::UnixToFileTime(0x60000000));
  EXPECT_EQ(info.access_time, dos_time);
  EXPECT_EQ(info.creation_time, dos_time);
  ASSERT_EQ(GetZipEntry(ar.h, 4, &info), kZipOk);
  EXPECT_EQ(info.write_time, zip::UnixToFileTime(0x50000010));
  EXPECT_EQ(info.access_time, dos_time);
  // The DOS fields: 0x57274A6E is 2023-09-07 09:19:28.
  EXPECT_EQ(zip::DosDateTimeToUnixUtc(0x57274A6Eu), 1694078368);
}

TEST(ZipReader, HostileArchivesFailSafely) {
  const Bytes text = ziptest::TextBytes(50000, 12);
  // Flipped CRC in both headers: the data reads but the end reports it.
  {
    RawEntry e{"f.txt", Str("hello world")};
    e.crc_override = 0x12345678;
    OpenArchive ar(BuildRaw({e}), nullptr);
    ZipResult r = 0;
    ReadAll(ar.h, 0, &r);
    EXPECT_EQ(r, kZipCorrupt);
  }
  // Declared size larger than the stored data.
  {
    RawEntry e{"f.txt", Str("hello world")};
    e.usize_override = 100;
    e.csize_override = 100;
    OpenArchive ar(BuildRaw({e}), nullptr);
    ZipResult r = 0;
    ReadAll(ar.h, 0, &r);
    EXPECT_EQ(r, kZipDataFailed);
  }
  // Stored entry whose compressed size is smaller than its size.
  {
    RawEntry e{"f.txt", Str("hello world")};
    e.csize_override = 5;
    OpenArchive ar(BuildRaw({e}), nullptr);
    ZipResult r = 0;
    ReadAll(ar.h, 0, &r);
    EXPECT_EQ(r, kZipDataFailed);
  }
  // A Deflate stream that ends before its declared size; one that claims less.
  {
    Bytes a = Write({{"t.txt", text}}, nullptr);
    OpenArchive ok(a, nullptr);
    ZipEntryInfo info{};
    ASSERT_EQ(GetZipEntry(ok.h, 0, &info), kZipOk);
    for (std::uint32_t lie : {info.uncompressed_size + 10, info.uncompressed_size - 10}) {
      Bytes b = a;
      zip::PutLe32(&b[22], lie);
      const std::size_t c = b.size() - 22 - 46 - 5 - 9;
      ASSERT_EQ(zip::GetLe32(&b[c]), zip::kCentralHeaderSignature);
      zip::PutLe32(&b[c + 24], lie);
      OpenArchive ar(b, nullptr);
      Bytes out(lie + 100);
      std::uint32_t got = 0;
      const ZipResult r = UnzipEntryToMemory(ar.h, 0, out.data(), static_cast<std::uint32_t>(out.size()), &got);
      EXPECT_NE(r, kZipOk) << lie;
      EXPECT_LE(got, lie);
    }
  }
  // Local header that disagrees with its central record.
  {
    Bytes a = Write({{"t.txt", text}}, nullptr);
    a[8] = 0;  // method 0 locally, 8 centrally
    OpenArchive ar(a, nullptr);
    ZipEntryInfo info{};
    EXPECT_EQ(GetZipEntry(ar.h, 0, &info), kZipCorrupt);
    char buf[16];
    EXPECT_EQ(UnzipEntryToMemory(ar.h, 0, buf, 16), kZipDataFailed);
  }
  // More entries announced than recorded: stepping ends with an error.
  {
    Bytes a = BuildRaw({{"a", Str("1")}, {"b", Str("2")}});
    zip::PutLe16(&a[a.size() - 22 + 8], 900);
    zip::PutLe16(&a[a.size() - 22 + 10], 900);
    OpenArchive ar(a, nullptr);
    ASSERT_NE(ar.h, nullptr);
    ZipEntryInfo info{};
    EXPECT_EQ(GetZipEntry(ar.h, 1, &info), kZipOk);
    EXPECT_EQ(GetZipEntry(ar.h, 899, &info), kZipCorrupt);
    int index = 0;
    EXPECT_EQ(FindZipEntry(ar.h, "zzz", 0, &index, nullptr), kZipNameNotFound);
  }
  // Every truncation of an archive: no crash, no success with wrong data.
  {
    const Bytes a = Write({{"t.txt", ziptest::TextBytes(3000, 1)}, {"s.gz", Str("stored")}}, "pw");
    for (std::size_t n = 0; n < a.size(); ++n) {
      OpenArchive ar(Bytes(a.begin(), a.begin() + static_cast<long>(n)), "pw");
      if (!ar.h) continue;
      for (int i = 0; i < 2; ++i) {
        ZipResult r = 0;
        ReadAll(ar.h, i, &r);
      }
    }
  }
}

TEST(ZipReader, WrongPasswordIsReportedAtTheFirstRead) {
  const Bytes a = Write({{"t.txt", ziptest::TextBytes(5000, 1)}, {"s.gz", Str("stored")}}, "right");
  OpenArchive ar(a, "wrong");
  ZipEntryInfo info{};
  EXPECT_EQ(GetZipEntry(ar.h, 0, &info), kZipOk);
  int wrong = 0;
  for (int i = 0; i < 2; ++i) {
    ZipResult r = 0;
    ReadAll(ar.h, i, &r);
    EXPECT_NE(r, kZipOk);
    wrong += r == kZipBadPassword;
  }
  EXPECT_GE(wrong, 1);  // the check byte matches by chance for 1 in 256
  OpenArchive none(a, nullptr);
  ZipResult r = 0;
  ReadAll(none.h, 0, &r);
  EXPECT_NE(r, kZipOk);
}

class TempDir {
 public:
  TempDir() {
    path_ = fs::temp_directory_path() / ("zipreader_" + std::to_string(::getpid()) + "_" +
                                         std::to_string(counter_++));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  [[nodiscard]] const fs::path& path() const { return path_; }

 private:
  fs::path path_;
  static inline int counter_ = 0;
};

Bytes ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

TEST(ZipReader, ExtractsFilesAndFoldersBelowTheBaseFolderOnly) {
  TempDir dir;
  const fs::path base = dir.path() / "base";
  RawEntry folder{"data/", {}};
  folder.external = (040755u << 16) | 0x10;
  RawEntry deep{"data/sub/f.txt", Str("deep")};
  RawEntry up{"../escape.txt", Str("x")};
  RawEntry drive{"C:\\..\\..\\win.txt", Str("y")};
  RawEntry bad_crc{"bad.txt", Str("corrupt")};
  bad_crc.crc_override = 1;
  RawEntry long_name{std::string(270, 'n'), Str("l")};
  zip::StdioZipPlatform platform;
  OpenArchive ar(BuildRaw({folder, deep, up, drive, bad_crc, long_name}), nullptr, &platform);
  ASSERT_NE(ar.h, nullptr);
  ASSERT_EQ(SetUnzipBaseDir(ar.h, base.string().c_str()), kZipOk);

  ZipEntryInfo info{};
  ASSERT_EQ(GetZipEntry(ar.h, 0, &info), kZipOk);
  EXPECT_EQ(UnzipEntryToFile(ar.h, 0, info.name), kZipOk);
  EXPECT_TRUE(fs::is_directory(base / "data"));
  EXPECT_TRUE(fs::is_empty(base / "data"));

  ASSERT_EQ(GetZipEntry(ar.h, 1, &info), kZipOk);
  EXPECT_EQ(UnzipEntryToFile(ar.h, 1, info.name), kZipOk);
  EXPECT_TRUE(ReadFile(base / "data" / "sub" / "f.txt") == Str("deep"));

  ASSERT_EQ(GetZipEntry(ar.h, 2, &info), kZipOk);
  EXPECT_STREQ(info.name, "../escape.txt");
  EXPECT_EQ(UnzipEntryToFile(ar.h, 2, info.name), kZipBadArguments);
  EXPECT_FALSE(fs::exists(dir.path() / "escape.txt"));
  ASSERT_EQ(GetZipEntry(ar.h, 3, &info), kZipOk);
  EXPECT_STREQ(info.name, "win.txt");  // sanitised: drive and climb removed
  EXPECT_EQ(UnzipEntryToFile(ar.h, 3, "/tmp/absolute.txt"), kZipBadArguments);
  EXPECT_EQ(UnzipEntryToFile(ar.h, 3, "C:\\x.txt"), kZipBadArguments);

  // A failed extraction leaves no file behind.
  EXPECT_EQ(UnzipEntryToFile(ar.h, 4, "bad.txt"), kZipCorrupt);
  EXPECT_FALSE(fs::exists(base / "bad.txt"));

  // A name of 260 characters or more is listed empty and not extracted.
  ASSERT_EQ(GetZipEntry(ar.h, 5, &info), kZipOk);
  EXPECT_STREQ(info.name, "");
  EXPECT_EQ(UnzipEntryToFile(ar.h, 5, info.name), kZipBadArguments);
  // Base folder plus name beyond 259 characters.
  EXPECT_EQ(UnzipEntryToFile(ar.h, 1, std::string(250, 'm').c_str()), kZipBadArguments);
}

TEST(ZipReader, WrongPasswordExtractionLeavesNoFile) {
  TempDir dir;
  zip::StdioZipPlatform platform;
  OpenArchive ar(Write({{"secret.txt", ziptest::TextBytes(100000, 3)}}, "right"), "wrong", &platform);
  ASSERT_EQ(SetUnzipBaseDir(ar.h, dir.path().string().c_str()), kZipOk);
  const ZipResult r = UnzipEntryToFile(ar.h, 0, "secret.txt");
  EXPECT_NE(r, kZipOk);
  EXPECT_FALSE(fs::exists(dir.path() / "secret.txt"));
}

TEST(ZipReader, FileArchivesRoundTripThroughTheStdioBackEnd) {
  TempDir dir;
  zip::StdioZipPlatform platform;
  const fs::path src = dir.path() / "source.txt";
  const Bytes data = ziptest::TextBytes(77777, 4);
  std::ofstream(src, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                             static_cast<std::streamsize>(data.size()));
  const std::string archive = (dir.path() / "a.zip").string();
  ZipHandle* w = CreateZipFileWith(platform, archive.c_str(), "pw");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(ZipAddFile(w, "folder\\copy.txt", src.string().c_str()), kZipOk);
  void* base = nullptr;
  std::uint32_t len = 0;
  EXPECT_EQ(GetZipMemory(w, &base, &len), kZipNotMemory);
  EXPECT_EQ(CloseZipWriter(w), kZipOk);

  ZipHandle* r = OpenZipFileWith(platform, archive.c_str(), "pw");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(SetUnzipBaseDir(r, (dir.path() / "out").string().c_str()), kZipOk);
  ZipEntryInfo info{};
  ASSERT_EQ(GetZipEntry(r, 0, &info), kZipOk);
  struct stat st {};
  ASSERT_EQ(stat(src.string().c_str(), &st), 0);
  EXPECT_EQ(info.write_time, zip::UnixToFileTime(st.st_mtime));
  EXPECT_EQ(info.attributes & kZipAttrReadOnly, 0u);
  EXPECT_EQ(UnzipEntryToFile(r, 0, info.name), kZipOk);
  EXPECT_TRUE(ReadFile(dir.path() / "out" / "folder" / "copy.txt") == data);
  EXPECT_EQ(CloseZip(r), kZipOk);

  ZipResult e = 0;
  EXPECT_EQ(OpenZipFileWith(platform, (dir.path() / "missing.zip").string().c_str(), nullptr, &e), nullptr);
  EXPECT_EQ(e, kZipNotFound);
  EXPECT_EQ(OpenZipFileWith(platform, src.string().c_str(), nullptr, &e), nullptr);
  EXPECT_EQ(e, kZipNotFound);
}

}  // namespace
