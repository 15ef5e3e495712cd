// A program of the end-to-end test that finds, among the visible dialogs of
// other processes, what a user would click, and writes one line to the file
// named last:
//   "--point <id> <log>"       point <x> <y>: the screen centre of the visible
//                              control <id> of a dialog that is no message
//                              box (the settings and their pages); nopoint
//   "--row <id> <n> <log>"     the same for row n of that list box
//   "--box <seconds> <log>"    box <x> <y> <texts>: the framework's message
//                              box, once one is shown within the time: its
//                              OK button's centre and its texts, "|" between
//                              them; nobox
//   "--host <seconds> <log>"   host: the 64-bit hook host's window is there,
//                              or comes within the time; nohost
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/app/res/framework_resource_ids.h"
#include "host64/hook_mask.h"
#include "tests/support/win32/win_test_support.h"

namespace {

std::string gLog;

void Log(const std::string& line) {
  HANDLE file = CreateFileA(gLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Centre(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
}

// Row n of a list box, counted from its first row and shown or not: each
// row below the top one shown is one item height further down.
std::string RowCentre(HWND list, int row) {
  RECT r{};
  GetClientRect(list, &r);
  const long height = static_cast<long>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  const long top = r.top + (row - static_cast<long>(SendMessageA(list, LB_GETTOPINDEX, 0, 0))) * height;
  POINT middle{(r.left + r.right) / 2, top + height / 2};
  ClientToScreen(list, &middle);
  return std::to_string(middle.x) + " " + std::to_string(middle.y);
}

struct Search {
  int id;
  bool box;  // a message box, else a dialog that is none
  HWND found;
};

// A control of the dialog itself or of a page on it: the controls of its
// controls (the hot-key edit's button) carry ids of their own.
HWND VisibleItem(HWND dialog, int id) {
  const HWND item = GetDlgItem(dialog, id);
  return item != nullptr && IsWindowVisible(item) ? item : nullptr;
}

BOOL CALLBACK FindOnPage(HWND child, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  char name[16] = {};
  GetClassNameA(child, name, sizeof name);
  if (std::strcmp(name, "#32770") == 0) search->found = VisibleItem(child, search->id);
  return search->found == nullptr;
}

BOOL CALLBACK FindInDialogs(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (process == GetCurrentProcessId() || std::strcmp(name, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  if ((GetDlgItem(window, FW_IDC_MESSAGE_FIRST_LINE) != nullptr) != search->box) return TRUE;
  search->found = VisibleItem(window, search->id);
  if (search->found == nullptr) EnumChildWindows(window, &FindOnPage, lParam);
  return search->found == nullptr;
}

BOOL CALLBACK CollectText(HWND child, LPARAM lParam) {
  char text[1024] = {};
  if (IsWindowVisible(child) && GetWindowTextA(child, text, sizeof text) > 0) {
    for (char* c = text; *c != '\0'; ++c) *c = *c == '\r' || *c == '\n' ? '|' : *c;
    *reinterpret_cast<std::string*>(lParam) += std::string("|") + text;
  }
  return TRUE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  char mode[16] = {};
  int value = 0;
  int used = 0;
  if (std::sscanf(commandLine, "%15s %d %n", mode, &value, &used) < 2 || used == 0) return 2;
  gLog = commandLine + used;
  const bool row = std::strcmp(mode, "--row") == 0;
  if (row || std::strcmp(mode, "--point") == 0) {
    int n = 0;
    if (row && (std::sscanf(gLog.c_str(), "%d %n", &n, &used) < 1 || used == 0)) return 2;
    if (row) gLog.erase(0, static_cast<std::size_t>(used));
    Search search{value, false, nullptr};
    EnumWindows(&FindInDialogs, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
      Log("nopoint");
    } else {
      Log("point " + (row ? RowCentre(search.found, n) : Centre(search.found)));
    }
    return 0;
  }
  if (std::strcmp(mode, "--host") == 0) {
    const bool there = test_support::WaitUntil([] { return FindWindowA(kHostWindowClass, nullptr) != nullptr; },
                                               static_cast<DWORD>(value) * 1000);
    Log(there ? "host" : "nohost");
    return 0;
  }
  if (std::strcmp(mode, "--box") != 0) return 2;
  Search search{IDOK, true, nullptr};
  (void)test_support::WaitUntil(
      [&search] {
        EnumWindows(&FindInDialogs, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      static_cast<DWORD>(value) * 1000);
  if (search.found == nullptr) {
    Log("nobox");
    return 0;
  }
  std::string texts;
  EnumChildWindows(GetParent(search.found), &CollectText, reinterpret_cast<LPARAM>(&texts));
  Log("box " + Centre(search.found) + " " + texts);
  return 0;
}
