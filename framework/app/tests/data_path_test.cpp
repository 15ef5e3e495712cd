#include "framework/app/data_path.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "framework/util/files.h"
#include "tests/support/win32/win_test_support.h"

using test_support::Exists;
using test_support::IsDirectory;
using test_support::TempDir;
using test_support::WriteWholeFile;

namespace {

DWORD Elapsed(DWORD start) { return GetTickCount() - start; }

// An icon's width and the 32-bit pixels of its colour bitmap and mask.
struct IconPixels {
  int width = 0;
  std::vector<std::uint8_t> colour, mask;
};

IconPixels ReadIcon(HICON icon) {
  IconPixels out;
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return out;
  BITMAP bm{};
  GetObjectA(info.hbmColor, sizeof bm, &bm);
  out.width = bm.bmWidth;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, bm.bmWidth, bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
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

TEST(TestDataPathWritable, WritableFolderIsCreatedAndKeptCleanUnwritableIsReported) {
  TempDir tmp;
  EXPECT_EQ(TestDataPathWritable((tmp.Path() + "\\").c_str()), WriteTest::kWritable);
  EXPECT_FALSE(Exists(tmp / "OrvoWriteTest.tmp"));
  const std::string created = tmp / "new\\data";
  EXPECT_EQ(TestDataPathWritable(created.c_str()), WriteTest::kWritable);
  EXPECT_TRUE(IsDirectory(created));
  EXPECT_FALSE(Exists(created + "\\OrvoWriteTest.tmp"));

  // The test file's name is taken by a folder: the file cannot be created.
  // (Permissions cannot stop the root user that runs these tests.)
  ASSERT_TRUE(CreateDirectoryA((tmp / "OrvoWriteTest.tmp").c_str(), nullptr));
  EXPECT_EQ(TestDataPathWritable(tmp.Path().c_str()), WriteTest::kNoFile);
  EXPECT_TRUE(IsDirectory(tmp / "OrvoWriteTest.tmp"));
  // A folder below a file cannot be created at all.
  ASSERT_TRUE(WriteWholeFile(tmp / "file", "x"));
  EXPECT_EQ(TestDataPathWritable((tmp / "file\\sub").c_str()), WriteTest::kNoFolder);
  EXPECT_FALSE(Exists(tmp / "file\\sub"));
}

TEST(WaitForDataPath, ExistingMissingAndEmptyPathsAnswerAtOnce) {
  TempDir tmp;
  const DWORD start = GetTickCount();
  EXPECT_EQ(WaitForDataPath(tmp.Path().c_str(), -1, 1, "tip", "Quit"), DataPathWait::kReady);
  WNDCLASSA wc;
  EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), kWaiterWindowClass, &wc));  // no window was made
  EXPECT_EQ(WaitForDataPath((tmp / "a\\b").c_str(), 0, 1, "tip", "Quit"), DataPathWait::kReady);
  EXPECT_TRUE(IsDirectory(tmp / "a\\b"));
  // An empty path gives up even without a limit.
  EXPECT_EQ(WaitForDataPath("", -1, 1, "tip", "Quit"), DataPathWait::kGaveUp);
  EXPECT_EQ(WaitForDataPath(nullptr, 3, 1, "tip", "Quit"), DataPathWait::kGaveUp);
  EXPECT_LT(Elapsed(start), 900u);  // not one waiting cycle
}

// The waiter's window of this process: the programs of other tests may wait
// for their data folders at the same time.
HWND OwnWaiterWindow() { return test_support::WindowOfProcess(GetCurrentProcessId(), kWaiterWindowClass); }

TEST(WaitForDataPath, UncreatableFolderWaitsItsCyclesOrUntilQuit) {
  TempDir tmp;
  ASSERT_TRUE(WriteWholeFile(tmp / "file", "x"));
  const std::string folder = tmp / "file\\data";
  DWORD start = GetTickCount();
  EXPECT_EQ(WaitForDataPath(folder.c_str(), 0, 1, "tip", "Quit"), DataPathWait::kGaveUp);
  EXPECT_LT(Elapsed(start), 900u);  // not one waiting cycle
  start = GetTickCount();
  EXPECT_EQ(WaitForDataPath(folder.c_str(), 1, 1, "tip", "Quit"), DataPathWait::kGaveUp);
  EXPECT_GE(Elapsed(start), 900u);
  EXPECT_LT(Elapsed(start), 5000u);
  EXPECT_EQ(OwnWaiterWindow(), nullptr);  // gone again

  // Another thread picks the menu item as soon as the waiter's window exists.
  std::thread user([] {
    HWND w = nullptr;
    if (test_support::WaitUntil([&w] { return (w = OwnWaiterWindow()) != nullptr; }, 20000)) {
      PostMessageA(w, WM_COMMAND, 1, 0);
    }
  });
  start = GetTickCount();
  const DataPathWait result = WaitForDataPath(folder.c_str(), -1, 1, "tip", "Quit");
  user.join();
  EXPECT_EQ(result, DataPathWait::kQuit);
  EXPECT_LT(Elapsed(start), 5000u);
  EXPECT_EQ(OwnWaiterWindow(), nullptr);
}

// Icon group 1 of this program holds 32-bit images of 32 and 48 pixels.
TEST(Icons, BestFitPicksByWidth) {
  const struct { int depth, size, width; } cases[] = {
      {3, 48, 48}, {3, 40, 32} /* equally near: the first */, {3, 0, 32},
      {2, 48, -1} /* no 8-bit image: the system's choice */};
  for (const auto& c : cases) {
    CIconHandle icon(LoadIconBestFit(1, c.depth, c.size));
    ASSERT_TRUE(icon) << c.depth << "/" << c.size;
    EXPECT_TRUE(c.width < 0 || ReadIcon(icon.Get()).width == c.width) << c.size;
  }
  EXPECT_EQ(LoadIconBestFit(77, 3, 32), nullptr);
}

TEST(Icons, TwoStateIconsTintOnlyTheOpaquePixels) {
  HICON icons[2] = {nullptr, nullptr};
  ASSERT_EQ(LoadTwoStateIcons(1, icons), 0u);
  CIconHandle plain(icons[0]), tinted(icons[1]);
  ASSERT_TRUE(plain && tinted);
  const IconPixels a = ReadIcon(plain.Get()), b = ReadIcon(tinted.Get());
  ASSERT_GT(a.width, 0);
  ASSERT_EQ(a.colour.size(), b.colour.size());
  EXPECT_EQ(a.mask, b.mask);
  int changed = 0;
  for (std::size_t i = 0; i < a.colour.size(); i += 4) {
    const bool same = std::equal(&a.colour[i], &a.colour[i] + 3, &b.colour[i]);
    EXPECT_TRUE(same || a.mask[i] != 0xFF) << "transparent pixel " << i / 4 << " changed";
    changed += !same;
  }
  EXPECT_GT(changed, 0);

  HICON none[2] = {reinterpret_cast<HICON>(1), reinterpret_cast<HICON>(1)};
  EXPECT_EQ(LoadTwoStateIcons(77, none), kTwoStateNoIcon);
  EXPECT_TRUE(none[0] == nullptr && none[1] == nullptr);
}

// A monochrome icon has no colours to tint: its second state is an untinted
// copy, as in the theme, not a missing icon that would take the tray icon
// away in every other wait cycle.
TEST(Icons, MonochromeIconsSecondStateIsACopy) {
  HICON icons[2] = {nullptr, nullptr};
  ASSERT_EQ(LoadTwoStateIcons(2, icons), 0u);
  CIconHandle plain(icons[0]), second(icons[1]);
  ASSERT_TRUE(plain);
  ASSERT_TRUE(second);
  // Image and mask stacked in one 1-bit bitmap, read as 32-bit pixels.
  const auto monochromeBits = [](HICON icon) {
    std::vector<std::uint8_t> px;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return px;
    CGdiObject colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (colour || GetObjectA(mask.Get(), sizeof bm, &bm) == 0) return px;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, bm.bmWidth, bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    px.resize(static_cast<std::size_t>(bm.bmWidth * bm.bmHeight * 4));
    CDcHandle screen;
    GetDIBits(screen.Get(), static_cast<HBITMAP>(mask.Get()), 0, static_cast<UINT>(bm.bmHeight), px.data(), &bi,
              DIB_RGB_COLORS);
    return px;
  };
  const std::vector<std::uint8_t> a = monochromeBits(plain.Get());
  ASSERT_EQ(a.size(), 16u * 32u * 4u);
  EXPECT_EQ(monochromeBits(second.Get()), a);
}
