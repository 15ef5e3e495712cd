// The set-up every dialog of the framework and the product gets when it
// opens and when its DPI changes: the theme's bold dialog font on the default
// push button, group boxes and check boxes next to small controls, the
// application icon, the focus, a centred position and the owner's topmost
// state.
#pragma once

#include <windows.h>

// From WM_INITDIALOG. Also remembers the DPI the dialog's controls are laid
// out for, which ApplyDialogFontForDpi moves them from. Returns the dialog
// font: the theme's bold font for the dialog's DPI (never below 96), one
// process-wide handle that the theme owns.
HFONT PrepareDialog(HWND dialog) noexcept;

// From WM_DPICHANGED with the new DPI (the low word of its wParam). The
// dialog's own child controls are moved and sized from the DPI they are laid
// out for to dpi, once per change: a repeated message for the same DPI moves
// nothing, and so does a dpi of 0 or a dialog that PrepareDialog never saw.
// Then the fonts as in PrepareDialog, for max(dpi, 96); the focus stays
// where it is. A dialog that calls this answers WM_DPICHANGED with TRUE (its
// controls are placed here; the dialog manager's own re-layout is switched
// off by PrepareDialog where the system has one) and moves itself to the
// rectangle the message suggests. Pages that are child dialogs call it for
// their own controls.
HFONT ApplyDialogFontForDpi(HWND dialog, int dpi) noexcept;

// WM_DPICHANGED of a top-level dialog as a whole: ApplyDialogFontForDpi for
// the new DPI, then the dialog moves to the rectangle the message suggests.
// Returns the dialog font; the dialog answers the message with TRUE.
HFONT OnDialogDpiChanged(HWND dialog, WPARAM wParam, LPARAM lParam) noexcept;

// Child enumeration procedure of both: lParam's low word is the dialog's
// default control id (0 for none); with kDialogSetupFocus the default
// control also gets the focus. Always continues the enumeration.
inline constexpr LPARAM kDialogSetupFocus = 0x10000;
BOOL CALLBACK ApplyDialogFontProc(HWND child, LPARAM defaultId);

// The DPI the dialog's controls are laid out for; 0 for a dialog that
// PrepareDialog never saw.
[[nodiscard]] int DialogDpi(HWND dialog) noexcept;

// The dialog font of the last preparation (null before the first).
[[nodiscard]] HFONT DialogFont() noexcept;

// AdjustWindowRectExForDpi where the system has it; otherwise
// AdjustWindowRectEx, which adjusts for the system DPI whatever dpi is.
BOOL AdjustWindowRectDpi(RECT* rect, DWORD style, BOOL hasMenu, DWORD exStyle, int dpi) noexcept;
