// Archives written here must pass other readers' checks, and archives
// written by other tools must read here. The external programs' exit codes
// decide: a rejected archive fails the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "zip/stdio_platform.h"
#include "zip/tests/test_util.h"
#include "zip/zip.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

class Interop : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("zipinterop_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  static int Run(const std::string& command) {
    const int status = std::system(("( " + command + " ) >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void Save(const fs::path& p, const Bytes& data) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                             static_cast<std::streamsize>(data.size()));
  }
  static Bytes Load(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Writes an archive of the given entries (their data also saved under
  // expected/<name>) and returns its path.
  std::string MakeArchive(const std::string& file, const std::vector<std::pair<std::string, Bytes>>& entries,
                          const char* password) {
    const std::string path = Path(file);
    ZipHandle* h = CreateZipFileWith(platform_, path.c_str(), password);
    EXPECT_NE(h, nullptr);
    for (const auto& e : entries) {
      EXPECT_EQ(ZipAddBuffer(h, e.first.c_str(), e.second.data(), static_cast<std::uint32_t>(e.second.size())),
                kZipOk);
      std::string stored = e.first;
      for (char& c : stored) c = c == '\\' ? '/' : c;
      Save(dir_ / "expected" / stored, e.second);
    }
    EXPECT_EQ(CloseZipWriter(h), kZipOk);
    return path;
  }

  // Reads every entry of an archive here and compares it with the files
  // below folder (names as stored). Directories must be flagged as such.
  void ExpectReadsLike(const std::string& archive, const fs::path& folder, const char* password,
                       int expected_entries) {
    ZipHandle* r = OpenZipFileWith(platform_, archive.c_str(), password);
    ASSERT_NE(r, nullptr) << archive;
    ZipEntryInfo count{};
    ASSERT_EQ(GetZipEntry(r, -1, &count), kZipOk);
    EXPECT_EQ(count.index, expected_entries);
    for (int i = 0; i < count.index; ++i) {
      ZipEntryInfo info{};
      ASSERT_EQ(GetZipEntry(r, i, &info), kZipOk);
      const fs::path expected = folder / info.name;
      if (fs::is_directory(expected)) {
        EXPECT_TRUE(info.attributes & kZipAttrDirectory) << info.name;
        continue;
      }
      const Bytes want = Load(expected);
      Bytes got(want.size() + 1);
      std::uint32_t n = 0;
      EXPECT_EQ(UnzipEntryToMemory(r, i, got.data(), static_cast<std::uint32_t>(got.size()), &n), kZipOk)
          << info.name;
      got.resize(n);
      EXPECT_TRUE(got == want) << info.name;
    }
    EXPECT_EQ(CloseZip(r), kZipOk);
  }

  fs::path dir_;
  zip::StdioZipPlatform platform_;
};

std::vector<std::pair<std::string, Bytes>> SampleEntries() {
  return {{"empty-ish.txt", Bytes{'x'}},
          {"docs\\readme.txt", ziptest::TextBytes(70000, 1)},
          {"docs\\deeper\\noise.bin", ziptest::RandomBytes(40000, 2)},
          {"kept.zip", ziptest::RandomBytes(5000, 3)},
          {"big.log", ziptest::TextBytes(2 << 20, 4)}};
}

const char* kPythonCheck = R"(
import sys, zipfile, os
path, expected, pw = sys.argv[1], sys.argv[2], sys.argv[3]
z = zipfile.ZipFile(path)
if pw:
    z.setpassword(pw.encode())
names = z.namelist()
assert len(names) == 5, names
for n in names:
    data = z.read(n)
    with open(os.path.join(expected, n), 'rb') as f:
        assert data == f.read(), n
    info = z.getinfo(n)
    assert ('\\' not in n), n
assert z.testzip() is None
)";

TEST_F(Interop, OurArchivesPassPythonUnzipAndZipinfo) {
  Save(dir_ / "check.py", Bytes(kPythonCheck, kPythonCheck + std::strlen(kPythonCheck)));
  for (const char* password : {static_cast<const char*>(nullptr), "QmoTrvHE52b18k"}) {
    const std::string archive = MakeArchive(password ? "enc.zip" : "plain.zip", SampleEntries(), password);
    const std::string pw = password ? password : "";
    EXPECT_EQ(Run("python3 " + Path("check.py") + " " + archive + " " + Path("expected") + " '" + pw + "'"), 0)
        << archive;
    EXPECT_EQ(Run("unzip -t " + (password ? "-P " + pw + " " : std::string()) + archive), 0) << archive;
    EXPECT_EQ(Run("zipinfo -v " + archive), 0) << archive;
    // Info-ZIP's own extraction compares the data with the stored CRCs.
    const std::string out = Path(password ? "unz_enc" : "unz_plain");
    EXPECT_EQ(Run("unzip -o " + (password ? "-P " + pw + " " : std::string()) + archive + " -d " + out), 0);
    EXPECT_TRUE(Load(fs::path(out) / "docs" / "readme.txt") == SampleEntries()[1].second);
  }
  // The checks do reject a damaged archive.
  const std::string archive = Path("plain.zip");
  Bytes b = Load(archive);
  b[30 + 13 + 17] ^= 0x55;  // first data byte of the first entry
  Save(archive, b);
  EXPECT_NE(Run("unzip -t " + archive), 0);
}

TEST_F(Interop, ReadsArchivesMadeByPython) {
  const std::string script = R"(
import sys, zipfile, os
root = sys.argv[1]
src = os.path.join(root, 'src')
os.makedirs(os.path.join(src, 'sub', 'empty'), exist_ok=True)
with open(os.path.join(src, 'a.txt'), 'wb') as f: f.write(b'alpha ' * 5000)
with open(os.path.join(src, 'sub', 'b.bin'), 'wb') as f: f.write(os.urandom(30000))
with open(os.path.join(src, 'c.txt'), 'wb') as f: f.write(b'')
out = os.path.join(root, 'py.zip')
with zipfile.ZipFile(out, 'w') as z:
    z.comment = b'c' * 2000
    z.write(os.path.join(src, 'a.txt'), 'a.txt', compress_type=zipfile.ZIP_DEFLATED)
    z.write(os.path.join(src, 'sub', 'b.bin'), 'sub/b.bin', compress_type=zipfile.ZIP_STORED)
    z.write(os.path.join(src, 'c.txt'), 'c.txt', compress_type=zipfile.ZIP_DEFLATED)
    z.write(os.path.join(src, 'sub', 'empty'), 'sub/empty/')
data = open(out, 'rb').read()
with open(os.path.join(root, 'prefixed.zip'), 'wb') as f:
    f.write(b'#!/bin/sh\nexit 0\n' + b'\0' * 5000 + data)
)";
  Save(dir_ / "make.py", Bytes(script.begin(), script.end()));
  ASSERT_EQ(Run("python3 " + Path("make.py") + " " + dir_.string()), 0);
  ExpectReadsLike(Path("py.zip"), dir_ / "src", nullptr, 4);
  ExpectReadsLike(Path("prefixed.zip"), dir_ / "src", nullptr, 4);
}

TEST_F(Interop, ReadsArchivesMadeByInfoZip) {
  Save(dir_ / "src" / "t.txt", ziptest::TextBytes(100000, 9));
  Save(dir_ / "src" / "d" / "r.bin", ziptest::RandomBytes(20000, 10));
  Save(dir_ / "src" / "d" / "e" / "z.txt", Bytes{});
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
