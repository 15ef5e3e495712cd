// The framework's start-up: the first call of the program's entry.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/text/text_table.h"

// Makes the process DPI aware, installs the texts (productTextTable, whose
// text appTextId names the application), reads the command line, the
// installation record and the settings, makes the data folders ready (the
// first start's files, a pending restore), sets up the theme and the common
// controls, makes sure only one instance runs unless allowMultiple, creates
// the hidden windows, registers the standard commands and runs the services'
// due tests. commandLine is the program's command line without the program's
// name; settingsVersion the version of the product's settings layout.
//
// 0 when the program may run. kStatusOtherInstance: another instance was
// signalled, or "-QUIT" found none (or waited until it was gone).
// kStatusInstanceNotAnswering: another instance holds the mark of the running
// instance but neither answered nor ended within about 10 s (it is still
// starting, waiting for its data folder or showing a start-up error, or is
// ending); it was not signalled. kStatusDataFolderUnusable: a data folder
// cannot be used (already shown) or the user quit waiting for it. Any other
// value is an error that has been shown. On every nonzero result the program
// ends, and its exit saves no state. While it waits for another instance,
// start-up handles the thread's messages.
[[nodiscard]] std::uint32_t InitApplication(HINSTANCE hInstance, std::uint16_t appTextId,
                                            TextRecord* productTextTable, std::uint8_t allowMultiple,
                                            std::uint32_t settingsVersion, const char* commandLine,
                                            int nCmdShow) noexcept;
