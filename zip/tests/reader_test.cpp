#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "zip/tests/test_util.h"
#include "zip/zip_format.h"
#include "zip/zip_reader.h"

namespace fs = std::filesystem;

namespace {

using ziptest::BuildRaw;
using ziptest::Bytes;
using ziptest::kRawDos;
using ziptest::RawEntry;
using ziptest::Str;
using test_support::TempDir;

struct Item {
  std::string name;
  Bytes data;
};

Bytes Write(const std::vector<Item>& items, const char* password) {
  ziptest::FixedTimePlatform p;
  ZipHandle* h = CreateZipInMemoryWith(p, nullptr, 16 << 20, password);
  for (const Item& it : items) {
    EXPECT_EQ(ZipAddBuffer(h, it.name.c_str(), it.data.data(), static_cast<std::uint32_t>(it.data.size())), kZipOk);
  }
  return ziptest::Finish(h);
}

// Keeps the bytes alive as long as the reader that uses them.
struct OpenArchive {
  Bytes bytes;
  ZipHandle* h = nullptr;
  OpenArchive(Bytes b, const char* password, zip::ZipPlatform* platform = nullptr) : bytes(std::move(b)) {
    static ziptest::FixedTimePlatform fixed;
    h = OpenZipSource(platform ? platform : &fixed,
                      std::make_unique<zip::MemoryByteSource>(bytes.data(), bytes.size()), password);
  }
  ~OpenArchive() {
    if (h) CloseZip(h);
  }
};

// Reads an entry in pieces: every piece but the last fills the buffer.
Bytes ReadInPieces(ZipHandle* h, int index, std::uint32_t piece, ZipResult* result) {
  Bytes out, buf(piece);
  std::uint32_t got = 0;
  while ((*result = UnzipEntryToMemory(h, index, buf.data(), piece, &got)) == kZipMoreData) {
    EXPECT_EQ(got, piece);
    out.insert(out.end(), buf.begin(), buf.begin() + got);
  }
  out.insert(out.end(), buf.begin(), buf.begin() + got);
  return out;
}

// Lists the entry, then reads it whole.
Bytes ReadAll(ZipHandle* h, int index, ZipResult* result) {
  ZipEntryInfo info{};
  *result = GetZipEntry(h, index, &info);
  return *result == kZipOk ? ReadInPieces(h, index, info.uncompressed_size + 1, result) : Bytes{};
}

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
    ZipEntryInfo info{};
    ASSERT_EQ(GetZipEntry(ar.h, -1, &info), kZipOk);
    EXPECT_EQ(info.index, 5);
    for (int i = 0; i < 5; ++i) {
      const Item& item = items[static_cast<std::size_t>(i)];
      SCOPED_TRACE(item.name);
      ASSERT_EQ(GetZipEntry(ar.h, i, &info), kZipOk);
      EXPECT_EQ(std::string(info.name), i == 1 ? "dir/text.txt" : item.name);
      EXPECT_EQ(info.uncompressed_size, item.data.size());
      EXPECT_EQ(info.attributes, 0u);  // host 11, buffer sources: 0x80000000
      EXPECT_EQ(info.write_time, zip::UnixToFileTime(1700000000));
      // In pieces, then whole: an entry read to its end starts over.
      for (std::uint32_t piece : {16384u, static_cast<std::uint32_t>(item.data.size() + 1)}) {
        ZipResult r = 0;
        EXPECT_TRUE(ReadInPieces(ar.h, i, piece, &r) == item.data) << piece;
        EXPECT_EQ(r, kZipOk);
      }
    }
  }
}

TEST(ZipReader, IndexesAndNames) {
  OpenArchive ar(Write({{"Alpha.txt", Str("1")}, {"dir\\Beta.txt", Str("22")}}, nullptr), nullptr);
  ZipEntryInfo info{};
  EXPECT_EQ(GetZipEntry(ar.h, 2, &info), kZipBadArguments);
  EXPECT_EQ(GetZipEntry(ar.h, -2, &info), kZipBadArguments);
  EXPECT_EQ(GetZipEntry(ar.h, 1, &info), kZipOk);
  EXPECT_EQ(GetZipEntry(ar.h, 0, &info), kZipOk);  // walks back to the first
  EXPECT_STREQ(info.name, "Alpha.txt");
  char buf[4];
  EXPECT_EQ(UnzipEntryToMemory(ar.h, 2, buf, 4), kZipBadArguments);
  EXPECT_EQ(UnzipEntryToMemory(ar.h, 0, nullptr, 4), kZipBadArguments);
  EXPECT_EQ(GetZipEntry(nullptr, 0, &info), kZipBadArguments);

  int index = 7;
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

TEST(ZipReader, StoredNamesAreSanitisedAndExtractionPathsStayRelative) {
  const std::pair<const char*, const char*> names[] = {
      {"C:\\data\\x.txt", "data\\x.txt"}, {"/etc/a", "etc/a"}, {"a\\..\\b\\c", "b\\c"}, {"x/y/../z", "z"},
      {"\\\\server\\share\\f", "server\\share\\f"}, {"c:/d:/../../e", "e"}, {"plain.txt", "plain.txt"},
      {"../up", "../up"}};  // the last is left for the extraction check
  for (const auto& [stored, sanitised] : names) EXPECT_EQ(zip::SanitizeEntryName(stored), sanitised) << stored;
  using Paths = std::vector<std::string>;
  for (const auto& path : Paths{"a/b/c.txt", "a\\..b\\c..txt", std::string(259, 'n'), "CONSOLE.txt", "COM10", "com0",
                                "LPT", "x.con", "auxiliary/nul_file", "a/./b", "dir/"}) {
    EXPECT_TRUE(zip::IsSafeRelativePath(path)) << path;
  }
  // Windows device names in any component, with any extension or case, and
  // components that Windows would silently shorten.
  for (const auto& path : Paths{"", "../up", "a/../../up", "a\\..\\..\\up", "a/..", "/abs", "\\\\server\\share", "C:x",
                                "file.txt:stream", std::string(260, 'n'), "CON", "aux.txt", "dir/NUL", "Com1.log",
                                "x\\lpt9\\y", "PRN.tar.gz", "nul .txt", "COM\xB9", "conout$", "a.", "dir./f", "b ",
                                "dir /f"}) {
    EXPECT_FALSE(zip::IsSafeRelativePath(path)) << path;
  }
}

TEST(ZipReader, OpensArchivesWithCommentsAndPrependedBytes) {
  OpenArchive ar(BuildRaw({{"f.txt", Str("hello")}}, 1234, std::string(2000, 'c')), nullptr);
  ASSERT_NE(ar.h, nullptr);
  ZipResult r = 0;
  EXPECT_TRUE(ReadAll(ar.h, 0, &r) == Str("hello"));
  EXPECT_EQ(r, kZipOk);
  // The signature nearest the end is taken; one inside a comment makes the
  // archive unreadable rather than misread.
  std::string tricky(100, 'x');
  tricky.replace(10, 4, "PK\x05\x06");
  OpenArchive ar2(BuildRaw({{"g", Str("z")}}, 0, tricky), nullptr);
  EXPECT_EQ(ar2.h, nullptr);
}

TEST(ZipReader, AttributesAndTimesFromForeignHosts) {
  RawEntry unix_ro{"ro.txt", Str("r")}, unix_dir{"d/", {}}, dos_file{"h.txt", Str("h")};
  unix_ro.external = 0100444u << 16;
  unix_dir.external = (040755u << 16) | 0x10;
  dos_file.made_by = 0x0014;
  dos_file.external = 0x23;  // read-only, hidden, archive
  RawEntry ut_write_only{"u.txt", Str("u")}, ut_truncated{"t.txt", Str("t")};
  ut_write_only.local_extra = {0x55, 0x54, 5, 0, 1, 0x00, 0x00, 0x00, 0x60};  // flags 1, time 0x60000000
  // Flags claim three times, the block holds one: only that one is used.
  ut_truncated.local_extra = {0x0A, 0x00, 0, 0, 0x55, 0x54, 5, 0, 7, 0x10, 0x00, 0x00, 0x50};
  OpenArchive ar(BuildRaw({unix_ro, unix_dir, dos_file, ut_write_only, ut_truncated}), nullptr);
  ASSERT_NE(ar.h, nullptr);
  // The DOS fields: 0x57274A6E is 2023-09-07 09:19:28.
  EXPECT_EQ(zip::DosDateTimeToUnixUtc(kRawDos), 1694078368);
  const std::uint64_t dos = zip::UnixToFileTime(1694078368);
  const std::uint64_t t6 = zip::UnixToFileTime(0x60000000), t5 = zip::UnixToFileTime(0x50000010);
  // Attributes, then the write, access and creation times.
  const std::vector<std::uint64_t> expected[] = {{0x21, dos, dos, dos}, {0x30, dos, dos, dos}, {0x23, dos, dos, dos},
                                                 {0x20, t6, dos, dos},  {0x20, t5, dos, dos}};
  for (int i = 0; i < 5; ++i) {
    ZipEntryInfo info{};
    ASSERT_EQ(GetZipEntry(ar.h, i, &info), kZipOk);
    EXPECT_EQ((std::vector<std::uint64_t>{info.attributes, info.write_time, info.access_time, info.creation_time}),
              expected[i])
        << i;
  }
}

TEST(ZipReader, HostileArchivesFailSafely) {
  struct Lie {
    const char* what;
    std::optional<std::uint32_t> crc, usize, csize;
    ZipResult expect;
  };
  const Lie lies[] = {{"flipped CRC: the data reads, the end reports it", 0x12345678, {}, {}, kZipCorrupt},
                      {"declared sizes larger than the stored data", {}, 100, 100, kZipDataFailed},
                      {"stored entry with a compressed size below its size", {}, {}, 5, kZipDataFailed}};
  for (const Lie& lie : lies) {
    RawEntry e{"f.txt", Str("hello world")};
    e.crc = lie.crc;
    e.usize = lie.usize;
    e.csize = lie.csize;
    OpenArchive ar(BuildRaw({e}), nullptr);
    ZipResult r = 0;
    ReadAll(ar.h, 0, &r);
    EXPECT_EQ(r, lie.expect) << lie.what;
  }
  // A Deflate stream that ends before its declared size; one that claims less.
  const Bytes a = Write({{"t.txt", ziptest::TextBytes(50000, 12)}}, nullptr);
  const std::uint32_t size = 50000;
  for (std::uint32_t lie : {size + 10, size - 10}) {
    Bytes b = a;
    zip::PutLe32(&b[22], lie);
    const std::size_t c = b.size() - 22 - 46 - 5 - 9;
    ASSERT_EQ(zip::GetLe32(&b[c]), zip::kCentralHeaderSignature);
    zip::PutLe32(&b[c + 24], lie);
    OpenArchive ar(b, nullptr);
    Bytes out(lie + 100);
    std::uint32_t got = 0;
    EXPECT_NE(UnzipEntryToMemory(ar.h, 0, out.data(), static_cast<std::uint32_t>(out.size()), &got), kZipOk) << lie;
    EXPECT_LE(got, lie);
  }
  // Local header that disagrees with its central record.
  {
    Bytes b = a;
    b[8] = 0;  // method 0 locally, 8 centrally
    OpenArchive ar(b, nullptr);
    ZipEntryInfo info{};
    EXPECT_EQ(GetZipEntry(ar.h, 0, &info), kZipCorrupt);
    char buf[16];
    EXPECT_EQ(UnzipEntryToMemory(ar.h, 0, buf, 16), kZipDataFailed);
  }
  // More entries announced than recorded: stepping ends with an error.
  {
    Bytes b = BuildRaw({{"a", Str("1")}, {"b", Str("2")}});
    zip::PutLe16(&b[b.size() - 22 + 8], 900);
    zip::PutLe16(&b[b.size() - 22 + 10], 900);
    OpenArchive ar(b, nullptr);
    ASSERT_NE(ar.h, nullptr);
    ZipEntryInfo info{};
    EXPECT_EQ(GetZipEntry(ar.h, 1, &info), kZipOk);
    EXPECT_EQ(GetZipEntry(ar.h, 899, &info), kZipCorrupt);
    int index = 0;
    EXPECT_EQ(FindZipEntry(ar.h, "zzz", 0, &index, nullptr), kZipNameNotFound);
  }
  // Every truncation of an archive: no crash, no success with wrong data.
  const std::vector<Item> items = {{"t.txt", ziptest::TextBytes(3000, 1)}, {"s.gz", Str("stored")}};
  const Bytes whole = Write(items, "pw");
  for (std::size_t n = 0; n < whole.size(); ++n) {
    OpenArchive ar(Bytes(whole.begin(), whole.begin() + static_cast<long>(n)), "pw");
    for (int i = 0; ar.h && i < 2; ++i) {
      ZipResult r = 0;
      const Bytes back = ReadAll(ar.h, i, &r);
      EXPECT_TRUE(r != kZipOk || back == items[static_cast<std::size_t>(i)].data) << n;
    }
  }
}

TEST(ZipReader, WrongPasswordIsReportedAtTheFirstRead) {
  const Bytes a = Write({{"t.txt", ziptest::TextBytes(100000, 1)}, {"s.gz", Str("stored")}}, "right");
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

TEST(ZipReader, FileArchivesRoundTripThroughTheStdioBackEnd) {
  TempDir dir;
  zip::StdioZipPlatform platform;
  const fs::path root = dir.Path(), src = root / "source.txt";
  const Bytes data = ziptest::TextBytes(77777, 4);
  ASSERT_TRUE(test_support::WriteWholeFile(src, data));
  const std::string archive = (root / "a.zip").string();
  ZipHandle* w = CreateZipFileWith(platform, archive.c_str(), "pw");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(ZipAddFile(w, "folder\\copy.txt", src.string().c_str()), kZipOk);
  void* base = nullptr;
  std::uint32_t len = 0;
  EXPECT_EQ(GetZipMemory(w, &base, &len), kZipNotMemory);
  EXPECT_EQ(CloseZipWriter(w), kZipOk);

  ZipHandle* r = OpenZipFileWith(platform, archive.c_str(), "pw");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(SetUnzipBaseDir(r, (root / "out").string().c_str()), kZipOk);
  ZipEntryInfo info{};
  ASSERT_EQ(GetZipEntry(r, 0, &info), kZipOk);
  struct stat st {};
  ASSERT_EQ(stat(src.string().c_str(), &st), 0);
  EXPECT_EQ(info.write_time, zip::UnixToFileTime(st.st_mtime));
  EXPECT_EQ(info.attributes & kZipAttrReadOnly, 0u);
  EXPECT_EQ(UnzipEntryToFile(r, 0, info.name), kZipOk);
  EXPECT_TRUE(test_support::ReadWholeFile<Bytes>(root / "out" / "folder" / "copy.txt") == data);
  EXPECT_EQ(CloseZip(r), kZipOk);

  ZipResult e = 0;
  for (const fs::path& not_archive : {root / "missing.zip", src}) {
    EXPECT_EQ(OpenZipFileWith(platform, not_archive.string().c_str(), nullptr, &e), nullptr);
    EXPECT_EQ(e, kZipNotFound);
  }
}

}  // namespace

zip::ZipPlatform& ziptest::BackEnd() {
  static zip::StdioZipPlatform platform;
  return platform;
}
