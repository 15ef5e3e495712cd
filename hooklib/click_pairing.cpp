#include "hooklib/click_pairing.h"

namespace {

// The press and double-click messages of the client area and of the
// non-client area; each double click follows its press at +2.
constexpr std::uint32_t kClientLeftDown = 0x0201;
constexpr std::uint32_t kClientRightDown = 0x0204;
constexpr std::uint32_t kClientMiddleDown = 0x0207;
constexpr std::uint32_t kClientXDown = 0x020B;
constexpr std::uint32_t kNonClientOffset = 0x0201 - 0x00A1;  // WM_LBUTTONDOWN - WM_NCLBUTTONDOWN
constexpr std::uint32_t kDoubleClickOffset = 2;              // WM_xBUTTONDBLCLK - WM_xBUTTONDOWN

struct ButtonMessage {
  std::uint32_t down;
  MouseButton button;
};
constexpr ButtonMessage kButtonMessages[] = {{kClientLeftDown, MouseButton::kLeft},
                                             {kClientRightDown, MouseButton::kRight},
                                             {kClientMiddleDown, MouseButton::kMiddle},
                                             {kClientXDown, MouseButton::kX}};

bool Near(std::int32_t a, std::int32_t b, std::int32_t size) noexcept {
  const std::int64_t d = static_cast<std::int64_t>(a) - b;
  return (d < 0 ? -d : d) < size / 2;
}

}  // namespace

PressMessage ClassifyPress(std::uint32_t message) noexcept {
  PressMessage press{MouseButton::kNone, false, false};
  // The non-client messages lie below the client ones, the same distance
  // apart throughout.
  if (message >= kClientLeftDown - kNonClientOffset && message <= kClientXDown + kDoubleClickOffset - kNonClientOffset) {
    press.nonClient = true;
    message += kNonClientOffset;
  }
  for (const ButtonMessage& b : kButtonMessages) {
    if (message == b.down || message == b.down + kDoubleClickOffset) {
      press.button = b.button;
      press.doubleClick = message != b.down;
      return press;
    }
  }
  return PressMessage{MouseButton::kNone, false, false};
}

std::uint32_t PressMessageAs(std::uint32_t press, bool doubleClick) noexcept {
  const PressMessage kind = ClassifyPress(press);
  if (kind.button == MouseButton::kNone) return press;
  const std::uint32_t down = kind.doubleClick ? press - kDoubleClickOffset : press;
  return doubleClick ? down + kDoubleClickOffset : down;
}

bool ClickPairing::Take(const ButtonPress& press, bool windowPairs, const DoubleClickRule& rule) noexcept {
  // Unsigned: the tick count wraps after 49.7 days.
  const bool second = windowPairs && havePrevious_ && press.button == previous_.button &&
                      press.window == previous_.window && press.timeMs - previous_.timeMs < rule.timeMs &&
                      Near(press.x, previous_.x, rule.width) && Near(press.y, previous_.y, rule.height);
  havePrevious_ = !second;
  previous_ = press;
  return second;
}
