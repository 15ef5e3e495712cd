// A dialog's static control shown and used as a hyperlink: blue text, a hand
// cursor, a focus rectangle, a tooltip with the target, and a click or Space
// that opens the target (an address, a folder or a file) through the shell.
#pragma once

#include <windows.h>

#include "framework/util/win_handles.h"

inline constexpr int kLinkTextSize = 260;
inline constexpr COLORREF kLinkColour = 0x00FF0000;

struct CLinkLabel {
  int controlId = 0;
  HWND control = nullptr;
  HWND dialog = nullptr;
  CWindowHandle tooltip;
  char text[kLinkTextSize] = {};
  char target[kLinkTextSize] = {};
  UINT ellipsis = 0;   // DT_PATH_ELLIPSIS or 0
  UINT alignment = 0;  // DT_LEFT, DT_CENTER or DT_RIGHT
  char face[LF_FACESIZE] = {};  // empty: the face of the control's own font
  WNDPROC previousProc = nullptr;

  CLinkLabel() noexcept = default;
  ~CLinkLabel();
  CLinkLabel(const CLinkLabel&) = delete;
  CLinkLabel& operator=(const CLinkLabel&) = delete;
};

// Empties the object, destroying the windows of an attached one first.
void InitLinkLabel(CLinkLabel& link) noexcept;

// Makes the dialog's control a link to target (the control's own text when
// target is null); a control without text shows the target. The text is
// drawn in face: the theme's UI face, which the caller hands down, as the
// theme stands above this layer (dialog set-up re-fonts only buttons, so a
// static keeps its template's font); null or empty keeps the face of the
// control's own font. An attached object first destroys its previous
// control and tooltip. False when the dialog has no such control.
[[nodiscard]] bool AttachLinkLabel(CLinkLabel& link, HWND dialog, int controlId, const char* target,
                                   const char* face = nullptr) noexcept;

// Destroys the control and the tooltip of an attached object, which is then
// detached.
void DestroyLinkLabel(CLinkLabel& link) noexcept;

LRESULT CALLBACK LinkLabelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
