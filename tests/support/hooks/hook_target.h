// What the global-hook tests and their target program agree on.
#pragma once

#include <windows.h>

inline constexpr char kTargetClass[] = "VeltranoHookTarget";
inline constexpr RECT kTargetRect = {100, 100, 500, 400};

// Message to the target window: wParam a counter index, answer its value.
inline constexpr UINT kTargetQuery = WM_APP + 1;
// Message to the target window: bring itself to the front and take the focus.
inline constexpr UINT kTargetActivate = WM_APP + 2;

enum TargetCounter : WPARAM {
  kTargetMoves,
  kTargetRightDowns,
  kTargetRightUps,
  kTargetWheels,
  kTargetLastWheelDelta,
  kTargetCounterCount
};
