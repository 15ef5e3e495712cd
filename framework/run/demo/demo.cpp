// A framework window with bars in each of its four dock bays and a floating
// bar, holding an item of every kind the framework has (menus with a
// submenu, buttons, static texts, separators, plain items, a list, a tree, a
// slider, a brush size, a colour and a palette), for a person to try
// them and for the screenshots.
//
//   veltrano_ui_demo.exe [docked|overflow|menu|windowmenu|check] [log file]
//
// Without arguments the window opens for trying. With a mode, the program
// writes "dpi N" and "ready" to the log file once the window is shown (and,
// for the last three, the popup asked for is open) and runs until it is
// ended: "overflow" narrows the window so that the top tool bar overflows
// and opens its overflow popup, "menu" opens the File menu and its submenu,
// "windowmenu" the window menu. "check" opens the three popups in turn,
// logs "<mode> open" or "<mode> closed" for each and ends with the number
// that did not open as its exit code.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/app/exit_request.h"
#include "framework/object/application.h"
#include "framework/app/commands.h"
#include "framework/base/framework_messages.h"
#include "framework/run/message_loop.h"
#include "framework/run/app_exit.h"
#include "framework/theme/draw.h"
#include "framework/ui/window_list.h"
#include "framework/ui/bar.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/item_commands.h"
#include "framework/ui/list_item.h"
#include "framework/ui/menu_item.h"
#include "framework/ui/tree_item.h"
#include "framework/ui/ui_item.h"
#include "framework/ui/value_items.h"
#include "framework/util/monitors.h"

namespace {

constexpr std::uint16_t kDemoWindowId = 1;
constexpr UINT_PTR kReadyTimer = 1;
constexpr std::uint32_t kLabel = 0x80;      // the item measures its label
constexpr std::uint32_t kIcon = 0x100;      // the item shows the default icon
constexpr std::uint32_t kStretch = 0x2;     // takes the spare length of its bar
constexpr std::uint32_t kFullHeight = 0x4;  // as thick as its bar
constexpr std::uint32_t kFixed = 0;         // never moves into the overflow popup
constexpr std::uint32_t kOverflows = 0x1000;
constexpr int kUiNormalFontSet = 4;

// Popup lists: what each menu holds, ended by kCommandListEnd.
std::uint16_t gFileMenu[] = {0x5101, 0x5102, 0x5103, kSeparatorCommandId, 0x5104, kCommandListEnd};
std::uint16_t gRecentMenu[] = {0x5111, 0x5112, 0x5113, kCommandListEnd};
std::uint16_t gEditMenu[] = {0x5201, 0x5202, 0x5203, kCommandListEnd};
std::uint16_t gViewMenu[] = {0x5301, 0x5302, kCommandListEnd};

// The value items' records, changed in place as the items are used.
RangeValue gZoom{40, 10, 200};
RangeValue gBrush{8, 1, 64};
ColorValue gColour{0xFF3366CCu, 0};
PaletteValue gPalette{
    {0xFF000000u, 0xFF800000u, 0xFF008000u, 0xFF808000u, 0xFF000080u, 0xFF800080u, 0xFF008080u, 0xFFC0C0C0u,
     0xFF808080u, 0xFFFF0000u, 0xFF00FF00u, 0xFFFFFF00u, 0xFF0000FFu, 0xFFFF00FFu, 0xFF00FFFFu, 0xFFFFFFFFu},
    0,
    3};

LRESULT CALLBACK DemoTreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Every command of the demonstration, one a line: the item kind shows it.
struct DemoCommand {
  std::uint16_t id;
  CommandKind kind;
  std::uint32_t flags;
  const char* label;
  const char* hint;
  void* value;
  float widthFactor;
  float heightFactor;
};
const DemoCommand kCommands[] = {
    {0x5001, CommandKind::kButton, 0, "Main menu", "Shows or hides the main menu", nullptr, 0, 0},
    {0x5002, CommandKind::kButton, 0, "Standard", "Shows or hides the standard tool bar", nullptr, 0, 0},
    {0x5003, CommandKind::kButton, 0, "Tools", "Shows or hides the tools", nullptr, 0, 0},
    {0x5004, CommandKind::kButton, 0, "Files", "Shows or hides the file list", nullptr, 0, 0},
    {0x5005, CommandKind::kButton, 0, "Status", "Shows or hides the status bar", nullptr, 0, 0},
    {0x5006, CommandKind::kButton, 0, "Floating", "Shows or hides the floating bar", nullptr, 0, 0},
    {0x5007, CommandKind::kButton, 0, "Parts", "Shows or hides the tree of parts", nullptr, 0, 0},
    {0x5100, CommandKind::kPopup, kLabel, "File", "The file commands", gFileMenu, 0, 0},
    {0x5101, CommandKind::kButton, kLabel | kIcon, "New", "Starts a new document", nullptr, 0, 0},
    {0x5102, CommandKind::kButton, kLabel | kIcon, "Open...", "Opens a document", nullptr, 0, 0},
    {0x5103, CommandKind::kPopup, kLabel, "Recent", "Documents opened lately", gRecentMenu, 0, 0},
    {0x5104, CommandKind::kButton, kLabel, "Exit", "Ends the demonstration", nullptr, 0, 0},
    {0x5111, CommandKind::kButton, kLabel, "notes.txt", "Opens notes.txt", nullptr, 0, 0},
    {0x5112, CommandKind::kButton, kLabel, "plan.txt", "Opens plan.txt", nullptr, 0, 0},
    {0x5113, CommandKind::kButton, kLabel, "todo.txt", "Opens todo.txt", nullptr, 0, 0},
    {0x5200, CommandKind::kPopup, kLabel, "Edit", "The editing commands", gEditMenu, 0, 0},
    {0x5201, CommandKind::kButton, kLabel, "Cut", "Cuts the selection", nullptr, 0, 0},
    {0x5202, CommandKind::kButton, kLabel, "Copy", "Copies the selection", nullptr, 0, 0},
    {0x5203, CommandKind::kButton, kLabel, "Paste", "Pastes the clipboard", nullptr, 0, 0},
    {0x5300, CommandKind::kPopup, kLabel, "View", "The view commands", gViewMenu, 0, 0},
    {0x5301, CommandKind::kButton, kLabel, "Zoom in", "Makes everything larger", nullptr, 0, 0},
    {0x5302, CommandKind::kButton, kLabel, "Zoom out", "Makes everything smaller", nullptr, 0, 0},
    {0x5400, CommandKind::kButton, kLabel | kIcon | kFixed, "New", "Starts a new document", nullptr, 0, 0},
    {0x5401, CommandKind::kButton, kLabel | kIcon, "Open", "Opens a document", nullptr, 0, 0},
    {0x5402, CommandKind::kButton, kLabel | kIcon, "Save", "Saves the document", nullptr, 0, 0},
    {0x5403, CommandKind::kSeparator, 0, nullptr, nullptr, nullptr, 0, 0},
    {0x5404, CommandKind::kButton, kLabel | kIcon, "Cut", "Cuts the selection", nullptr, 0, 0},
    {0x5405, CommandKind::kButton, kLabel | kIcon, "Copy", "Copies the selection", nullptr, 0, 0},
    {0x5406, CommandKind::kButton, kLabel | kIcon, "Paste", "Pastes the clipboard", nullptr, 0, 0},
    {0x5407, CommandKind::kSeparator, 0, nullptr, nullptr, nullptr, 0, 0},
    {0x5408, CommandKind::kButton, kLabel | kIcon, "Undo", "Takes back the last change", nullptr, 0, 0},
    {0x5409, CommandKind::kButton, kLabel | kIcon, "Redo", "Makes the change again", nullptr, 0, 0},
    {0x5500, CommandKind::kCallerItem, kLabel, "Pen", "A plain item: the pen", nullptr, 0, 0},
    {0x5501, CommandKind::kCallerItem, kLabel, "Brush", "A plain item: the brush", nullptr, 0, 0},
    {0x5502, CommandKind::kCallerItem, kLabel, "Fill", "A plain item: the fill", nullptr, 0, 0},
    {0x5600, CommandKind::kList, kLabel | kFixed, "Files", "The files of the demonstration", nullptr, 6, 6},
    {0x5700, CommandKind::kStatic, kLabel | kStretch | kFixed, "Ready", "What happens", nullptr, 0, 0},
    {0x5701, CommandKind::kStatic, kLabel | kFixed, "Bars: 7", "How many bars there are", nullptr, 0, 0},
    {0x5800, CommandKind::kButton, kLabel | kIcon, "Bold", "Makes the text bold", nullptr, 0, 0},
    {0x5801, CommandKind::kButton, kLabel | kIcon, "Italic", "Makes the text italic", nullptr, 0, 0},
    {0x5802, CommandKind::kButton, kLabel | kIcon, "Underline", "Underlines the text", nullptr, 0, 0},
    {0x5803, CommandKind::kSeparator, 0, nullptr, nullptr, nullptr, 0, 0},
    {0x5804, CommandKind::kSlider, kLabel, "Zoom", "Drag to zoom", &gZoom, 0, 0},
    {0x5805, CommandKind::kBrushSize, 0, nullptr, "Drag up or down for the brush size", &gBrush, 0, 0},
    {0x5806, CommandKind::kColor, 0, nullptr, "Press and drag out to pick a colour from the screen", &gColour, 0, 0},
    {0x5807, CommandKind::kPalette, 0, nullptr, "Press a colour and drag out to pick it anew", &gPalette, 0, 0},
    {0x5900, CommandKind::kTree, kStretch | kFullHeight, nullptr, "The parts of the demonstration",
     reinterpret_cast<void*>(&DemoTreeProc), 0, 0},
};

// The bars: their bay (-1 floating), row, place, flags and items.
struct DemoBar {
  std::uint16_t id;
  int side;
  std::uint16_t row;
  int x;
  int y;
  int width;  // a floating bar's wrapping width
  std::uint16_t flags;
  std::vector<std::uint16_t> items;
};
const DemoBar kBars[] = {
    {0x5001, kBayTop, 0, 0, 0, 0, kBarFillsRow, {0x5100, 0x5200, 0x5300}},
    {0x5002, kBayTop, 1, 0, 0, 0, 0, {0x5400, 0x5401, 0x5402, 0x5403, 0x5404, 0x5405, 0x5406, 0x5407, 0x5408, 0x5409}},
    {0x5003, kBayLeft, 0, 0, 0, 0, 0, {0x5500, 0x5501, 0x5502}},
    {0x5004, kBayRight, 0, 0, 0, 0, kBarResizableRow, {0x5600}},
    {0x5005, kBayBottom, 0, 0, 0, 0, kBarFillsRow, {0x5700, 0x5701}},
    {0x5006, -1, 0, 720, 140, 170, kBarSystemMenu, {0x5800, 0x5801, 0x5802, 0x5803, 0x5804, 0x5805, 0x5806, 0x5807}},
    {0x5007, kBayRight, 0, 0, 200, 0, kBarFillsRow, {0x5900}},
};

const char* const kFiles[][2] = {{"notes.txt", "2 KB"}, {"plan.txt", "14 KB"}, {"todo.txt", "1 KB"},
                                 {"demo.cpp", "9 KB"},  {"bar.cpp", "12 KB"},  {"README.md", "8 KB"}};

std::vector<TextRecord> gTexts;
CList* gList = nullptr;
std::string gMode;
std::string gLog;
CFrameWindow* gFrame = nullptr;

void Log(const char* line) {
  if (gLog.empty()) return;
  if (FILE* f = std::fopen(gLog.c_str(), "ab")) {
    std::fprintf(f, "%s\n", line);
    std::fclose(f);
  }
}

void Paint(HWND window) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(window, &ps);
  RECT inner = gFrame != nullptr ? gFrame->innerClient : RECT{};
  FillSolidRect(dc, &inner, gApp.theme.slots[0]);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, gApp.theme.slots[4]);
  const CSelectObject font(dc, ThemeGetFont(gApp.theme, kUiNormalFontSet, GetWindowDpi(window)));
  InflateRect(&inner, -12, -12);
  DrawTextA(dc,
            "Bars in all four bays and one floating.\nDrag the right bay's splitter, narrow the window to see the "
            "standard bar overflow, right-click for the window menu.",
            -1, &inner, DT_LEFT | DT_WORDBREAK);
  EndPaint(window, &ps);
}

CBar* FindDemoBar(std::uint16_t id) { return FindBarById(id); }

// The tree's behaviour, which the application gives it: its parts filled in
// when it is made, everything else as a tree view does it.
LRESULT CALLBACK DemoTreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* tree = reinterpret_cast<CTree*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_CREATE) {
    TVINSERTSTRUCTA insert{};
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    char bars[] = "Bars";
    insert.item.pszText = bars;
    const auto root =
        reinterpret_cast<HTREEITEM>(SendMessageA(window, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    char names[][16] = {"Main menu", "Standard", "Tools", "Files", "Status", "Floating"};
    insert.hParent = root;
    for (char* name : names) {
      insert.item.pszText = name;
      SendMessageA(window, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
    }
    SendMessageA(window, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    return 0;
  }
  return tree != nullptr && tree->oldTreeProc != nullptr
             ? CallWindowProcA(tree->oldTreeProc, window, message, wParam, lParam)
             : DefWindowProcA(window, message, wParam, lParam);
}

// Moves the pointer onto the item, presses and releases it as a click does.
void ClickItem(const CUIItem* item) {
  if (item == nullptr || item->window == nullptr) return;
  RECT r{};
  GetClientRect(item->window, &r);
  POINT centre{r.right / 2, r.bottom / 2};
  const LPARAM at = MAKELPARAM(centre.x, centre.y);
  ClientToScreen(item->window, &centre);
  SetCursorPos(centre.x, centre.y);
  SendMessageA(item->window, WM_MOUSEMOVE, 0, at);
  SendMessageA(item->window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(item->window, WM_LBUTTONUP, 0, at);
}

void OpenAskedPopup() {
  if (gMode == "overflow") {
    CBar* bar = FindDemoBar(0x5002);
    if (bar != nullptr && bar->items.Count() > 0) ClickItem(bar->items[bar->items.Count() - 1]);
  } else if (gMode == "menu") {
    CBar* bar = FindDemoBar(0x5001);
    if (bar != nullptr && bar->items.Count() > 0) ClickItem(bar->items[0]);
    // And its "Recent" entry, which opens the submenu.
    if (bar != nullptr && bar->items.Count() > 0) {
      const auto* file = static_cast<const CMenu*>(bar->items[0]);
      for (const CUIItem* entry : file->entries) {
        if (entry->id == 0x5103) ClickItem(entry);
      }
    }
  } else if (gMode == "windowmenu") {
    SendMessageA(gFrame->window, WM_FW_WINDOWMENU, 0, 0);
  }
}

// The open popup menu's window, if it is shown.
bool PopupShown() {
  const auto* root = dynamic_cast<const CMenu*>(gApp.openPopupItem);
  return root != nullptr && root->popup != nullptr && IsWindowVisible(root->popup) && root->entries.Count() > 0;
}

int CheckPopups() {
  int failed = 0;
  for (const char* mode : {"overflow", "menu", "windowmenu"}) {
    gMode = mode;
    OpenAskedPopup();
    const bool open = PopupShown();
    failed += open ? 0 : 1;
    Log((gMode + (open ? " open" : " closed")).c_str());
    (void)ClosePopupMenu(nullptr);
  }
  return failed;
}

LRESULT CALLBACK DemoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
    case WM_DRAWITEM:
      if (gList != nullptr && gList->drawItem != nullptr) {
        const unsigned row = gList->drawItem->itemID;
        if (row < sizeof kFiles / sizeof kFiles[0]) {
          gList->DrawCell(0, kFiles[row][0], 0);
          gList->DrawCell(1, kFiles[row][1], 0);
        }
        return TRUE;
      }
      break;
    case WM_FW_COMMAND:
      if (LOWORD(wParam) == 0x5104) PostQuitMessage(0);
      return 0;
    case WM_TIMER:
      if (wParam != kReadyTimer) break;
      KillTimer(window, kReadyTimer);
      if (gMode == "check") {
        PostQuitMessage(CheckPopups());
        return 0;
      }
      OpenAskedPopup();
      if (!gLog.empty()) {
        char line[32];
        std::snprintf(line, sizeof line, "dpi %d", GetWindowDpi(window));
        Log(line);
        Log("ready");
      }
      return 0;
    default:
      break;
  }
  return FrameDefaultProc(window, message, wParam, lParam);
}

bool AddDemoCommands() {
  for (const DemoCommand& c : kCommands) {
    TextRecord text{c.id, {}};
    text.text[kItemTextLabel] = c.label;
    text.text[2] = c.hint;
    text.text[kItemTextTooltip] = c.label != nullptr ? c.label : c.hint;
    gTexts.push_back(text);
  }
  TextRecord end{kTextTableEnd, {}};
  gTexts.push_back(end);
  InstallAppTexts(gTexts.data());
  if (RegisterStandardCommands() != kStatusOk) return false;
  for (const DemoCommand& c : kCommands) {
    if (AddCommand(c.id, c.kind, c.flags, 0, kSameIdAsCommand, c.value, c.widthFactor, c.heightFactor) < 0) {
      return false;
    }
  }
  return true;
}

bool AddDemoBars() {
  for (const DemoBar& b : kBars) {
    auto* bar = new CBar;
    if (bar->CreateBar(b.id, *gFrame, b.items.data(), static_cast<int>(b.items.size()), b.flags | kBarVisible) !=
        kStatusOk) {
      delete bar;
      return false;
    }
    bar->row = b.row;
    if (AddBar(bar, b.side < 0 ? -1 : b.side + gFrame->id * 256, b.x, b.y, b.width, 0) < 0) return false;
  }
  // The file list's columns and rows.
  if (CBar* files = FindDemoBar(0x5004)) {
    // The item factory made a list for the command of kind kList.
    gList = static_cast<CList*>(files->items[0]);
    (void)gList->AddColumn("Name", 0.6, 0);
    (void)gList->AddColumn("Size", 0.4, 1);
    for (std::size_t i = 0; i < sizeof kFiles / sizeof kFiles[0]; ++i) (void)gList->AddRow(nullptr);
  }
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  SetProcessDPIAware();
  std::string args = commandLine != nullptr ? commandLine : "";
  const std::size_t space = args.find(' ');
  gMode = args.substr(0, space);
  if (space != std::string::npos) gLog = args.substr(space + 1);
  if (gLog.size() >= 2 && gLog.front() == '"' && gLog.back() == '"') gLog = gLog.substr(1, gLog.size() - 2);
  if (!gLog.empty()) std::remove(gLog.c_str());

  gApp.hInstance = instance;
  gApp.theme.instance = instance;
  gApp.noStateSave = 1;  // a demonstration leaves no records behind
  ComputeAppColours();
  if (!RegisterUIItemClass() || !AddDemoCommands()) {
    Log("failed: the commands");
    return 1;
  }
  const bool narrow = gMode == "overflow" || gMode == "check";
  const int index = CreateAppWindow(kDemoWindowId, &DemoProc, "Veltrano bars and items", 1, kFrameSizable, 60, 40,
                                    narrow ? 330 : 620, narrow ? 380 : 460);
  if (index < 0) {
    Log("failed: the window");
    return 1;
  }
  gFrame = gApp.windows[index];
  if (!AddDemoBars()) {
    Log("failed: the bars");
    return 1;
  }
  gFrame->ShowFrame(SW_SHOWNORMAL, false);
  if (!gMode.empty()) SetTimer(gFrame->window, kReadyTimer, 700, nullptr);
  const int code = RunMessageLoop();
  AppExit();
  return code;
}
