// The hot-key field: an ordinary dialog edit control that shows a key
// combination and captures the one the user presses while it has the focus,
// with a small "+" button that opens the key-combination dialog.
//
// A hot-key value is 16 bits: the virtual key in the low byte (0 = none,
// 255 = modifiers only) and the RegisterHotKey modifiers in the high byte.
#pragma once

#include <windows.h>

#include <cstdint>

inline constexpr std::uint16_t kHotKeyAlt = 0x0100;
inline constexpr std::uint16_t kHotKeyCtrl = 0x0200;
inline constexpr std::uint16_t kHotKeyShift = 0x0400;
inline constexpr std::uint16_t kHotKeyWin = 0x0800;

class CHotKeyEdit {
 public:
  CHotKeyEdit() noexcept = default;
  ~CHotKeyEdit();
  CHotKeyEdit(const CHotKeyEdit&) = delete;
  CHotKeyEdit& operator=(const CHotKeyEdit&) = delete;

  // Explicit set-up on the UI thread (the keyboard hook of that thread);
  // 0 or an error status. Nothing of it runs from a constructor.
  [[nodiscard]] std::uint32_t CreateHotKeyEdit() noexcept;
  void DestroyHotKeyEdit() noexcept;

  // Takes over the edit control (value 0 until SetHotKey); false for none.
  bool AttachHotKeyEdit(HWND edit) noexcept;
  void DetachHotKeyEdit() noexcept;

  // Stores the value and shows it in the attached edit.
  void SetHotKey(std::uint16_t value) noexcept;
  [[nodiscard]] std::uint16_t GetHotKey() const noexcept { return static_cast<std::uint16_t>(value_); }

  [[nodiscard]] HWND Edit() const noexcept { return edit_; }

 private:
  std::uint32_t value_ = 0;
  HWND edit_ = nullptr;
};

// The text a value is shown with ("Ctrl + A", "NONE"); a process-wide buffer
// overwritten by each call.
[[nodiscard]] const char* FormatHotKeyName(std::uint16_t value) noexcept;
