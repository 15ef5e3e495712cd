// The Win32 back-end under Wine: files through CreateFileA, memory archives
// in a paging-file mapping, extraction below a base folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/util/tests/win_test_support.h"
#include "zip/win32/zip_win32.h"
#include "zip/zip_format.h"

namespace {

using test_support::Exists;
using test_support::IsDirectory;
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
  char self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);

  ZipHandle* w = CreateZipFile(archive.c_str(), nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(ZipAddFile(w, "docs\\source.txt", source.c_str()), kZipOk);
  EXPECT_EQ(ZipAddFile(w, "self.exe", self), kZipOk);
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

TEST(ZipWin32, ExtractionStaysInsideTheBaseFolder) {
  TempDir dir;
  // An archive whose names try to leave the folder.
  const std::string archive = dir / "evil.zip", base = dir / "out";
  ZipHandle* w = CreateZipFile(archive.c_str(), "pw");
  ASSERT_EQ(ZipAddBuffer(w, "..\\escape.txt", "bad", 3), kZipOk);
  ASSERT_EQ(ZipAddBuffer(w, "C:\\windows\\evil.txt", "bad", 3), kZipOk);
  ASSERT_EQ(ZipAddBuffer(w, "sub\\good.txt", "good", 4), kZipOk);
  ASSERT_EQ(CloseZipWriter(w), kZipOk);

  ZipHandle* r = OpenZipFile(archive.c_str(), "pw");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(SetUnzipBaseDir(r, base.c_str()), kZipOk);
  ZipEntryInfo info{};
  ASSERT_EQ(GetZipEntry(r, 0, &info), kZipOk);
  EXPECT_STREQ(info.name, "../escape.txt");
  EXPECT_EQ(UnzipEntryToFile(r, 0, info.name), kZipBadArguments);
  EXPECT_EQ(UnzipEntryToFile(r, 0, "sub\\..\\..\\escape.txt"), kZipBadArguments);
  EXPECT_FALSE(Exists(dir / "escape.txt"));
  ASSERT_EQ(GetZipEntry(r, 1, &info), kZipOk);
  EXPECT_STREQ(info.name, "windows/evil.txt");
  EXPECT_EQ(UnzipEntryToFile(r, 1, info.name), kZipOk);
  EXPECT_TRUE(Exists(base + "\\windows\\evil.txt"));
  EXPECT_EQ(UnzipEntryToFile(r, 1, "C:\\windows\\evil.txt"), kZipBadArguments);
  EXPECT_EQ(UnzipEntryToFile(r, 1, "\\\\server\\share\\evil.txt"), kZipBadArguments);
  ASSERT_EQ(GetZipEntry(r, 2, &info), kZipOk);
  EXPECT_EQ(UnzipEntryToFile(r, 2, info.name), kZipOk);
  EXPECT_EQ(ReadWholeFile(base + "\\sub\\good.txt"), "good");
  CloseZip(r);

  // A wrong password leaves no partial file.
  r = OpenZipFile(archive.c_str(), "wrong");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(SetUnzipBaseDir(r, (dir / "out2").c_str()), kZipOk);
  EXPECT_NE(UnzipEntryToFile(r, 2, "sub\\good.txt"), kZipOk);
  EXPECT_FALSE(Exists(dir / "out2\\sub\\good.txt"));
  CloseZip(r);
}

// Names in a folder, "." and ".." left out.
std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found) != FALSE) {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  return names;
}

// Where an entry's stored bytes start (its encryption header included).
std::size_t DataOffset(const std::string& a, int index) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(a.data());
  std::size_t c = zip::GetLe32(p + a.size() - 22 + 16);
  for (int i = 0; i < index; ++i) c += 46 + zip::GetLe16(p + c + 28) + zip::GetLe16(p + c + 30);
  const std::size_t local = zip::GetLe32(p + c + 42);
  return local + 30 + zip::GetLe16(p + local + 26) + zip::GetLe16(p + local + 28);
}

TEST(ZipWin32, FailedExtractionKeepsTheTargetAndFolderEntriesNeedNoAttributes) {
  TempDir dir;
  const std::string archive = dir / "a.zip", out = dir / "out";
  std::string text;
  while (text.size() < 20000) text += "wheel, button and drag settings\r\n";
  const auto size = static_cast<std::uint32_t>(text.size());
  ZipHandle* w = CreateZipFile(archive.c_str(), "pw");
  ASSERT_EQ(ZipAddBuffer(w, "t.gz", text.data(), size), kZipOk);  // stored
  ASSERT_EQ(ZipAddBuffer(w, "t.txt", text.data(), size), kZipOk);  // Deflate
  ASSERT_EQ(ZipAddBuffer(w, "dir/", "x", 1), kZipOk);  // a folder entry with attributes 0
  ASSERT_EQ(CloseZipWriter(w), kZipOk);
  // One flipped byte: the stored entry's CRC-32 no longer matches, the
  // Deflate stream is damaged.
  std::string damaged = ReadWholeFile(archive);
  damaged[DataOffset(damaged, 0) + 12 + 100] ^= 0x55;
  damaged[DataOffset(damaged, 1) + 12 + 10] ^= 0x55;
  ASSERT_TRUE(WriteWholeFile(dir / "damaged.zip", damaged));

  ASSERT_TRUE(CreateDirectoryA(out.c_str(), nullptr));
  const std::string old = "the file that was there before";
  ASSERT_TRUE(WriteWholeFile(out + "\\t", old));
  const struct {
    const char* archive;
    const char* password;
    int index;
  } failures[] = {{"a.zip", "wrong", 1}, {"damaged.zip", "pw", 0}, {"damaged.zip", "pw", 1}};
  for (const auto& f : failures) {
    ZipHandle* r = OpenZipFile((dir / f.archive).c_str(), f.password);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(SetUnzipBaseDir(r, out.c_str()), kZipOk);
    EXPECT_NE(UnzipEntryToFile(r, f.index, "t"), kZipOk) << f.archive << " " << f.index;
    EXPECT_EQ(ReadWholeFile(out + "\\t"), old) << f.archive << " " << f.index;
    EXPECT_EQ(Listing(out), std::vector<std::string>{"t"}) << f.archive << " " << f.index;  // no temporary left
    CloseZip(r);
  }

  ZipHandle* r = OpenZipFile(archive.c_str(), "pw");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(SetUnzipBaseDir(r, out.c_str()), kZipOk);
  EXPECT_EQ(UnzipEntryToFile(r, 1, "t"), kZipOk);
  EXPECT_TRUE(ReadWholeFile(out + "\\t") == text);
  EXPECT_EQ(Listing(out), std::vector<std::string>{"t"});
  // The folder entry: made, then already there; a file in its place fails.
  ZipEntryInfo info{};
  ASSERT_EQ(GetZipEntry(r, 2, &info), kZipOk);
  EXPECT_EQ(info.attributes, static_cast<std::uint32_t>(kZipAttrDirectory));
  EXPECT_EQ(UnzipEntryToFile(r, 2, info.name), kZipOk);
  EXPECT_EQ(UnzipEntryToFile(r, 2, info.name), kZipOk);
  EXPECT_TRUE(IsDirectory(out + "\\dir"));
  EXPECT_EQ(UnzipEntryToFile(r, 2, "t\\"), kZipNotFound);
  EXPECT_TRUE(ReadWholeFile(out + "\\t") == text);
  // A device name is no file.
  EXPECT_EQ(UnzipEntryToFile(r, 1, "dir\\Aux.txt"), kZipBadArguments);
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
    std::vector<std::string> names = Listing(dir.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.zip", "t"}));  // no temporary left
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
