// How the main program switches the hooks of the 64-bit hook host, and what
// the host does for each request. Platform-free: the host applies it, the
// main program sends it.
#pragma once

#include <cstdint>

// The host's hidden window, which the main program finds by its class.
inline constexpr char kHostWindowClass[] = "VLHelper64Window";

// Sent to the host's window: wParam the wanted hook mask, lParam 0. The
// answer is kHostHooksInPlace when every wanted hook is in place afterwards,
// else 0.
inline constexpr unsigned WM_HOST_SETHOOKS = 0x8000;
inline constexpr std::intptr_t kHostHooksInPlace = 0x1234;

inline constexpr unsigned kHookMaskMouse = 1;
inline constexpr unsigned kHookMaskGetMessage = 2;
inline constexpr unsigned kHookMaskCallWndProc = 4;
inline constexpr unsigned kHookMaskAll = kHookMaskMouse | kHookMaskGetMessage | kHookMaskCallWndProc;

// The hooks to install and to remove to go from the installed set to the
// wanted one. Hooks in both stay as they are; bits beyond the three hooks
// mean nothing.
struct HookChanges {
  unsigned install;
  unsigned remove;
};

[[nodiscard]] constexpr HookChanges PlanHookChanges(unsigned wanted, unsigned installed) noexcept {
  wanted &= kHookMaskAll;
  installed &= kHookMaskAll;
  return {wanted & ~installed, installed & ~wanted};
}

// Hooks that were installed already count as in place; only a wanted hook
// that is still missing makes the request fail.
[[nodiscard]] constexpr bool AllHooksInPlace(unsigned wanted, unsigned installed) noexcept {
  return (wanted & kHookMaskAll & ~installed) == 0;
}

[[nodiscard]] constexpr std::intptr_t SetHooksAnswer(bool allInPlace) noexcept {
  return allInPlace ? kHostHooksInPlace : 0;
}
