// Framework private messages that travel between the hidden application
// window, the framework windows and other instances of the program. Each
// number has one meaning across the framework and the product's windows.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t WM_FW_SHOW = 0x83FF;             // show the settings (also a control value)
inline constexpr std::uint32_t WM_FW_TASKBARCREATED = 0x8401;   // the taskbar was recreated
inline constexpr std::uint32_t WM_FW_QUIT = 0x8405;             // quit (also a control value)
inline constexpr std::uint32_t WM_FW_RESTART = 0x8406;          // control value: restart
// wParam: the new resolution as WM_DISPLAYCHANGE's lParam, 0 after a DPI message.
inline constexpr std::uint32_t WM_FW_DISPLAYCHANGED = 0x840C;
inline constexpr std::uint32_t WM_FW_DPICHANGED = 0x840D;       // wParam: the new DPI

// The name of the registered control message that instances of one
// application exchange; lParam carries the CRC-32 of the application name.
inline constexpr const char kControlMessageName[] = "OrvoMSG_OrvoCONTROL";
