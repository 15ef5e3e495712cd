// Completing the key-name table from the running system's keyboard layout.
#pragma once

#include "framework/hotkey/key_names.h"

// Start-up's step: CompleteKeyNameTable over KeyNameTable() with the
// system's MapVirtualKeyA and GetKeyNameTextA.
void CompleteKeyNameTable() noexcept;
