// The shortcut in the user's Startup folder that starts the program at logon.
#pragma once

#include <cstdint>

#include "framework/util/status_codes.h"

// Creates (enable) or deletes the shortcut "<Startup>\<linkName or appName>.lnk"
// to "<install folder>\<appName>.exe" with the arguments "-WAITFORDATAPATH
// -AUTOSTART <extraArguments>". onlyIfMissing leaves an existing shortcut
// alone; iconPath (null = the program) is its icon. 0 on success, else
// kStatusShortcutFailed.
[[nodiscard]] std::uint32_t SetAutostartShortcut(bool enable, const char* extraArguments, std::uint8_t onlyIfMissing,
                                                 const char* iconPath, const char* linkName) noexcept;
