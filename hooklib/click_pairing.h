// Which presses of a hooked program are double clicks, as the user made
// them. The system pairs clicks as a thread takes them off its queue, and it
// counts the press that the hook swallows for a drag as a first click like
// any other. The main program gives such a press back when no drag began, by
// injecting a press and a release at the release's time and place; the
// system pairs that injected press too, against whatever came before it, so
// from then on its pairing follows our presses instead of the user's. The
// hook sees every press of every button in the thread that takes it, in the
// system's order, so it applies the system's rule itself to the user's own
// presses (never to the given-back ones) and hands each press of the right
// and middle buttons on as that rule makes it.
#pragma once

#include <cstdint>

// The buttons whose presses the rule tells apart. The two X buttons count as
// one: the hook only ever speaks for the right and middle buttons, for which
// any X press is simply another button's.
enum class MouseButton : std::uint8_t { kNone, kLeft, kRight, kMiddle, kX };

// A mouse message as a press: kNone for any message that is not one.
struct PressMessage {
  MouseButton button;
  bool doubleClick;  // the system made it a double click
  bool nonClient;    // outside the client area (WM_NC*)
};
[[nodiscard]] PressMessage ClassifyPress(std::uint32_t message) noexcept;

// The message of the same button and area as press (a press message), as a
// press or as a double click.
[[nodiscard]] std::uint32_t PressMessageAs(std::uint32_t press, bool doubleClick) noexcept;

// A press as the thread takes it: its window, its time (tick count) and its
// screen point.
struct ButtonPress {
  MouseButton button;
  std::uint64_t window;
  std::uint32_t timeMs;
  std::int32_t x;
  std::int32_t y;
};

// The system's figures: the double-click time and the size of the rectangle,
// centred on the first press, within which the second must lie.
struct DoubleClickRule {
  std::uint32_t timeMs;
  std::int32_t width;
  std::int32_t height;
};

// The system's rule over the user's presses in order: a press is the second
// click of a double click when the press before it was of the same button on
// the same window, less than the double-click time earlier, and less than
// half the rectangle's width and height away either way, and the window
// makes double clicks of it (its class takes them, or the press is outside
// the client area). A double click completes its pair: the press after it is
// a first click again. Any press of another button in between ends a pair.
class ClickPairing {
 public:
  // Takes the user's next press; true when it is the second click.
  [[nodiscard]] bool Take(const ButtonPress& press, bool windowPairs, const DoubleClickRule& rule) noexcept;

 private:
  bool havePrevious_ = false;
  ButtonPress previous_{};
};
