// Extraction below a base folder through the platform interface: the test
// programs of both back-ends hold these cases and run them on their own
// (ziptest::BackEnd()).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "zip/tests/test_util.h"
#include "zip/zip.h"

namespace fs = std::filesystem;

namespace {

using ziptest::BackEnd;
using ziptest::Bytes;
using ziptest::Listing;
using ziptest::RawEntry;
using ziptest::Str;
using test_support::ReadWholeFile;
using test_support::TempDir;

// An archive file written by the back-end.
std::string Written(const fs::path& path, const std::vector<std::pair<std::string, Bytes>>& entries,
                    const char* password) {
  ZipHandle* w = CreateZipFileWith(BackEnd(), path.string().c_str(), password);
  EXPECT_NE(w, nullptr) << path;
  for (const auto& [name, data] : entries) {
    EXPECT_EQ(ZipAddBuffer(w, name.c_str(), data.data(), static_cast<std::uint32_t>(data.size())), kZipOk) << name;
  }
  EXPECT_EQ(CloseZipWriter(w), kZipOk);
  return path.string();
}

// A hand-made archive file.
std::string Raw(const fs::path& path, const std::vector<RawEntry>& entries) {
  EXPECT_TRUE(test_support::WriteWholeFile(path.string(), ziptest::BuildRaw(entries))) << path;
  return path.string();
}

// A reader of an archive file that extracts below base.
class Extractor {
 public:
  Extractor(const std::string& archive, const char* password, const fs::path& base)
      : h_(OpenZipFileWith(BackEnd(), archive.c_str(), password)) {
    if (h_ != nullptr) based_ = SetUnzipBaseDir(h_, base.string().c_str()) == kZipOk;
  }
  ~Extractor() {
    if (h_ != nullptr) CloseZip(h_);
  }
  Extractor(const Extractor&) = delete;
  Extractor& operator=(const Extractor&) = delete;

  [[nodiscard]] bool Ready() const { return based_; }
  [[nodiscard]] ZipEntryInfo Info(int index) {
    ZipEntryInfo info{};
    EXPECT_EQ(GetZipEntry(h_, index, &info), kZipOk) << index;
    return info;
  }
  [[nodiscard]] std::string Name(int index) { return Info(index).name; }
  [[nodiscard]] ZipResult To(int index, const std::string& path) { return UnzipEntryToFile(h_, index, path.c_str()); }
  // Under the name it is listed with.
  [[nodiscard]] ZipResult AsListed(int index) { return To(index, Name(index)); }

 private:
  ZipHandle* h_;
  bool based_ = false;
};

TEST(ZipExtraction, FilesAndFoldersLandBelowTheBaseFolderOnly) {
  TempDir dir;
  const fs::path root = dir.Path();
  const fs::path base = root / "base";
  RawEntry folder{"data/", {}}, deep{"data/sub/f.txt", Str("deep")}, up{"../escape.txt", Str("x")};
  RawEntry drive{"C:\\..\\..\\win.txt", Str("y")}, bad_crc{"bad.txt", Str("corrupt")};
  RawEntry long_name{std::string(270, 'n'), Str("l")};
  folder.external = (040755u << 16) | 0x10;
  bad_crc.crc = 1;
  Extractor raw(Raw(root / "raw.zip", {folder, deep, up, drive, bad_crc, long_name}), nullptr, base);
  ASSERT_TRUE(raw.Ready());

  EXPECT_EQ(raw.AsListed(0), kZipOk);
  EXPECT_TRUE(fs::is_directory(base / "data"));
  EXPECT_TRUE(fs::is_empty(base / "data"));
  EXPECT_EQ(raw.AsListed(1), kZipOk);
  EXPECT_EQ(ReadWholeFile((base / "data" / "sub" / "f.txt").string()), "deep");
  EXPECT_EQ(raw.Name(2), "../escape.txt");
  EXPECT_EQ(raw.AsListed(2), kZipBadArguments);
  EXPECT_EQ(raw.Name(3), "win.txt");  // sanitised: drive and climb removed
  // A failed extraction leaves no file behind.
  EXPECT_EQ(raw.AsListed(4), kZipCorrupt);
  EXPECT_FALSE(fs::exists(base / "bad.txt"));
  // A name of 260 characters or more is listed empty and not extracted.
  EXPECT_EQ(raw.Name(5), "");
  EXPECT_EQ(raw.AsListed(5), kZipBadArguments);
  // Whatever the caller asks for: climbs, rooted and drive paths, and the
  // base folder plus the name beyond 259 characters.
  for (const std::string& path : {std::string("sub\\..\\..\\escape.txt"), std::string("/tmp/absolute.txt"),
                                  std::string("C:\\x.txt"), std::string("C:\\windows\\evil.txt"),
                                  std::string(250, 'm')}) {
    EXPECT_EQ(raw.To(1, path), kZipBadArguments) << path;
  }

  // The writer stores a drive-less name; a climb is kept for extraction to
  // refuse.
  const std::string written =
      Written(root / "w.zip",
              {{"..\\escape.txt", Str("bad")}, {"C:\\windows\\evil.txt", Str("bad")}, {"sub\\good.txt", Str("good")}},
              "pw");
  Extractor encrypted(written, "pw", base);
  ASSERT_TRUE(encrypted.Ready());
  EXPECT_EQ(encrypted.Name(0), "../escape.txt");
  EXPECT_EQ(encrypted.AsListed(0), kZipBadArguments);
  EXPECT_EQ(encrypted.Name(1), "windows/evil.txt");
  EXPECT_EQ(encrypted.AsListed(1), kZipOk);
  EXPECT_TRUE(fs::exists(base / "windows" / "evil.txt"));
  EXPECT_EQ(encrypted.AsListed(2), kZipOk);
  EXPECT_EQ(ReadWholeFile((base / "sub" / "good.txt").string()), "good");
  EXPECT_FALSE(fs::exists(root / "escape.txt"));

  // A wrong password leaves no partial file.
  Extractor wrong(written, "wrong", root / "out2");
  ASSERT_TRUE(wrong.Ready());
  EXPECT_NE(wrong.To(2, "sub\\good.txt"), kZipOk);
  EXPECT_FALSE(fs::exists(root / "out2" / "sub" / "good.txt"));
}

TEST(ZipExtraction, AFailedExtractionKeepsTheFileAtTheTarget) {
  TempDir dir;
  const fs::path root = dir.Path();
  const fs::path out = root / "out";
  const Bytes text = ziptest::TextBytes(20000, 3);
  const std::string good = Written(root / "a.zip", {{"t.gz", text}, {"t.txt", text}}, "pw");  // stored, Deflate
  // One flipped byte each, past the encryption header: the stored entry's
  // CRC-32 no longer matches, the Deflate stream is damaged.
  const fs::path damaged = root / "damaged.zip";
  ASSERT_TRUE(fs::copy_file(good, damaged));
  ASSERT_TRUE(test_support::DamageEntry(damaged.string(), "t.gz", 12 + 100));
  ASSERT_TRUE(test_support::DamageEntry(damaged.string(), "t.txt", 12 + 10));
  RawEntry bad_crc{"t.txt", Str("new contents")}, cut{"t.txt", Str("new contents")};
  bad_crc.crc = 1;
  cut.csize = 5;  // stored data ends before its size
  const struct {
    const char* what;
    std::string archive;
    const char* password;
    int index;
  } failures[] = {{"wrong password", good, "wrong", 1},
                  {"stored data damaged", damaged.string(), "pw", 0},
                  {"Deflate stream damaged", damaged.string(), "pw", 1},
                  {"CRC mismatch", Raw(root / "crc.zip", {bad_crc}), nullptr, 0},
                  {"data cut short", Raw(root / "cut.zip", {cut}), nullptr, 0}};
  const Bytes old = Str("the file that was there before");
  ASSERT_TRUE(fs::create_directories(out));
  ASSERT_TRUE(test_support::WriteWholeFile((out / "t").string(), old));
  for (const auto& f : failures) {
    Extractor x(f.archive, f.password, out);
    ASSERT_TRUE(x.Ready()) << f.what;
    EXPECT_NE(x.To(f.index, "t"), kZipOk) << f.what;
    EXPECT_TRUE(ReadWholeFile<Bytes>((out / "t").string()) == old) << f.what;
    EXPECT_EQ(Listing(out), std::vector<std::string>{"t"}) << f.what;  // no temporary left
  }
  Extractor x(good, "pw", out);
  EXPECT_EQ(x.To(1, "t"), kZipOk);
  EXPECT_TRUE(ReadWholeFile<Bytes>((out / "t").string()) == text);
  EXPECT_EQ(Listing(out), std::vector<std::string>{"t"});
}

TEST(ZipExtraction, NamesEndingInASeparatorAreFoldersWhateverTheirAttributes) {
  TempDir dir;
  const fs::path root = dir.Path();
  // Attributes 0 from a Unix and from a DOS host and from our writer; a
  // folder whose place a file has taken.
  RawEntry unix_zero{"u/", {}}, dos_zero{"d\\", {}}, taken{"taken/", {}};
  unix_zero.external = dos_zero.external = taken.external = 0;
  dos_zero.made_by = 0x0014;
  ASSERT_TRUE(test_support::WriteWholeFile((root / "taken").string(), "a file"));
  Extractor raw(Raw(root / "raw.zip", {unix_zero, dos_zero, taken}), nullptr, root);
  Extractor written(Written(root / "w.zip", {{"w/", Str("x")}}, nullptr), nullptr, root);
  ASSERT_TRUE(raw.Ready());
  ASSERT_TRUE(written.Ready());
  for (const auto& [x, index] : {std::pair{&raw, 0}, {&raw, 1}, {&written, 0}}) {
    const ZipEntryInfo info = x->Info(index);
    EXPECT_NE(info.attributes & kZipAttrDirectory, 0u) << info.name;
    // Made, then already there: both succeed.
    EXPECT_EQ(x->AsListed(index), kZipOk) << info.name;
    EXPECT_EQ(x->AsListed(index), kZipOk) << info.name;
  }
  EXPECT_EQ(written.Info(0).attributes, static_cast<std::uint32_t>(kZipAttrDirectory));
  for (const char* folder : {"u", "d", "w"}) EXPECT_TRUE(fs::is_directory(root / folder)) << folder;
  for (const char* path : {"taken/", "taken\\"}) EXPECT_EQ(raw.To(2, path), kZipNotFound) << path;
  EXPECT_EQ(ReadWholeFile((root / "taken").string()), "a file");
}

}  // namespace
