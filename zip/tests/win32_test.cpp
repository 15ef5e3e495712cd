// The Win32 back-end under Wine: files through CreateFileA, memory archives
// in a paging-file mapping, extraction below a base folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/win32/win_test_support.h"
#include "zip/tests/test_util.h"
#include "zip/win32/zip_win32.h"
#include "zip/zip_format.h"

namespace {

using test_support::ReadWholeFile;
using test_support::TempDir;
using test_support::WriteWholeFile;

// The entry's data, or "<failed>".
std::string Read(ZipHandle* r, int index) {
  ZipEntryInfo info{};
  std::string out(GetZipEntry(r, index, &info) == kZipOk ? info.uncompressed_size + 1 : 0, '\0');
  std::uint32_t got = 0;
  if (out.empty() || UnzipEntryToMemory(r, index, &out[0], static_cast<std::uint32_t>(out.size()), &got) != kZipOk) {
    return "<failed>";
  }
  return out.substr(0, got);
}

TEST(ZipWin32, FileArchiveRoundTrip) {
  TempDir dir;
  const std::string source = dir / "source.txt", archive = dir / "a.zip";
  std::string text;
  while (text.size() < 100000) text += "scroll the window by dragging\r\n";
  ASSERT_TRUE(WriteWholeFile(source, text));
  const std::string self = test_support::ProgramPath();

  ZipHandle* w = CreateZipFile(archive.c_str(), nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(ZipAddFile(w, "docs\\source.txt", source.c_str()), kZipOk);
  EXPECT_EQ(ZipAddFile(w, "self.exe", self.c_str()), kZipOk);
  EXPECT_EQ(ZipAddBuffer(w, "note.txt", "hello", 5), kZipOk);
  EXPECT_EQ(ZipAddFile(w, "missing", (dir / "nope").c_str()), kZipNotFound);
  EXPECT_EQ(CloseZipWriter(w), kZipOk);

  ZipHandle* r = OpenZipFile(archive.c_str(), nullptr);
  ASSERT_NE(r, nullptr);
  ZipEntryInfo info{};
  ASSERT_EQ(GetZipEntry(r, -1, &info), kZipOk);
  EXPECT_EQ(info.index, 3);
  ASSERT_EQ(GetZipEntry(r, 0, &info), kZipOk);
  EXPECT_STREQ(info.name, "docs/source.txt");
  EXPECT_EQ(info.attributes & kZipAttrDirectory, 0u);
  // The write time comes from the "UT" block: the file's own, to the second.
  WIN32_FILE_ATTRIBUTE_DATA fad;
  ASSERT_TRUE(GetFileAttributesExA(source.c_str(), GetFileExInfoStandard, &fad));
  const std::uint64_t mtime = (static_cast<std::uint64_t>(fad.ftLastWriteTime.dwHighDateTime) << 32) |
                              fad.ftLastWriteTime.dwLowDateTime;
  EXPECT_EQ(info.write_time / 10000000, mtime / 10000000);
  EXPECT_TRUE(Read(r, 0) == text);
  EXPECT_TRUE(Read(r, 1) == ReadWholeFile(self));
  EXPECT_EQ(Read(r, 2), "hello");
  EXPECT_EQ(CloseZip(r), kZipOk);

  // The program's own file is recognised as a Windows executable: owner
  // execute in the Unix mode of its external attributes.
  const std::string a = ReadWholeFile(archive);
  const auto* p = reinterpret_cast<const std::uint8_t*>(a.data());
  const std::size_t first = zip::GetLe32(p + a.size() - 22 + 16);
  const std::size_t second = first + 46 + zip::GetLe16(p + first + 28) + zip::GetLe16(p + first + 30);
  EXPECT_EQ(zip::GetLe32(p + first + 38) & 0x00400000u, 0u);
  EXPECT_EQ(zip::GetLe32(p + second + 38) & 0x00400000u, 0x00400000u);

  EXPECT_EQ(CreateZipFile((dir / "no\\such\\folder\\x.zip").c_str(), nullptr), nullptr);
}

TEST(ZipWin32, MemoryArchiveRoundTripAndCapacity) {
  const char* const password = "QmoTrvHE52b18k";
  const std::string text = "bTrayIcon=1";
  auto options_archive = [&](void* block, std::uint32_t size) {
    ZipHandle* w = CreateZipInMemory(block, size, password);
    EXPECT_EQ(ZipAddBuffer(w, "1", text.data(), static_cast<std::uint32_t>(text.size())), kZipOk);
    return w;
  };
  EXPECT_EQ(CreateZipInMemory(nullptr, 0, nullptr), nullptr);
  ZipHandle* w = options_archive(nullptr, 1 << 20);
  ASSERT_NE(w, nullptr);
  void* base = nullptr;
  std::uint32_t len = 0;
  ASSERT_EQ(GetZipMemory(w, &base, &len), kZipOk);
  ASSERT_NE(base, nullptr);
  TempDir dir;
  ASSERT_TRUE(WriteWholeFile(dir / "Options.oqc", std::string(static_cast<const char*>(base), len)));
  EXPECT_EQ(ZipAddBuffer(w, "2", "x", 1), kZipFinished);
  EXPECT_EQ(CloseZipWriter(w), kZipOk);

  ZipHandle* r = OpenZipFile((dir / "Options.oqc").c_str(), password);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(Read(r, 0), text);
  CloseZip(r);

  // Caller block: a block of size s takes an archive of s - 1 bytes at most.
  std::string block(len + 1, '\0');
  EXPECT_EQ(CloseZipWriter(options_archive(&block[0], len)), kZipWriteFailed);
  EXPECT_EQ(CloseZipWriter(options_archive(&block[0], len + 1)), kZipOk);
}

// The paths that Windows alone reads as another computer's share or as a
// device are no targets (the other cases of extraction are in
// extraction_test.cpp).
TEST(ZipWin32, UncPathsAndDeviceNamesAreNoExtractionTargets) {
  TempDir dir;
  const std::string archive = dir / "a.zip";
  ZipHandle* w = CreateZipFile(archive.c_str(), nullptr);
  ASSERT_EQ(ZipAddBuffer(w, "t.txt", "text", 4), kZipOk);
  ASSERT_EQ(CloseZipWriter(w), kZipOk);
  ZipHandle* r = OpenZipFile(archive.c_str(), nullptr);
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(SetUnzipBaseDir(r, (dir / "out").c_str()), kZipOk);
  for (const char* path : {"\\\\server\\share\\evil.txt", "dir\\Aux.txt"}) {
    EXPECT_EQ(UnzipEntryToFile(r, 0, path), kZipBadArguments) << path;
  }
  CloseZip(r);
}

// Readers of the extraction's target: another program's, which lets it go a
// moment later or only after the extraction, and ours, whichever way they
// opened it. Ours share everything, so a handle that may delete or rename
// the file keeps none of them out either.
TEST(ZipWin32, ExtractionWaitsForReadersOfItsTargetAndOurReadersShareEverything) {
  using test_support::OpenExisting;
  using test_support::ReleasedAfter;
  TempDir dir;
  const std::string archive = dir / "a.zip", target = dir / "t";
  ZipHandle* w = CreateZipFile(archive.c_str(), nullptr);
  ASSERT_EQ(ZipAddBuffer(w, "t", "new", 3), kZipOk);
  ASSERT_EQ(CloseZipWriter(w), kZipOk);
  zip::ZipPlatform& platform = zip::Win32ZipPlatform();
  enum class Reader { kOtherProgram, kArchiveReader, kSourceReader };
  const struct {
    Reader reader;
    DWORD releaseAfter;
    ZipResult result;
  } cases[] = {{Reader::kOtherProgram, 300, kZipOk},
               {Reader::kOtherProgram, INFINITE, kZipWriteFailed},
               {Reader::kArchiveReader, 300, kZipOk},
               {Reader::kSourceReader, 300, kZipOk}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.reader));
    ASSERT_TRUE(WriteWholeFile(target, "old"));
    ZipHandle* r = OpenZipFile(archive.c_str(), nullptr);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(SetUnzipBaseDir(r, dir.Path().c_str()), kZipOk);
    {
      zip::SourceInfo info{};
      ReleasedAfter other(c.reader == Reader::kOtherProgram ? OpenExisting(target, test_support::kIndexerSharing)
                                                            : CFileHandle(),
                          c.releaseAfter);
      ReleasedAfter archiveReader(
          c.reader == Reader::kArchiveReader ? platform.OpenArchiveFile(target.c_str()) : nullptr, c.releaseAfter);
      ReleasedAfter sourceReader(
          c.reader == Reader::kSourceReader ? platform.OpenSourceFile(target.c_str(), &info, nullptr) : nullptr,
          c.releaseAfter);
      ASSERT_TRUE(other.Holding() || archiveReader.Holding() || sourceReader.Holding());
      EXPECT_EQ(UnzipEntryToFile(r, 0, "t"), c.result);
    }
    CloseZip(r);
    EXPECT_EQ(ReadWholeFile(target), c.result == kZipOk ? "new" : "old");
    EXPECT_EQ(ziptest::Listing(dir.Path()), (std::vector<std::string>{"a.zip", "t"}));  // no temporary left
  }
  const CFileHandle deleter = OpenExisting(archive, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           GENERIC_READ | DELETE);
  ASSERT_TRUE(deleter);
  ZipHandle* r = OpenZipFile(archive.c_str(), nullptr);
  EXPECT_NE(r, nullptr);
  if (r != nullptr) CloseZip(r);
  w = CreateZipFile((dir / "b.zip").c_str(), nullptr);
  EXPECT_EQ(ZipAddFile(w, "a.zip", archive.c_str()), kZipOk);
  EXPECT_EQ(CloseZipWriter(w), kZipOk);
}

}  // namespace

zip::ZipPlatform& ziptest::BackEnd() { return zip::Win32ZipPlatform(); }
