// Resource ids of the framework, read by the resource compiler and by the
// code alike, so they are plain defines.
#pragma once

// The message box dialog and its controls.
#define FW_IDD_MESSAGE_BOX 50100
#define FW_IDC_MESSAGE_ICON 50106
#define FW_IDC_MESSAGE_FIRST_LINE 50108
#define FW_IDC_MESSAGE_OTHER_LINES 50109

// The key-combination dialog of the hot-key field and its controls; the key
// list is made over the placeholder.
#define FW_IDD_KEY_COMBINATION 50104
#define FW_IDC_KEY_LIST 50148
#define FW_IDC_KEY_SHIFT 50149
#define FW_IDC_KEY_CTRL 50150
#define FW_IDC_KEY_ALT 50151
#define FW_IDC_KEY_WIN 50152
#define FW_IDC_KEY_CLEAR 50153

// The standard command icons of the framework window's menu.
#define FW_IDI_CAPTION_MENU 0xC350
#define FW_IDI_COLOUR_MENU 0xC351
#define FW_IDI_FONT_MENU 0xC352
#define FW_IDI_LOCK_MENU 0xC353
#define FW_IDI_ALWAYS_ON_TOP 0xC354
#define FW_IDI_SHOW_ON_TASKBAR 0xC355
#define FW_IDI_TRANSPARENCY_MENU 0xC356
#define FW_IDI_BRUSH 0xC357           // the brush-size item's icon, and the marked colour item's overlay
#define FW_IDI_COLOUR_OVERLAY 0xC358  // the unmarked colour item's overlay

// The cursor of a colour picked from the screen.
#define FW_IDC_COLOUR_PICKER 50105
