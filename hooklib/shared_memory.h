// The record and messages that connect the hook procedures in other
// processes with the main program. Both the 32-bit and the 64-bit hook
// library use this exact layout, so every value is stored in 32 bits.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr char kSharedMemoryName[] = "Veltrano_SharedMemory";

// Messages sent by the hook procedures to the main window. A press of the
// right or middle button comes as WM_xBUTTONDBLCLK where the user's own
// presses make it the second click of a double click.
inline constexpr unsigned WM_HOOK_MOUSE = 0x8001;         // wParam mouse message, lParam window under the mouse
inline constexpr unsigned WM_HOOK_WHEEL = 0x8002;         // wParam WM_MOUSEWHEEL, lParam the message's window
inline constexpr unsigned WM_HOOK_APPCOMMAND = 0x8003;    // wParam command (1 back, 2 forward), lParam window
inline constexpr unsigned WM_HOOK_SELECTTARGET = 0x8004;  // re-select the profile under the cursor

// Answer to WM_HOOK_MOUSE and WM_HOOK_WHEEL that swallows the input.
inline constexpr std::intptr_t kHookSwallow = 1;

// The extra information (dwExtraInfo) of every mouse event the main program
// injects. A click that began no drag is given back by injecting its press
// and release; the system pairs that press with the press the hook
// swallowed, or with whatever came before, so it may arrive as a double
// click or not whatever the user did. The hooks know the given-back press by
// its mark: the mouse hook lets it pass without asking and leaves it out of
// the pairing of the user's own presses (hooklib/click_pairing.h), and the
// get-message hook hands it on as the mark says. The top bit is clear, so
// that the value reads the same in 32-bit and 64-bit processes, and it is no
// pen or touch signature (0xFF5157xx).
inline constexpr std::uint32_t kInjectedInputMark = 0x56454C54;
// The mark of a given-back press whose held-back press the mouse hook
// reported as the second click of a double click of the user's: it reaches
// the window as a double click.
inline constexpr std::uint32_t kInjectedDoubleClickMark = 0x56454C44;

#pragma pack(push, 1)
struct SharedMemory {
  std::uint32_t mainWindow;      // main window handle, low 32 bits
  std::uint32_t mainProcessId;   // for AllowSetForegroundWindow
  std::uint32_t wheelWParam;     // high word: wheel delta, low word: key flags
  std::uint32_t wheelTime;       // MSG::time of the wheel message
  std::uint32_t appCommandLParam;
  std::uint32_t wheelPoint;      // MSG::lParam of the wheel message (screen point)
  std::uint32_t hookFlags;       // kHookFlag* below
};
#pragma pack(pop)

static_assert(sizeof(SharedMemory) == 28, "shared memory is a cross-process format");
static_assert(offsetof(SharedMemory, mainWindow) == 0);
static_assert(offsetof(SharedMemory, mainProcessId) == 4);
static_assert(offsetof(SharedMemory, wheelWParam) == 8);
static_assert(offsetof(SharedMemory, wheelTime) == 12);
static_assert(offsetof(SharedMemory, appCommandLParam) == 16);
static_assert(offsetof(SharedMemory, wheelPoint) == 20);
static_assert(offsetof(SharedMemory, hookFlags) == 24);

// Bits of hookFlags, written by the main program. Subclass: the profile
// under the cursor acts on back/forward, so the window of the next such
// command is subclassed to report it. Wheel: some profile does something
// with the wheel; without it the get-message hook, which a drag needs for
// its given-back clicks, lets every wheel turn pass without asking the main
// program (a cross-process call per notch).
inline constexpr std::uint32_t kHookFlagSubclassBackFwd = 1;
inline constexpr std::uint32_t kHookFlagReportWheel = 2;

// Window handles are 32-bit values even in 64-bit processes; they are stored
// in their low 32 bits and sign-extended when read back, as the system does
// when it passes handles between 32-bit and 64-bit processes.
[[nodiscard]] constexpr std::uint32_t StoreHandle32(std::uintptr_t handle) noexcept {
  return static_cast<std::uint32_t>(handle);
}
[[nodiscard]] constexpr std::intptr_t LoadHandle32(std::uint32_t stored) noexcept {
  return static_cast<std::intptr_t>(static_cast<std::int32_t>(stored));
}

// The wheel delta lives in the signed high word of the wheel wParam.
[[nodiscard]] constexpr std::int16_t WheelDelta(std::uint32_t wParam) noexcept {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(wParam >> 16));
}
[[nodiscard]] constexpr std::uint32_t WithWheelDelta(std::uint32_t wParam, std::int16_t delta) noexcept {
  return (wParam & 0xFFFFu) | (static_cast<std::uint32_t>(static_cast<std::uint16_t>(delta)) << 16);
}

// Application command carried in the high word of WM_APPCOMMAND's lParam.
inline constexpr unsigned kAppCommandBrowserBack = 1;
inline constexpr unsigned kAppCommandBrowserForward = 2;
[[nodiscard]] constexpr unsigned AppCommandOf(std::uintptr_t lParam) noexcept {
  return static_cast<unsigned>((lParam >> 16) & 0xFFF);
}
