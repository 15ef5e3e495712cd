// The programs' resources as a program linked with them finds them: its
// icons and cursor at the sizes asked for, the version resource made from the
// generated version header, the manifest's effect on the process, and for the
// main program the framework's resources from the included script.
// VELTRANO_TEST_PROGRAM_FILE names the program whose resources are linked in;
// VELTRANO_TEST_MAIN_PROGRAM is 1 for the main program's.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/app/res/framework_resource_ids.h"
#include "framework/util/win_handles.h"
#include "resources/resource_ids.h"
#include "resources/version.h"
#include "tests/support/win32/win_test_support.h"

namespace {

// A resource of this program as bytes; empty when it is missing.
std::string Resource(LPCSTR type, int id) {
  HRSRC info = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
  if (info == nullptr) return {};
  HGLOBAL data = LoadResource(nullptr, info);
  const void* bytes = data != nullptr ? LockResource(data) : nullptr;
  return bytes != nullptr ? std::string(static_cast<const char*>(bytes), SizeofResource(nullptr, info)) : std::string();
}

template <typename T>
T Read(const std::string& bytes, size_t offset) {
  T value{};
  if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

DWORD ReadBigEndian(const std::string& bytes, size_t offset) {
  DWORD value = 0;
  for (size_t i = offset; i < offset + 4 && i < bytes.size(); ++i) value = (value << 8) | static_cast<BYTE>(bytes[i]);
  return value;
}

// One image of an icon or cursor group: its directory width and resource id.
struct GroupEntry {
  int width;
  int id;
};

// The images listed by an RT_GROUP_ICON or RT_GROUP_CURSOR resource. Icon
// entries give the width in a byte (0 for 256), cursor entries in a word.
std::vector<GroupEntry> GroupEntries(LPCSTR type, int id) {
  const std::string dir = Resource(type, id);
  const bool cursor = type == RT_GROUP_CURSOR;
  std::vector<GroupEntry> entries;
  const size_t count = Read<WORD>(dir, 4);
  for (size_t i = 0; i < count && 6 + (i + 1) * 14 <= dir.size(); ++i) {
    const size_t at = 6 + i * 14;
    const int width = cursor ? Read<WORD>(dir, at) : Read<BYTE>(dir, at);
    entries.push_back({width == 0 ? 256 : width, Read<WORD>(dir, at + 12)});
  }
  return entries;
}

// An icon image: a 32-bit DIB of the size (height doubled for the mask), or
// a PNG of the size. Cursor images start with their hot spot.
::testing::AssertionResult IsImageOfSize(const std::string& image, int size) {
  if (image.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) == 0) {
    const DWORD width = ReadBigEndian(image, 16);
    const DWORD height = ReadBigEndian(image, 20);
    if (static_cast<int>(width) == size && static_cast<int>(height) == size) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "PNG of " << width << " x " << height;
  }
  const auto header = Read<BITMAPINFOHEADER>(image, 0);
  if (header.biSize == sizeof(BITMAPINFOHEADER) && header.biWidth == size && header.biHeight == 2 * size &&
      header.biBitCount == 32) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "DIB of " << header.biWidth << " x " << header.biHeight / 2 << " with "
                                       << header.biBitCount << " bits";
}

#if VELTRANO_TEST_MAIN_PROGRAM
constexpr int kIcons[] = {IDI_VELTRANO, IDI_VELTRANO_DISABLED};
#else
constexpr int kIcons[] = {IDI_VELTRANO};
#endif
constexpr int kIconSizes[] = {16, 20, 24, 32, 40, 48, 64, 256};

// Every size is drawn, none left to the system to stretch from another.
TEST(ProgramResources, IconsHoldA32BitImageOfEachSize) {
  for (int icon : kIcons) {
    const auto entries = GroupEntries(RT_GROUP_ICON, icon);
    for (int size : kIconSizes) {
      SCOPED_TRACE("icon " + std::to_string(icon) + " at " + std::to_string(size));
      const GroupEntry* entry = nullptr;
      for (const auto& e : entries) {
        if (e.width == size) entry = &e;
      }
      ASSERT_NE(entry, nullptr);
      EXPECT_TRUE(IsImageOfSize(Resource(RT_ICON, entry->id), size));
    }
  }
}

// The icon as drawn on white.
std::vector<std::uint32_t> IconPixels(HICON icon, int size) {
  test_support::DibSurface surface(size, size);
  if (!DrawIconEx(surface.dc(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL)) return {};
  return surface.Pixels();
}

// The dialogs and the tray load the icons at the sizes they need (the tray
// asks for 64 pixels); the switched-off icon must look different.
TEST(ProgramResources, IconsLoadAtTrayAndDialogSizes) {
  for (int size : {16, 32, 64}) {
    std::vector<std::vector<std::uint32_t>> pictures;
    for (int id : kIcons) {
      SCOPED_TRACE("icon " + std::to_string(id) + " at " + std::to_string(size));
      CIconHandle icon(static_cast<HICON>(
          LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
      ASSERT_TRUE(icon);
      pictures.push_back(IconPixels(icon.Get(), size));
      ASSERT_FALSE(pictures.back().empty());
    }
    if (pictures.size() == 2) {
      EXPECT_NE(pictures[0], pictures[1]) << size;
    }
  }
}

#if VELTRANO_TEST_MAIN_PROGRAM
// The cursor scrolls and points from its centre, at every size.
TEST(ProgramResources, CursorHasItsHotSpotInTheCentre) {
  HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_VELTRANO_SCROLL));
  ASSERT_NE(cursor, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  CBitmapHandle colour(info.hbmColor), mask(info.hbmMask);
  BITMAP bm{};
  ASSERT_TRUE(colour);
  ASSERT_NE(GetObjectA(colour.Get(), sizeof(bm), &bm), 0);
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(bm.bmWidth, 32);
  EXPECT_EQ(info.xHotspot, static_cast<DWORD>(bm.bmWidth / 2));
  EXPECT_EQ(info.yHotspot, static_cast<DWORD>(bm.bmHeight / 2));

  const auto entries = GroupEntries(RT_GROUP_CURSOR, IDC_VELTRANO_SCROLL);
  EXPECT_FALSE(entries.empty());
  for (const auto& e : entries) {
    SCOPED_TRACE("cursor image of " + std::to_string(e.width));
    const std::string image = Resource(RT_CURSOR, e.id);
    EXPECT_EQ(Read<WORD>(image, 0), e.width / 2);
    EXPECT_EQ(Read<WORD>(image, 2), e.width / 2);
    EXPECT_TRUE(IsImageOfSize(image.substr(4), e.width));
  }
}

// The framework's script is part of the main program's: its message box and
// all of its standard command icons.
TEST(ProgramResources, HoldTheFrameworkResources) {
  EXPECT_FALSE(Resource(RT_DIALOG, FW_IDD_MESSAGE_BOX).empty());
  for (int id = FW_IDI_CAPTION_MENU; id <= FW_IDI_COLOUR_OVERLAY; ++id) {
    EXPECT_FALSE(GroupEntries(RT_GROUP_ICON, id).empty()) << std::hex << id;
  }
}
#endif

std::string VersionString(const std::vector<char>& block, const char* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || length == 0) return {};
  return std::string(static_cast<const char*>(value));
}

// Start-up reads the program's version from its own file.
TEST(ProgramResources, VersionResourceCarriesTheVersionHeader) {
  const std::string program = test_support::ProgramPath();
  const char* path = program.c_str();
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  ASSERT_NE(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(VELTRANO_VERSION_MINOR, VELTRANO_VERSION_MAJOR)));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(VELTRANO_VERSION_BUILD, VELTRANO_VERSION_PATCH)));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1);

  const struct {
    const char* name;
    std::string expected;
  } strings[] = {{"CompanyName", "Brindlex"},
                 {"ProductName", "Veltrano"},
                 {"OriginalFilename", VELTRANO_TEST_PROGRAM_FILE},
                 {"FileVersion", VELTRANO_VERSION_TEXT},
                 {"ProductVersion", VELTRANO_VERSION_TEXT}};
  for (const auto& s : strings) EXPECT_EQ(VersionString(block, s.name), s.expected) << s.name;
  EXPECT_NE(VersionString(block, "FileDescription"), "");
}

// The manifest is the process's: the common controls resolve to version 6.
// Its DPI settings show under Windows only (Wine makes every process
// per-monitor aware), so they are read from the text.
TEST(ProgramResources, ManifestTakesEffect) {
  ACTCTX_SECTION_KEYED_DATA redirection{};
  redirection.cbSize = sizeof(redirection);
  EXPECT_TRUE(FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, "comctl32.dll",
                                       &redirection));

  const std::string manifest = Resource(RT_MANIFEST, 1);
  for (const char* setting : {"<requestedExecutionLevel level=\"asInvoker\"", ">true/pm</dpiAware>",
                              ">PerMonitorV2, PerMonitor</dpiAwareness>"}) {
    EXPECT_NE(manifest.find(setting), std::string::npos) << setting;
  }
}

}  // namespace
