// The framework's private window messages. Each number has one meaning
// across the framework and the product's main window, so every one is
// defined here and nowhere else.
#pragma once

#include <cstdint>

// Sent by a framework window to itself, so that the product's procedure sees
// them first.
inline constexpr std::uint32_t WM_FW_LAYOUT = 0x83E9;  // the WM_SIZE wParam and lParam, after the dock bays
inline constexpr std::uint32_t WM_FW_WINDOWMENU = 0x83EA;  // open the window menu at the cursor
inline constexpr std::uint32_t WM_FW_SAVEFAILED = 0x83EB;  // to the hidden window: show the reports of failed saves
inline constexpr std::uint32_t WM_FW_SAVEOPTIONS = 0x83EC;  // save the product's options (before a backup)
inline constexpr std::uint32_t WM_FW_COMMAND = 0x83ED;  // low word: command id; high word: button mask
inline constexpr std::uint32_t WM_FW_SETPOPUP = 0x83EE;  // lParam: the popup menu now open, or 0
inline constexpr std::uint32_t WM_FW_GETPOPUP = 0x83EF;  // answers the popup menu that is open
inline constexpr std::uint32_t WM_FW_GETPOPUPLIST = 0x83F0;  // answers a popup's 0xFFFF-ended id list
inline constexpr std::uint32_t WM_FW_TRAYNOTIFY = 0x83F1;  // the tray icon's callback message
inline constexpr std::uint32_t WM_FW_BARSHOWN = 0x83F7;  // wParam: shown; lParam: the bar
inline constexpr std::uint32_t WM_FW_SHOWFRAME = 0x83F8;  // show the framework window normally
inline constexpr std::uint32_t WM_FW_HELPREQUEST = 0x83FA;  // F1 without Ctrl; lParam: the HELPINFO
inline constexpr std::uint32_t WM_FW_TABORDER = 0x83FB;  // lParam: the tab stops, which the receiver may edit
inline constexpr std::uint32_t WM_FW_PAINTBACKGROUND = 0x83FC;  // wParam DC; lParam x | y << 16, signed
inline constexpr std::uint32_t WM_FW_DRAWICON = 0x83FE;  // wParam DC; lParam the DrawIconRequest
inline constexpr std::uint32_t WM_FW_SHOW = 0x83FF;  // a second start asks to be shown the settings
inline constexpr std::uint32_t WM_FW_STYLECHANGED = 0x8400;  // wParam style, lParam extended style
inline constexpr std::uint32_t WM_FW_TASKBARCREATED = 0x8401;  // the taskbar came back: add the tray icon again
inline constexpr std::uint32_t WM_FW_MENUNAVIGATE = 0x8402;  // keyboard navigation of the menus starts
inline constexpr std::uint32_t WM_FW_MODALDEPTH = 0x8403;  // wParam: the new modal depth
inline constexpr std::uint32_t WM_FW_DBLCLICK = 0x8404;  // low word: command id; high word: button mask
inline constexpr std::uint32_t WM_FW_QUIT = 0x8405;
inline constexpr std::uint32_t WM_FW_RESTART = 0x8406;
inline constexpr std::uint32_t WM_FW_GETITEMTEXT = 0x8407;  // wParam id, lParam text part; answers the text
inline constexpr std::uint32_t WM_FW_POPUPCLICK = 0x8408;  // wParam id, lParam button mask; 1 opens a split popup
inline constexpr std::uint32_t WM_FW_DRAGOUT = 0x840A;  // the pointer left a pressed item
inline constexpr std::uint32_t WM_FW_DISPLAYCHANGED = 0x840C;  // wParam: the new resolution, or 0 after a DPI change
inline constexpr std::uint32_t WM_FW_DPICHANGED = 0x840D;  // wParam: the new DPI
inline constexpr std::uint32_t WM_FW_HOTKEYQUERY = 0x840F;
inline constexpr std::uint32_t WM_FW_KEYCOMBOKEY = 0x463;  // WM_USER + 99, from the key-combination dialog

// The framework's own range, which the product's messages stay out of.
inline constexpr std::uint32_t kFrameworkMessageFirst = 0x83E9;
inline constexpr std::uint32_t kFrameworkMessageLast = 0x840F;

// The registered control message that instances of one application
// exchange; lParam carries the CRC-32 of the application name.
inline constexpr const char kControlMessageName[] = "OrvoMSG_OrvoCONTROL";
