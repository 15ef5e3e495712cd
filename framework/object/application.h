// The application object: the framework's process-wide state, one global
// that lives from before the program's entry to process exit.
//
// Its constructor and destructor do nothing that can fail or that touches
// files, windows, the registry or COM: the order in which globals of
// different files are built and destroyed is undefined. That work belongs
// to the explicit calls of the program's entry: start-up at its start and
// the application's exit after the entry's own clean-up.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/base/app_records.h"
#include "framework/base/command_line.h"
#include "framework/base/command_record.h"
#include "framework/text/text_table.h"
#include "framework/theme/theme.h"
#include "framework/util/grow_array.h"
#include "framework/util/win_handles.h"

class CFrameWindow;
class CBar;
class CUIItem;

struct CApplication {
  CApplication() noexcept;
  CApplication(const CApplication&) = delete;
  CApplication& operator=(const CApplication&) = delete;

  HINSTANCE hInstance = nullptr;
  // The module that holds the program's resources: hInstance, or the
  // program's own before start-up has set it.
  [[nodiscard]] HINSTANCE ResourceInstance() const noexcept {
    return hInstance != nullptr ? hInstance : GetModuleHandleA(nullptr);
  }
  DWORD processId = 0;
  std::uint16_t appTextId = 0;
  char appName[260] = {};
  std::uint32_t versionMajor = 0;
  std::uint32_t versionMinor = 0;
  std::uint32_t versionBuild = 0;
  char commandLine[1040] = {};
  char programFolder[260] = {};
  char modulePath[260] = {};
  char dataFolder[260] = {};
  char allUsersDataFolder[260] = {};
  // The framework window's own procedure, which the product's main window
  // procedure passes the messages on to.
  WNDPROC frameDefaultProc = nullptr;
  HWND tooltipWindow = nullptr;
  HWND appWindow = nullptr;
  // The thread that made the hidden window: the program's main thread, also
  // after the window has gone at the end of the message loop.
  DWORD appWindowThread = 0;
  CUIItem* hintItem = nullptr;  // the command item whose hint is shown
  int modalDepth = 0;
  std::uint16_t appIconId = 1;
  std::uint32_t osVersion = 0;
  std::uint8_t isWow64 = 0;
  UINT taskbarCreatedMsg = 0;
  UINT controlMsg = 0;
  std::uint8_t noStateSave = 0;
  // Start-up has read the stored settings record (or found none). Until then
  // `settings` holds the defaults, which must never replace the user's
  // record: the state is saved only once this is set.
  std::uint8_t settingsLoaded = 0;
  // Start-up's OleInitialize succeeded; the exit balances it.
  std::uint8_t oleInitialized = 0;
  std::uint8_t inMessageLoop = 0;
  std::uint32_t appCrc = 0;
  // The named mutex of the session that marks this process as the
  // application's running instance: made and owned by start-up's thread,
  // given up at the exit, or at the process's end when a worker outlived the
  // shut-down.
  CKernelHandle instanceMark;
  std::uint8_t autoStart = 0;
  std::uint8_t startMinimized = 0;
  std::uint8_t taskScheduler = 0;
  std::uint32_t exitMode = 0;
  char restartCommandLine[260] = {};
  char backupKeepPatterns[260] = {};
  char backupExtraPatterns[260] = {};
  std::uint8_t broadcastRestart = 0;
  UINT doubleClickTime = 0;
  std::uint8_t settingsVersionChanged = 0;
  AppSettingsRecord settings{};
  InstallRecord install{};

  // Popup menus: the item whose popup is open and the id of the window that
  // owns it, keyboard navigation through the menus, the popup item whose
  // popup runs until a command is chosen, and that command.
  CUIItem* openPopupItem = nullptr;
  std::uint16_t openPopupWindowId = 0;
  std::uint8_t popupNavigation = 0;
  CUIItem* runningPopup = nullptr;
  std::uint16_t chosenCommand = 0;

  CTextTable texts;
  // The scheme's base colours and the font faces are the theme's own.
  CTheme theme;

  CGrowArray<CFrameWindow*> windows;  // in creation order
  CGrowArray<CBar*> bars;
  CGrowArray<CUIItem*> items;         // every UI item made
  CGrowArray<CommandRecord> commands;  // ascending by id
  CGrowArray<CUIItem*> navigationItems;  // keyboard navigation through the menus
  // Parsed switches; each holds its own argument array, so the list is a
  // vector that moves its elements properly.
  std::vector<CommandLineSwitch> switches;
};

extern CApplication gApp;

// Start-up's text step, also for the programs that run without start-up
// (tests, tools): the framework's table and the product's table (language 0)
// go into gApp.texts, which from then on answers GetText.
void InstallAppTexts(TextRecord* productTable) noexcept;

// Parses the command line into gApp's switch list and flags; see
// ParseCommandLine in command_line.h for the result.
int ParseCommandLine(const char* commandLine);
