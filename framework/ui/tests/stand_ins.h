// What the tests see of the framework services that the window code calls
// and that live with the command table, the message box, the tray icon and
// the exit: each stand-in does what the window code relies on and records
// its calls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct StandInCalls {
  std::vector<std::uint16_t> popupMenus;  // ShowPopupMenu's menu ids
  HWND popupOwner = nullptr;
  std::vector<std::uint16_t> trayRemovals;  // SetTrayIcon(id, -1)
  int messageBoxes = 0;
  int messageBoxAnswer = 2;  // Cancel
  std::vector<int> exitModes;
  int stateSaves = 0;
};

StandInCalls& Calls();

// Puts the window menu's commands into gApp.commands, all enabled.
void RegisterWindowMenuCommands();
// The command's flags, or 0 when it is not registered.
std::uint32_t CommandFlags(std::uint16_t id);
