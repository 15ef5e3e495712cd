// Making sure the data folder exists and is writable before anything uses
// it, with a blinking tray icon while it is not reachable yet; and the icons
// of that blinking.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/base/framework_messages.h"
#include "framework/util/status_codes.h"
#include "framework/util/win_handles.h"

enum class DataPathWait : int {
  kReady = 0,   // the folder exists (or was created)
  kQuit = 1,    // the user chose Quit from the tray icon's menu
  kGaveUp = 2,  // the folder could not be created, or the path is empty
};

// The waiter's tray icon calls back with the framework's tray message.
inline constexpr UINT kWaiterTrayMessage = WM_FW_TRAYNOTIFY;
inline constexpr char kWaiterWindowClass[] = "OrvoWaitForDataPath";

// One waiter of start-up: its window, tray icon and icons live only while it
// waits and are released on every way out.
class CDataPathWaiter {
 public:
  CDataPathWaiter() noexcept { InitDataPathWaiter(); }
  ~CDataPathWaiter() { Release(); }
  CDataPathWaiter(const CDataPathWaiter&) = delete;
  CDataPathWaiter& operator=(const CDataPathWaiter&) = delete;

  void InitDataPathWaiter() noexcept;

  // retries: -1 waits without limit, 0 does not wait, n > 0 waits n cycles of
  // about a second each. iconId is the tray icon's resource.
  [[nodiscard]] DataPathWait WaitForDataPath(const char* path, int retries, WORD iconId, const char* tip,
                                             const char* quitText) noexcept;

  static LRESULT CALLBACK DataPathWaitWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  char tip[260] = {};
  char quitText[260] = {};
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  std::uint8_t quit = 0;

 private:
  void ShowTrayIcon(HICON icon) noexcept;
  void Release() noexcept;

  CWindowHandle windowOwner_;
  CIconHandle icons_[2];
  bool trayShown_ = false;
};

// A one-shot wait with a waiter of its own.
[[nodiscard]] DataPathWait WaitForDataPath(const char* path, int retries, WORD iconId, const char* tip,
                                           const char* quitText) noexcept;

enum class WriteTest : int {
  kWritable = 0,
  kNoFolder = 1,  // the folder could not be created
  kNoFile = 2,    // the test file could not be created
};

// Creates the folder when missing, then creates and deletes a test file in it.
[[nodiscard]] WriteTest TestDataPathWritable(const char* folder) noexcept;

// The image of the program's icon group iconId that best fits the colour
// depth (index 0..3 for 1, 4, 8, 32 bits; negative = the system's choice) and
// the width (0 = the first image of that depth). Null on any failure.
[[nodiscard]] HICON LoadIconBestFit(WORD iconId, int depthIndex, int size) noexcept;

inline constexpr std::uint32_t kTwoStateNoIcon = 1;

// icons[0] the icon at the system's size, icons[1] its copy tinted in the 3D
// shadow and light colours by the theme's tint (CreateTintedIcon), which
// leaves an icon without opaque pixels or without colours (monochrome)
// untinted. 0, kTwoStateNoIcon, or kStatusOutOfMemory (icons[1] then empty).
[[nodiscard]] std::uint32_t LoadTwoStateIcons(WORD iconId, HICON icons[2]) noexcept;
