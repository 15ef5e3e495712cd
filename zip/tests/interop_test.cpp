// Archives written here must pass other readers' checks, and archives
// written by other tools must read here. The external programs' exit codes
// decide: a rejected archive fails the test.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "zip/tests/test_util.h"

namespace fs = std::filesystem;

namespace {

using ziptest::Bytes;
using test_support::ReadWholeFile;
using test_support::WriteWholeFile;

class Interop : public ::testing::Test {
 protected:
  static int Run(const std::string& command) {
    const int status = std::system(("( " + command + " ) >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Reads every entry of an archive here and compares it with the files
  // below folder (names as stored). Directories must be flagged as such.
  void ExpectReadsLike(const std::string& archive, const fs::path& folder, const char* password, int entries) {
    ZipHandle* r = OpenZipFileWith(platform_, archive.c_str(), password);
    ASSERT_NE(r, nullptr) << archive;
    ZipEntryInfo info{};
    ASSERT_EQ(GetZipEntry(r, -1, &info), kZipOk);
    ASSERT_EQ(info.index, entries);
    for (int i = 0; i < entries; ++i) {
      ASSERT_EQ(GetZipEntry(r, i, &info), kZipOk);
      const fs::path expected = folder / info.name;
      if (fs::is_directory(expected)) {
        EXPECT_TRUE(info.attributes & kZipAttrDirectory) << info.name;
        continue;
      }
      const Bytes want = ReadWholeFile<Bytes>(expected);
      Bytes got(want.size() + 1);
      std::uint32_t n = 0;
      EXPECT_EQ(UnzipEntryToMemory(r, i, got.data(), static_cast<std::uint32_t>(got.size()), &n), kZipOk) << info.name;
      got.resize(n);
      EXPECT_TRUE(got == want) << info.name;
    }
    EXPECT_EQ(CloseZip(r), kZipOk);
  }

  test_support::TempDir tmp_;
  const fs::path dir_ = tmp_.Path();
  zip::StdioZipPlatform platform_;
};

// Python's zipfile reads every entry (comparing it with expected/<name>) and
// tests the whole archive.
const char* kPythonCheck = R"(
import sys, zipfile, os
path, expected, pw = sys.argv[1], sys.argv[2], sys.argv[3]
z = zipfile.ZipFile(path)
if pw: z.setpassword(pw.encode())
assert len(z.namelist()) == 5, z.namelist()
for n in z.namelist():
    assert '\\' not in n and z.read(n) == open(os.path.join(expected, n), 'rb').read(), n
assert z.testzip() is None
)";

TEST_F(Interop, OurArchivesPassPythonUnzipAndZipinfo) {
  WriteWholeFile(dir_ / "check.py", kPythonCheck);
  const std::vector<std::pair<std::string, Bytes>> entries = {
      {"empty-ish.txt", Bytes{'x'}},
      {"docs\\readme.txt", ziptest::TextBytes(70000, 1)},
      {"docs\\deeper\\noise.bin", ziptest::RandomBytes(40000, 2)},
      {"kept.zip", ziptest::RandomBytes(5000, 3)},
      {"big.log", ziptest::TextBytes(2 << 20, 4)}};
  for (const char* password : {static_cast<const char*>(nullptr), "QmoTrvHE52b18k"}) {
    const std::string archive = Path(password ? "enc.zip" : "plain.zip");
    const std::string pw = password ? password : "", dash_p = password ? "-P " + pw + " " : "";
    ZipHandle* h = CreateZipFileWith(platform_, archive.c_str(), password);
    ASSERT_NE(h, nullptr);
    for (const auto& [name, data] : entries) {
      EXPECT_EQ(ZipAddBuffer(h, name.c_str(), data.data(), static_cast<std::uint32_t>(data.size())), kZipOk);
      const fs::path expected = dir_ / "expected" / zip::ToHostPath(name);
      fs::create_directories(expected.parent_path());
      WriteWholeFile(expected, data);
    }
    EXPECT_EQ(CloseZipWriter(h), kZipOk);
    EXPECT_EQ(Run("python3 " + Path("check.py") + " " + archive + " " + Path("expected") + " '" + pw + "'"), 0);
    EXPECT_EQ(Run("unzip -t " + dash_p + archive), 0) << archive;
    EXPECT_EQ(Run("zipinfo -v " + archive), 0) << archive;
    // Info-ZIP's own extraction compares the data with the stored CRCs.
    const std::string out = archive + ".out";
    EXPECT_EQ(Run("unzip -o " + dash_p + archive + " -d " + out), 0) << archive;
    EXPECT_TRUE(ReadWholeFile<Bytes>(out + "/docs/readme.txt") == entries[1].second);
  }
  // The checks do reject a damaged archive.
  Bytes b = ReadWholeFile<Bytes>(Path("plain.zip"));
  b[30 + 13 + 17] ^= 0x55;  // first data byte of the first entry
  WriteWholeFile(Path("plain.zip"), b);
  EXPECT_NE(Run("unzip -t " + Path("plain.zip")), 0);
}

TEST_F(Interop, ReadsArchivesMadeByPython) {
  // Deflated, stored and empty files, a directory, a long comment, and a
  // copy behind a script prefix.
  const std::string script = R"(
import sys, zipfile, os
root = sys.argv[1]
src = os.path.join(root, 'src')
os.makedirs(os.path.join(src, 'sub', 'empty'), exist_ok=True)
for name, data in (('a.txt', b'alpha ' * 5000), ('sub/b.bin', os.urandom(30000)), ('c.txt', b'')):
    open(os.path.join(src, name), 'wb').write(data)
out = os.path.join(root, 'py.zip')
with zipfile.ZipFile(out, 'w') as z:
    z.comment = b'c' * 2000
    z.write(os.path.join(src, 'a.txt'), 'a.txt', compress_type=zipfile.ZIP_DEFLATED)
    z.write(os.path.join(src, 'sub', 'b.bin'), 'sub/b.bin', compress_type=zipfile.ZIP_STORED)
    z.write(os.path.join(src, 'c.txt'), 'c.txt', compress_type=zipfile.ZIP_DEFLATED)
    z.write(os.path.join(src, 'sub', 'empty'), 'sub/empty/')
open(os.path.join(root, 'prefixed.zip'), 'wb').write(b'#!/bin/sh\nexit 0\n' + b'\0' * 5000 + open(out, 'rb').read())
)";
  WriteWholeFile(dir_ / "make.py", script);
  ASSERT_EQ(Run("python3 " + Path("make.py") + " " + dir_.string()), 0);
  ExpectReadsLike(Path("py.zip"), dir_ / "src", nullptr, 4);
  ExpectReadsLike(Path("prefixed.zip"), dir_ / "src", nullptr, 4);
}

TEST_F(Interop, ExtractsPythonFolderEntriesWithoutAttributes) {
  // ZipInfo entries written with writestr keep attributes 0, as many tools
  // write their folder entries.
  const std::string script = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr(zipfile.ZipInfo('dir/'), b'')
    z.writestr(zipfile.ZipInfo('dir/sub/'), b'')
    z.writestr(zipfile.ZipInfo('dir/sub/f.txt'), b'inside')
)";
  WriteWholeFile(dir_ / "make.py", script);
  ASSERT_EQ(Run("python3 " + Path("make.py") + " " + Path("folders.zip")), 0);
  ZipHandle* r = OpenZipFileWith(platform_, Path("folders.zip").c_str(), nullptr);
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(SetUnzipBaseDir(r, Path("out").c_str()), kZipOk);
  // The second pass finds every folder there already.
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < 3; ++i) {
      ZipEntryInfo info{};
      ASSERT_EQ(GetZipEntry(r, i, &info), kZipOk);
      EXPECT_EQ(UnzipEntryToFile(r, i, info.name), kZipOk) << info.name << " pass " << pass;
    }
  }
  EXPECT_TRUE(fs::is_directory(dir_ / "out" / "dir" / "sub"));
  EXPECT_EQ(ReadWholeFile(dir_ / "out" / "dir" / "sub" / "f.txt"), "inside");
  EXPECT_EQ(CloseZip(r), kZipOk);
}

TEST_F(Interop, ReadsArchivesMadeByInfoZip) {
  fs::create_directories(dir_ / "src" / "d" / "e");
  WriteWholeFile(dir_ / "src" / "t.txt", ziptest::TextBytes(100000, 9));
  WriteWholeFile(dir_ / "src" / "d" / "r.bin", ziptest::RandomBytes(20000, 10));
  WriteWholeFile(dir_ / "src" / "d" / "e" / "z.txt", Bytes{});
  // Info-ZIP writes "UT" and "ux" extra fields, directory entries and,
  // with -P, traditional encryption with its own check-byte choice.
  ASSERT_EQ(Run("cd " + (dir_ / "src").string() + " && zip -r ../iz.zip . && zip -r -P s3cret ../izenc.zip . "
                "&& echo 'archive comment' | zip -z ../iz.zip"),
            0);
  ExpectReadsLike(Path("iz.zip"), dir_ / "src", nullptr, 5);
  ExpectReadsLike(Path("izenc.zip"), dir_ / "src", "s3cret", 5);

  // The wrong password is refused.
  ZipHandle* r = OpenZipFileWith(platform_, Path("izenc.zip").c_str(), "wrong");
  ASSERT_NE(r, nullptr);
  int index = -1;
  ASSERT_EQ(FindZipEntry(r, "t.txt", 0, &index, nullptr), kZipOk);
  Bytes buf(200000);
  EXPECT_NE(UnzipEntryToMemory(r, index, buf.data(), static_cast<std::uint32_t>(buf.size())), kZipOk);
  CloseZip(r);
}

}  // namespace
