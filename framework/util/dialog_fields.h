// Reading and writing dialog controls. Numbers go through the pure routines
// of number_field.h; these only move text in and out of the controls.
#pragma once

#include <windows.h>

// EnableWindow(enable's low byte) on each listed control, up to an id that is
// 0 or negative.
void EnableDlgItems(int enable, HWND dialog, ...) noexcept;

// Focuses the control and selects all of its text.
void FocusDlgEdit(HWND dialog, int id) noexcept;

LRESULT GetDlgCheck(HWND dialog, int id) noexcept;
LRESULT SetDlgCheck(HWND dialog, int id, WPARAM state) noexcept;

// printf into a 1024-character buffer (cut, never overrun), then the control.
void SetDlgItemTextFormat(HWND dialog, int id, const char* format, ...) noexcept;
void SetDlgItemIntText(HWND dialog, int id, int value) noexcept;

// Shows a value with up to three decimals in the user's separator.
void SetDlgItemDouble(HWND dialog, int id, double value) noexcept;

// Reads a number, clamped into [min, max]; empty (or with strict, malformed)
// text gives min. Both "," and "." are accepted as the decimal separator.
[[nodiscard]] double GetDlgItemDouble(HWND dialog, int id, double min, double max, int strict) noexcept;
[[nodiscard]] int GetDlgItemIntRange(HWND dialog, int id, int min, int max, int strict) noexcept;

// The user's decimal separator (LOCALE_SDECIMAL), '.' when it cannot be read.
[[nodiscard]] char UserDecimalSeparator() noexcept;

// The separator that strtod accepts: '.' in the "C" numeric locale, else the
// user's.
[[nodiscard]] char ParseDecimalSeparator() noexcept;
