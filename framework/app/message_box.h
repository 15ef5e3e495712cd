// The framework's message box: every message, warning and question of the
// framework and the product, in a modal dialog with the system's icon, the
// text in the theme's fonts and a button set, laid out for its text.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdint>

#include "framework/app/message_box_core.h"

struct CApplication;

// Shows printf text (format and arguments) with the flags of
// message_box_core.h and returns the id of the button that closed the box
// (1 OK, 2 Cancel, 6 Yes, 7 No; Escape and the close box give 2),
// kMsgBoxNoMemory when the text cannot be formatted into memory, or -1 when
// the dialog cannot be made. A null caption shows the application name; a
// null format an empty text. The owner is parent, or else the foreground
// window when it is one of this process; it is shown and brought forward
// first. Afterwards the focus goes to the owner's edit control
// focusControlId (its text selected) when that is nonzero and there was an
// owner, and otherwise back to where it was.
int ShowMessageBox(CApplication& app, HWND parent, const char* caption, const char* format, std::uint32_t flags,
                   int focusControlId, ...);
int ShowMessageBoxV(CApplication& app, HWND parent, const char* caption, const char* format, std::uint32_t flags,
                    int focusControlId, va_list args);

// What the dialog procedure is given through DialogBoxParamA.
struct MessageBoxParams {
  CApplication* app;
  const char* caption;
  const char* text;
  std::uint32_t flags;
};

INT_PTR CALLBACK MessageBoxDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The default-button index (0 OK, 1 Cancel, 2 Yes, 3 No), one for the
// process: a box whose flags name no button set and no default button keeps
// the index of the box before it.
[[nodiscard]] int MessageBoxDefaultButton() noexcept;
