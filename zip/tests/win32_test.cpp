// The Win32 back-end under Wine: files through CreateFileA, memory archives
// in a paging-file mapping, extraction below a base folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "zip/win32/zip_win32.h"
#include "zip/zip_format.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string TempFolder(const char* leaf) {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string dir = std::string(tmp) + "veltrano_zip_" + std::to_string(GetCurrentProcessId()) + "_" + leaf;
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir + "\\";
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

Bytes ReadWholeFile(const std::string& path) {
  Bytes out;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return out;
  out.resize(GetFileSize(h, nullptr));
  DWORD got = 0;
  if (!out.empty()) ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &got, nullptr);
  CloseHandle(h);
  out.resize(got);
  return out;
}

void WriteWholeFile(const std::string& path, const void* data, std::size_t n) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(h, data, static_cast<DWORD>(n), &written, nullptr);
  CloseHandle(h);
}

Bytes Text(std::size_t n) {
  Bytes v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>("scroll the window by dragging\r\n"[i % 31]);
  return v;
}

Bytes Read(ZipHandle* r, int index) {
  ZipEntryInfo info{};
  if (GetZipEntry(r, index, &info) != kZipOk) return {};
  Bytes out(info.uncompressed_size + 1);
  std::uint32_t got = 0;
  if (UnzipEntryToMemory(r, index, out.data(), static_cast<std::uint32_t>(out.size()), &got) != kZipOk) return {};
  out.resize(got);
  return out;
}

TEST(ZipWin32, FileArchiveRoundTrip) {
  const std::string dir = TempFolder("file");
  const std::string source = dir + "source.txt";
  const Bytes text = Text(100000);
  WriteWholeFile(source, text.data(), text.size());
  char self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);

  const std::string archive = dir + "a.zip";
  ZipHandle* w = CreateZipFile(archive.c_str(), nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(ZipAddFile(w, "docs\\source.txt", source.c_str()), kZipOk);
  EXPECT_EQ(ZipAddFile(w, "self.exe", self), kZipOk);
  EXPECT_EQ(ZipAddBuffer(w, "note.txt", "hello", 5), kZipOk);
  EXPECT_EQ(ZipAddFile(w, "missing", (dir + "nope").c_str()), kZipNotFound);
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
  EXPECT_EQ(Read(r, 1).size(), ReadWholeFile(self).size());
  EXPECT_TRUE(Read(r, 2) == Bytes({'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(CloseZip(r), kZipOk);

  // The program's own file is recognised as a Windows executable: owner
  // execute in the Unix mode of its external attributes.
  const Bytes a = ReadWholeFile(archive);
  const std::size_t end = a.size() - 22;
  std::size_t c = zip::GetLe32(&a[end + 16]);
  c += 46 + zip::GetLe16(&a[c + 28]) + zip::GetLe16(&a[c + 30]);
  EXPECT_EQ(zip::GetLe32(&a[c + 38]) & 0x00400000u, 0x00400000u);
  EXPECT_EQ(zip::GetLe32(&a[zip::GetLe32(&a[end + 16]) + 38]) & 0x00400000u, 0u);

  ZipHandle* busy = CreateZipFile((dir + "no\\such\\folder\\x.zip").c_str(), nullptr);
  EXPECT_EQ(busy, nullptr);
}

TEST(ZipWin32, MemoryArchiveRoundTrip) {
  EXPECT_EQ(CreateZipInMemory(nullptr, 0, nullptr), nullptr);
  ZipHandle* w = CreateZipInMemory(nullptr, 1 << 20, "QmoTrvHE52b18k");
  ASSERT_NE(w, nullptr);
  const std::string text = "bTrayIcon=1";
  ASSERT_EQ(ZipAddBuffer(w, "1", text.data(), static_cast<std::uint32_t>(text.size())), kZipOk);
  void* base = nullptr;
  std::uint32_t len = 0;
  ASSERT_EQ(GetZipMemory(w, &base, &len), kZipOk);
  ASSERT_NE(base, nullptr);
  const std::string dir = TempFolder("memory");
  WriteWholeFile(dir + "Options.oqc", base, len);
  EXPECT_EQ(ZipAddBuffer(w, "2", "x", 1), kZipFinished);
  EXPECT_EQ(CloseZipWriter(w), kZipOk);

  ZipHandle* r = OpenZipFile((dir + "Options.oqc").c_str(), "QmoTrvHE52b18k");
  ASSERT_NE(r, nullptr);
  const Bytes back = Read(r, 0);
  EXPECT_EQ(std::string(back.begin(), back.end()), text);
  CloseZip(r);

  // Caller block: a block of size s takes an archive of s - 1 bytes at most.
  std::vector<std::uint8_t> block(len);
  w = CreateZipInMemory(block.data(), len, "QmoTrvHE52b18k");
  ASSERT_EQ(ZipAddBuffer(w, "1", text.data(), static_cast<std::uint32_t>(text.size())), kZipOk);
  EXPECT_EQ(CloseZipWriter(w), kZipWriteFailed);
  block.resize(len + 1);
  w = CreateZipInMemory(block.data(), len + 1, "QmoTrvHE52b18k");
  ASSERT_EQ(ZipAddBuffer(w, "1", text.data(), static_cast<std::uint32_t>(text.size())), kZipOk);
  EXPECT_EQ(CloseZipWriter(w), kZipOk);
}

TEST(ZipWin32, ExtractionStaysInsideTheBaseFolder) {
  const std::string dir = TempFolder("extract");
  // An archive whose names try to leave the folder.
  const std::string archive = dir + "evil.zip";
  ZipHandle* w = CreateZipFile(archive.c_str(), "pw");
  ASSERT_EQ(ZipAddBuffer(w, "..\\escape.txt", "bad", 3), kZipOk);
  ASSERT_EQ(ZipAddBuffer(w, "C:\\windows\\evil.txt", "bad", 3), kZipOk);
  ASSERT_EQ(ZipAddBuffer(w, "sub\\good.txt", "good", 4), kZipOk);
  ASSERT_EQ(CloseZipWriter(w), kZipOk);

  const std::string base = dir + "out";
  ZipHandle* r = OpenZipFile(archive.c_str(), "pw");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(SetUnzipBaseDir(r, base.c_str()), kZipOk);
  ZipEntryInfo info{};
  ASSERT_EQ(GetZipEntry(r, 0, &info), kZipOk);
  EXPECT_STREQ(info.name, "../escape.txt");
  EXPECT_EQ(UnzipEntryToFile(r, 0, info.name), kZipBadArguments);
  EXPECT_EQ(UnzipEntryToFile(r, 0, "sub\\..\\..\\escape.txt"), kZipBadArguments);
  EXPECT_FALSE(FileExists(dir + "escape.txt"));
  ASSERT_EQ(GetZipEntry(r, 1, &info), kZipOk);
  EXPECT_STREQ(info.name, "windows/evil.txt");
  EXPECT_EQ(UnzipEntryToFile(r, 1, info.name), kZipOk);
  EXPECT_TRUE(FileExists(base + "\\windows\\evil.txt"));
  EXPECT_EQ(UnzipEntryToFile(r, 1, "C:\\windows\\evil.txt"), kZipBadArguments);
  EXPECT_EQ(UnzipEntryToFile(r, 1, "\\\\server\\share\\evil.txt"), kZipBadArguments);
  ASSERT_EQ(GetZipEntry(r, 2, &info), kZipOk);
  EXPECT_EQ(UnzipEntryToFile(r, 2, info.name), kZipOk);
  EXPECT_TRUE(ReadWholeFile(base + "\\sub\\good.txt") == Bytes({'g', 'o', 'o', 'd'}));
  CloseZip(r);

  // A wrong password leaves no partial file.
  r = OpenZipFile(archive.c_str(), "wrong");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(SetUnzipBaseDir(r, (dir + "out2").c_str()), kZipOk);
  EXPECT_NE(UnzipEntryToFile(r, 2, "sub\\good.txt"), kZipOk);
  EXPECT_FALSE(FileExists(dir + "out2\\sub\\good.txt"));
  CloseZip(r);
}

}  // namespace
