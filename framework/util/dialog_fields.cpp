#include "framework/util/dialog_fields.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/util/number_field.h"

void EnableDlgItems(int enable, HWND dialog, ...) noexcept {
  va_list ids;
  va_start(ids, dialog);
  for (int id = va_arg(ids, int); id > 0; id = va_arg(ids, int)) {
    EnableWindow(GetDlgItem(dialog, id), (enable & 0xFF) != 0);
  }
  va_end(ids);
}

void FocusDlgEdit(HWND dialog, int id) noexcept {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return;
  SetFocus(control);
  SendMessageA(control, EM_SETSEL, 0, -1);
}

LRESULT GetDlgCheck(HWND dialog, int id) noexcept { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0); }

LRESULT SetDlgCheck(HWND dialog, int id, WPARAM state) noexcept {
  return SendDlgItemMessageA(dialog, id, BM_SETCHECK, state, 0);
}

void SetDlgItemTextFormat(HWND dialog, int id, const char* format, ...) noexcept {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  SetDlgItemTextA(dialog, id, text);
}

void SetDlgItemIntText(HWND dialog, int id, int value) noexcept { SetDlgItemTextFormat(dialog, id, "%d", value); }

char UserDecimalSeparator() noexcept {
  char sep[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, sizeof sep) <= 0 || sep[0] == '\0') return '.';
  return sep[0];
}

char ParseDecimalSeparator() noexcept {
  const char* locale = std::setlocale(LC_NUMERIC, nullptr);
  if (locale == nullptr || std::strcmp(locale, "C") == 0) return '.';
  return UserDecimalSeparator();
}

void SetDlgItemDouble(HWND dialog, int id, double value) noexcept {
  char text[260];
  FormatDoubleField(value, UserDecimalSeparator(), text, sizeof text);
  SetDlgItemTextA(dialog, id, text);
}

double GetDlgItemDouble(HWND dialog, int id, double min, double max, int strict) noexcept {
  char text[kNumberFieldChars + 1] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return ParseDoubleField(text, ParseDecimalSeparator(), min, max, (strict & 0xFF) != 0);
}

int GetDlgItemIntRange(HWND dialog, int id, int min, int max, int strict) noexcept {
  char text[kNumberFieldChars + 1] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return ParseIntField(text, min, max, (strict & 0xFF) != 0);
}
