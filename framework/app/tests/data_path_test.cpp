#include "framework/app/data_path.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "framework/util/files.h"
#include "framework/util/tests/win_test_support.h"

using test_support::Exists;
using test_support::TempDir;
using test_support::WriteWholeFile;

namespace {

DWORD Elapsed(DWORD start) { return GetTickCount() - start; }

// The pixels of an icon's colour bitmap and mask, 32 bits each.
struct IconPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> colour;
  std::vector<std::uint8_t> mask;
};

IconPixels ReadIcon(HICON icon) {
  IconPixels out;
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return out;
  BITMAP bm{};
  GetObjectA(info.hbmColor, sizeof bm, &bm);
  out.width = bm.bmWidth;
  out.height = bm.bmHeight;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = bm.bmHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  out.colour.resize(static_cast<std::size_t>(bm.bmWidth * bm.bmHeight * 4));
  out.mask.resize(out.colour.size());
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(bm.bmHeight), out.colour.data(), &bi, DIB_RGB_COLORS);
  GetDIBits(dc, info.hbmMask, 0, static_cast<UINT>(bm.bmHeight), out.mask.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return out;
}

}  // namespace

TEST(TestDataPathWritable, WritableFolderLeavesNoTestFile) {
  TempDir tmp;
  EXPECT_EQ(TestDataPathWritable((tmp.Path() + "\\").c_str()), WriteTest::kWritable);
  EXPECT_FALSE(Exists(tmp / "OrvoWriteTest.tmp"));
}

TEST(TestDataPathWritable, MissingFolderIsCreated) {
  TempDir tmp;
  const std::string folder = tmp / "new\\data";
  EXPECT_EQ(TestDataPathWritable(folder.c_str()), WriteTest::kWritable);
  EXPECT_TRUE(test_support::IsDirectory(folder));
  EXPECT_FALSE(Exists(folder + "\\OrvoWriteTest.tmp"));
}

TEST(TestDataPathWritable, UnwritableFolderReportsAndLeavesNothing) {
  TempDir tmp;
  // The test file's name is taken by a folder: the file cannot be created.
  // (Permissions cannot stop the root user that runs these tests.)
  ASSERT_TRUE(CreateDirectoryA((tmp / "OrvoWriteTest.tmp").c_str(), nullptr));
  EXPECT_EQ(TestDataPathWritable(tmp.Path().c_str()), WriteTest::kNoFile);
  EXPECT_TRUE(test_support::IsDirectory(tmp / "OrvoWriteTest.tmp"));
  // A folder below a file cannot be created at all.
  ASSERT_TRUE(WriteWholeFile(tmp / "file", "x"));
  EXPECT_EQ(TestDataPathWritable((tmp / "file\\sub").c_str()), WriteTest::kNoFolder);
  EXPECT_FALSE(Exists(tmp / "file\\sub"));
}

TEST(WaitForDataPath, ExistingFolderReturnsAtOnceWithoutAWindow) {
  TempDir tmp;
  const DWORD start = GetTickCount();
  EXPECT_EQ(WaitForDataPath(tmp.Path().c_str(), -1, 1, "tip", "Quit"), DataPathWait::kReady);
  EXPECT_LT(Elapsed(start), 500u);
  WNDCLASSA wc;
  EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), kWaiterWindowClass, &wc));
}

TEST(WaitForDataPath, MissingFolderIsCreated) {
  TempDir tmp;
  const std::string folder = tmp / "a\\b";
  EXPECT_EQ(WaitForDataPath(folder.c_str(), 0, 1, "tip", "Quit"), DataPathWait::kReady);
  EXPECT_TRUE(test_support::IsDirectory(folder));
}

TEST(WaitForDataPath, EmptyPathGivesUpAtOnceEvenWithoutLimit) {
  const DWORD start = GetTickCount();
  EXPECT_EQ(WaitForDataPath("", -1, 1, "tip", "Quit"), DataPathWait::kGaveUp);
  EXPECT_EQ(WaitForDataPath(nullptr, 3, 1, "tip", "Quit"), DataPathWait::kGaveUp);
  EXPECT_LT(Elapsed(start), 500u);
}

TEST(WaitForDataPath, UncreatableFolderWaitsOneCycleThenGivesUp) {
  TempDir tmp;
  ASSERT_TRUE(WriteWholeFile(tmp / "file", "x"));
  const std::string folder = tmp / "file\\data";
  DWORD start = GetTickCount();
  EXPECT_EQ(WaitForDataPath(folder.c_str(), 0, 1, "tip", "Quit"), DataPathWait::kGaveUp);
  EXPECT_LT(Elapsed(start), 500u);
  start = GetTickCount();
  EXPECT_EQ(WaitForDataPath(folder.c_str(), 1, 1, "tip", "Quit"), DataPathWait::kGaveUp);
  EXPECT_GE(Elapsed(start), 900u);
  EXPECT_LT(Elapsed(start), 5000u);
  EXPECT_EQ(FindWindowA(kWaiterWindowClass, nullptr), nullptr);  // gone again
}

TEST(WaitForDataPath, QuitFromTheMenuEndsAnEndlessWait) {
  TempDir tmp;
  ASSERT_TRUE(WriteWholeFile(tmp / "file", "x"));
  const std::string folder = tmp / "file\\data";
  // Another thread picks the menu item as soon as the waiter's window exists.
  std::thread user([] {
    for (int i = 0; i < 200; ++i) {
      HWND w = FindWindowA(kWaiterWindowClass, nullptr);
      if (w != nullptr) {
        PostMessageA(w, WM_COMMAND, 1, 0);
        return;
      }
      Sleep(20);
    }
  });
  const DWORD start = GetTickCount();
  const DataPathWait result = WaitForDataPath(folder.c_str(), -1, 1, "tip", "Quit");
  user.join();
  EXPECT_EQ(result, DataPathWait::kQuit);
  EXPECT_LT(Elapsed(start), 5000u);
  EXPECT_EQ(FindWindowA(kWaiterWindowClass, nullptr), nullptr);
}

TEST(Icons, BestFitPicksByWidth) {
  CIconHandle exact(LoadIconBestFit(1, 3, 48));
  ASSERT_TRUE(exact);
  EXPECT_EQ(ReadIcon(exact.Get()).width, 48);
  CIconHandle between(LoadIconBestFit(1, 3, 40));
  ASSERT_TRUE(between);
  EXPECT_EQ(ReadIcon(between.Get()).width, 32);  // equally near: the first
  CIconHandle first(LoadIconBestFit(1, 3, 0));
  ASSERT_TRUE(first);
  EXPECT_EQ(ReadIcon(first.Get()).width, 32);
  // Only 32-bit images: an 8-bit request falls to the system's choice.
  CIconHandle system(LoadIconBestFit(1, 2, 48));
  EXPECT_TRUE(system);
  EXPECT_EQ(LoadIconBestFit(77, 3, 32), nullptr);
}

TEST(Icons, TwoStateIconsTintOnlyTheOpaquePixels) {
  HICON icons[2] = {nullptr, nullptr};
  ASSERT_EQ(LoadTwoStateIcons(1, icons), 0u);
  CIconHandle plain(icons[0]);
  CIconHandle tinted(icons[1]);
  ASSERT_TRUE(plain);
  ASSERT_TRUE(tinted);
  const IconPixels a = ReadIcon(plain.Get());
  const IconPixels b = ReadIcon(tinted.Get());
  ASSERT_GT(a.width, 0);
  ASSERT_EQ(a.width, b.width);
  ASSERT_EQ(a.colour.size(), b.colour.size());
  EXPECT_EQ(a.mask, b.mask);
  int changed = 0;
  for (std::size_t i = 0; i < a.colour.size(); i += 4) {
    const bool opaque = a.mask[i] != 0xFF;
    const bool same = std::equal(a.colour.begin() + static_cast<long>(i), a.colour.begin() + static_cast<long>(i) + 3,
                                 b.colour.begin() + static_cast<long>(i));
    if (!opaque) {
      EXPECT_TRUE(same) << "transparent pixel " << i / 4 << " changed";
    } else if (!same) {
      ++changed;
    }
  }
  EXPECT_GT(changed, 0);

  HICON none[2] = {reinterpret_cast<HICON>(1), reinterpret_cast<HICON>(1)};
  EXPECT_EQ(LoadTwoStateIcons(77, none), kTwoStateNoIcon);
  EXPECT_EQ(none[0], nullptr);
  EXPECT_EQ(none[1], nullptr);
}
