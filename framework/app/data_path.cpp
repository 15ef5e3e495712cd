#include "framework/app/data_path.h"

#include <shellapi.h>

#include "framework/app/icon_fit.h"
#include "framework/theme/theme.h"
#include "framework/util/files.h"
#include "framework/util/text_util.h"

void CDataPathWaiter::InitDataPathWaiter() noexcept {
  tip[0] = '\0';
  quitText[0] = '\0';
  window = nullptr;
  quit = 0;
  instance = GetModuleHandleA(nullptr);
}

void CDataPathWaiter::ShowTrayIcon(HICON icon) noexcept {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kWaiterTrayMessage;
  data.hIcon = icon;
  CopyText(data.szTip, 128, tip);
  if (icon == nullptr) {
    Shell_NotifyIconA(NIM_DELETE, &data);
    trayShown_ = false;
    return;
  }
  if (!Shell_NotifyIconA(NIM_MODIFY, &data)) Shell_NotifyIconA(NIM_ADD, &data);
  trayShown_ = true;
}

void CDataPathWaiter::Release() noexcept {
  if (trayShown_ && window != nullptr) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = 1;
    Shell_NotifyIconA(NIM_DELETE, &data);
    trayShown_ = false;
  }
  windowOwner_.Reset();
  window = nullptr;
  icons_[0].Reset();
  icons_[1].Reset();
}

DataPathWait CDataPathWaiter::WaitForDataPath(const char* path, int retries, WORD iconId, const char* tipText,
                                               const char* quitLabel) noexcept {
  // An empty path can never become a folder: waiting for it would never end.
  if (path == nullptr || path[0] == '\0') return DataPathWait::kGaveUp;

  DataPathWait result = DataPathWait::kGaveUp;
  for (int cycle = 1;; ++cycle) {
    if (CreateDirectoryPath(path, 0) == CreateDirResult::kExists) {
      result = DataPathWait::kReady;
      break;
    }
    if (retries == 0) break;
    if (retries > 0) --retries;

    if (cycle == 1) {
      HICON loaded[2] = {nullptr, nullptr};
      (void)LoadTwoStateIcons(iconId, loaded);
      icons_[0].Reset(loaded[0]);
      icons_[1].Reset(loaded[1]);
      WNDCLASSA wc{};
      wc.lpfnWndProc = DataPathWaitWndProc;
      wc.hInstance = instance;
      wc.lpszClassName = kWaiterWindowClass;
      RegisterClassA(&wc);
      windowOwner_.Reset(CreateWindowExA(WS_EX_TOOLWINDOW, kWaiterWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                         nullptr, instance, nullptr));
      window = windowOwner_.Get();
      if (window != nullptr) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    CopyText(tip, sizeof tip, tipText != nullptr ? tipText : "");
    CopyText(quitText, sizeof quitText, quitLabel != nullptr ? quitLabel : "");
    if (window != nullptr) ShowTrayIcon(icons_[cycle % 2].Get());

    for (int step = 0; step < 10; ++step) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (window == nullptr || !IsDialogMessageA(window, &msg)) {
          TranslateMessage(&msg);
          DispatchMessageA(&msg);
        }
      }
      if (quit != 0) {
        Release();
        return DataPathWait::kQuit;
      }
      Sleep(100);
    }
  }
  Release();
  return result;
}

LRESULT CALLBACK CDataPathWaiter::DataPathWaitWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* waiter = reinterpret_cast<CDataPathWaiter*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == kWaiterTrayMessage &&
      (lParam == WM_LBUTTONDOWN || lParam == WM_LBUTTONDBLCLK || lParam == WM_RBUTTONDOWN)) {
    if (waiter != nullptr) {
      CMenuHandle menu(CreatePopupMenu());
      if (menu) {
        AppendMenuA(menu.Get(), MF_STRING, 1, waiter->quitText);
        POINT cursor{};
        GetCursorPos(&cursor);
        SetForegroundWindow(window);
        TrackPopupMenu(menu.Get(), TPM_LEFTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
      }
    }
    return 0;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == 1) {
    if (waiter != nullptr) waiter->quit = 1;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

DataPathWait WaitForDataPath(const char* path, int retries, WORD iconId, const char* tip,
                             const char* quitText) noexcept {
  CDataPathWaiter waiter;
  return waiter.WaitForDataPath(path, retries, iconId, tip, quitText);
}

WriteTest TestDataPathWritable(const char* folder) noexcept {
  char path[MAX_PATH];
  if (folder == nullptr || !CopyText(path, sizeof path, folder)) return WriteTest::kNoFolder;
  RemoveTrailingBackslash(path);
  if (!PathExists(path) && CreateDirectoryPath(path, 1) != CreateDirResult::kExists) return WriteTest::kNoFolder;
  // A cut name would test (and delete) some other file.
  if (!AppendText(path, sizeof path, "\\OrvoWriteTest.tmp")) return WriteTest::kNoFile;
  {
    CFileHandle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return WriteTest::kNoFile;
  }
  DeleteFileA(path);
  return WriteTest::kWritable;
}

HICON LoadIconBestFit(WORD iconId, int depthIndex, int size) noexcept {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(iconId), RT_GROUP_ICON);
  if (group == nullptr) return nullptr;
  HGLOBAL groupData = LoadResource(module, group);
  if (groupData == nullptr) return nullptr;
  const auto* directory = static_cast<const std::uint8_t*>(LockResource(groupData));
  if (directory == nullptr) return nullptr;
  const DWORD directorySize = SizeofResource(module, group);

  std::uint16_t imageId = 0;
  switch (ChooseIconImage(directory, directorySize, depthIndex, size, imageId)) {
    case IconChoice::kChosen:
      break;
    case IconChoice::kSystemChoice: {
      const int id = LookupIconIdFromDirectoryEx(const_cast<PBYTE>(directory), TRUE, size, size, 0);
      if (id <= 0) return nullptr;
      imageId = static_cast<std::uint16_t>(id);
      break;
    }
    case IconChoice::kBadDirectory:
      return nullptr;
  }
  HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(imageId), RT_ICON);
  if (image == nullptr) return nullptr;
  HGLOBAL imageData = LoadResource(module, image);
  if (imageData == nullptr) return nullptr;
  auto* bits = static_cast<PBYTE>(LockResource(imageData));
  if (bits == nullptr) return nullptr;
  return CreateIconFromResourceEx(bits, SizeofResource(module, image), TRUE, 0x30000, 0, 0, 0);
}

std::uint32_t LoadTwoStateIcons(WORD iconId, HICON icons[2]) noexcept {
  icons[0] = nullptr;
  icons[1] = nullptr;
  CIconHandle plain(LoadIconBestFit(iconId, -1, 0));
  if (!plain) return kTwoStateNoIcon;
  // The theme's tint, in the system's 3D colours: the waiter runs before the
  // theme has computed its scheme.
  CIconHandle tinted;
  const std::uint32_t result = CreateTintedIcon(plain.Get(), GetSysColor(COLOR_3DLIGHT),
                                                GetSysColor(COLOR_BTNSHADOW), nullptr, nullptr, &tinted);
  icons[0] = plain.Release();
  icons[1] = tinted.Release();
  return result == kStatusOutOfMemory ? result : kStatusOk;
}
