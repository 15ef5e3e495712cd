#include "framework/util/file_collector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/util/files.h"
#include "tests/support/win32/win_test_support.h"

using test_support::TempDir;
using test_support::WriteWholeFile;

namespace {

std::vector<std::string> Relative(const CGrowArray<CollectedPath>& list, const std::string& root, bool sorted = true) {
  std::vector<std::string> out;
  for (const CollectedPath& p : list) {
    const std::string s = p.text;
    out.push_back(s.size() > root.size() ? s.substr(root.size() + 1) : std::string("<root>"));
  }
  if (sorted) std::sort(out.begin(), out.end());
  return out;
}

// A directory link from `link` to `target` that really leads there.
bool MakeDirectoryLink(const std::string& link, const std::string& target) {
  using CreateSymbolicLinkFn = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  auto create = reinterpret_cast<CreateSymbolicLinkFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
  // 0x1 directory, 0x2 without elevation.
  return create != nullptr &&
         (create(link.c_str(), target.c_str(), 0x1 | 0x2) || create(link.c_str(), target.c_str(), 0x1)) &&
         test_support::IsDirectory(link + "\\inner");
}

}  // namespace

TEST(FileCollector, PatternsListMatchingFilesOnceAtAnyDepthFoldersDepthFirst) {
  TempDir tmp;
  for (const char* f : {"Options.oqc", "(Orvo)App.oqc", "notes.txt"}) ASSERT_TRUE(WriteWholeFile(tmp / f, "x"));
  for (const char* d : {"sub\\deeper.oqc", "a\\a1", "b"}) {
    ASSERT_EQ(CreateDirectoryPath((tmp / d).c_str(), 0), CreateDirResult::kExists);
  }
  ASSERT_TRUE(WriteWholeFile(tmp / "sub\\deeper.oqc\\x.oqc", "x"));

  CFileCollector c;
  // Overlapping patterns; a directory whose name matches is not a file.
  EXPECT_EQ(InitFileCollector(c, tmp.Path().c_str(), "*.oqc;Options.%s", "oqc"), 3);
  EXPECT_EQ(Relative(c.files, tmp.Path()),
            (std::vector<std::string>{"(Orvo)App.oqc", "Options.oqc", "sub\\deeper.oqc\\x.oqc"}));
  // The root first; each folder before its own sub-folders, which follow it at once.
  const auto folders = Relative(c.folders, tmp.Path(), false);
  ASSERT_EQ(folders.size(), 6u);
  EXPECT_EQ(folders[0], "<root>");
  const auto at = [&folders](const char* name) { return std::find(folders.begin(), folders.end(), name); };
  EXPECT_EQ(at("a\\a1"), at("a") + 1);
  EXPECT_EQ(at("sub\\deeper.oqc"), at("sub") + 1);
  EXPECT_NE(at("b"), folders.end());

  // Without a reset only new files are added.
  ASSERT_TRUE(WriteWholeFile(tmp / "two.oqc", "2"));
  EXPECT_EQ(Collect(c, false), 4);
}

TEST(FileCollector, MissingRootEmptyRootAndEmptyPatterns) {
  TempDir tmp;
  ASSERT_TRUE(WriteWholeFile(tmp / "one.oqc", "1"));
  CFileCollector c;
  EXPECT_EQ(InitFileCollector(c, (tmp / "missing").c_str(), "*.*"), 0);
  ASSERT_EQ(c.folders.Count(), 1);
  EXPECT_EQ(std::string(c.folders[0].text), tmp / "missing");

  EXPECT_EQ(CollectFiles(c, tmp.Path().c_str(), "*.oqc"), 1);
  EXPECT_EQ(CollectFiles(c, tmp.Path().c_str(), ""), 0);  // the earlier lists stay
  EXPECT_EQ(c.files.Count(), 1);
  EXPECT_EQ(CollectFiles(c, "", "*.*"), -1);

  ClearFileCollector(c);
  EXPECT_EQ(c.files.Count(), 0);
  EXPECT_EQ(c.separator, ';');
  FreeFileCollector(c);
  EXPECT_EQ(c.folders.Data(), nullptr);
}

TEST(FileCollector, EntriesWhosePathDoesNotFitAreSkipped) {
  TempDir tmp;
  // A folder whose own path is 225 characters long.
  std::string folder = tmp.Path();
  while (folder.size() < 225) folder += "\\" + std::string(std::min<std::size_t>(40, 225 - folder.size() - 1), 'd');
  ASSERT_EQ(CreateDirectoryPath(folder.c_str(), 0), CreateDirResult::kExists);
  ASSERT_TRUE(WriteWholeFile(folder + "\\s.oqc", "s"));
  // 225 + 1 + 44 = 270 characters: only reachable with the long-path prefix.
  const std::string longPath = "\\\\?\\" + folder + "\\" + std::string(40, 'L') + ".oqc";
  const std::wstring wide(longPath.begin(), longPath.end());
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  CFileCollector c;
  EXPECT_EQ(InitFileCollector(c, tmp.Path().c_str(), "*.oqc"), 1);
  ASSERT_EQ(c.files.Count(), 1);
  EXPECT_EQ(std::string(c.files[0].text), folder + "\\s.oqc");  // never a cut name
  DeleteFileW(wide.c_str());
}

// The tree "<root>\data\inner\f.oqc" with "<root>\data\inner\loop" leading
// back to "data". Wine cannot make directory links from Windows code, so the
// test harness makes one on the host and names its root in
// VELTRANO_LINK_LOOP_ROOT; on Windows the test makes its own.
TEST(FileCollector, LinkLoopEnds) {
  TempDir tmp;
  char fromHarness[MAX_PATH] = {};
  std::string root = tmp.Path();
  if (GetEnvironmentVariableA("VELTRANO_LINK_LOOP_ROOT", fromHarness, MAX_PATH) > 0) {
    root = fromHarness;
  } else {
    ASSERT_EQ(CreateDirectoryPath((root + "\\data\\inner").c_str(), 0), CreateDirResult::kExists);
    ASSERT_TRUE(WriteWholeFile(root + "\\data\\inner\\f.oqc", "f"));
    ASSERT_TRUE(MakeDirectoryLink(root + "\\data\\inner\\loop", root + "\\data"))
        << "no directory link can be made here; name a prepared loop in VELTRANO_LINK_LOOP_ROOT";
  }
  ASSERT_TRUE(test_support::IsDirectory(root + "\\data\\inner\\loop\\inner"));

  CFileCollector c;
  EXPECT_EQ(InitFileCollector(c, (root + "\\data").c_str(), "*.oqc"), 1);
  EXPECT_EQ(Relative(c.folders, root + "\\data"), (std::vector<std::string>{"<root>", "inner"}));
  ASSERT_EQ(c.files.Count(), 1);
  EXPECT_EQ(std::string(c.files[0].text), root + "\\data\\inner\\f.oqc");
}
