#include "framework/app/message_box_core.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kOkIndex = 0;
constexpr int kCancelIndex = 1;
constexpr int kYesIndex = 2;
constexpr int kNoIndex = 3;

std::uint32_t LowestBit(std::uint32_t bits) noexcept { return bits & (~bits + 1); }

}  // namespace

MsgBoxIcon MessageBoxIcon(std::uint32_t flags) noexcept {
  switch (flags & kMsgBoxIconMask) {
    case kMsgBoxError: return MsgBoxIcon::kError;
    case kMsgBoxExclamation: return MsgBoxIcon::kExclamation;
    case kMsgBoxAsterisk: return MsgBoxIcon::kAsterisk;
    case kMsgBoxQuestion: return MsgBoxIcon::kQuestion;
    default: return MsgBoxIcon::kNone;
  }
}

MsgBoxButtons MessageBoxButtons(std::uint32_t flags) noexcept {
  switch (LowestBit(flags & kMsgBoxButtonMask)) {
    case kMsgBoxOk: return MsgBoxButtons::kOk;
    case kMsgBoxOkCancel: return MsgBoxButtons::kOkCancel;
    case kMsgBoxYesNo: return MsgBoxButtons::kYesNo;
    case kMsgBoxYesNoCancel: return MsgBoxButtons::kYesNoCancel;
    default: return MsgBoxButtons::kNone;
  }
}

std::array<bool, kMsgBoxButtonCount> ShownButtons(MsgBoxButtons set) noexcept {
  switch (set) {
    case MsgBoxButtons::kOk: return {true, false, false, false};
    case MsgBoxButtons::kOkCancel: return {true, true, false, false};
    case MsgBoxButtons::kYesNo: return {false, false, true, true};
    case MsgBoxButtons::kYesNoCancel: return {false, true, true, true};
    default: return {false, false, false, false};
  }
}

int NextDefaultButton(std::uint32_t flags, int previous) noexcept {
  int index = previous;
  switch (MessageBoxButtons(flags)) {
    case MsgBoxButtons::kOk:
    case MsgBoxButtons::kOkCancel: index = kOkIndex; break;
    case MsgBoxButtons::kYesNo:
    case MsgBoxButtons::kYesNoCancel: index = kYesIndex; break;
    default: break;
  }
  switch (LowestBit(flags & (kMsgBoxDefaultOk | kMsgBoxDefaultCancel | kMsgBoxDefaultYes | kMsgBoxDefaultNo))) {
    case kMsgBoxDefaultOk: index = kOkIndex; break;
    case kMsgBoxDefaultCancel: index = kCancelIndex; break;
    case kMsgBoxDefaultYes: index = kYesIndex; break;
    case kMsgBoxDefaultNo: index = kNoIndex; break;
    default: break;
  }
  return index;
}

void SplitMessageLines(const char* text, MessageLines& out) noexcept {
  if (text == nullptr) text = "";
  std::size_t n = 0;
  for (std::size_t i = 0; i < kMsgBoxTextLimit && text[i] != '\0'; ++i) {
    if (text[i] != '\r') out.buffer[n++] = text[i];
  }
  out.buffer[n] = '\0';
  out.count = 1;
  out.line[0] = out.buffer;
  for (std::size_t i = 0; i < n; ++i) {
    if (out.buffer[i] != '\n') continue;
    out.buffer[i] = '\0';
    if (out.count == kMsgBoxMaxLines) break;
    out.line[static_cast<std::size_t>(out.count++)] = out.buffer + i + 1;
  }
}

const char* TextAfterFirstLine(const char* text) noexcept {
  if (text == nullptr) return nullptr;
  const char* feed = std::strchr(text, '\n');
  return feed != nullptr ? feed + 1 : text + std::strlen(text);
}

int MessageTextWidth(const LineSize* lines, int count, int workAreaWidth) noexcept {
  count = std::clamp(count, 1, kMsgBoxMaxLines);
  int widest = 0;
  for (int i = 0; i < count; ++i) widest = std::max(widest, (lines != nullptr ? lines[i].width : 0) + 8);
  const int quarter = workAreaWidth / 4;
  return quarter > 0 ? std::min(widest, quarter) : widest;
}

MessageBoxLayout LayoutMessageBox(const MessageBoxTemplate& dialog, const LineSize* lines, int count,
                                  MsgBoxButtons set) noexcept {
  MessageBoxLayout out;
  count = std::clamp(count, 1, kMsgBoxMaxLines);
  // Each line with a margin; the first one a little taller.
  std::array<LineSize, kMsgBoxMaxLines> size{};
  int others = 0;
  for (int i = 0; i < count; ++i) {
    const LineSize measured = lines != nullptr ? lines[i] : LineSize{};
    LineSize& s = size[static_cast<std::size_t>(i)];
    s.width = measured.width + 8;
    s.height = measured.height + 1 + (i == 0 ? 2 : 0);
    if (i > 0) others += s.height;
  }
  out.textWidth = MessageTextWidth(lines, count, dialog.workAreaWidth);

  const int first = size[0].height;
  const int left = dialog.textOrigin.x;
  const int iconHeight = dialog.iconArea.bottom - dialog.iconArea.top;
  int top = dialog.textOrigin.y;
  if (count <= 2) top = dialog.iconArea.top + (iconHeight - first - others) / 2;  // centred on the icon
  out.firstLine = PixelRect{left, top, left + out.textWidth, top + first};
  out.hasOtherLines = count > 1;
  if (out.hasOtherLines) out.otherLines = PixelRect{left, top + first, left + out.textWidth, top + first + others};

  out.buttonTop = std::max(dialog.buttonTop, top + first * 3 / 2 + others);
  out.growth = out.buttonTop - dialog.buttonTop;

  out.shown = ShownButtons(set);
  const int shownCount = static_cast<int>(std::count(out.shown.begin(), out.shown.end(), true));
  const int w = dialog.buttonWidth;
  const int h = dialog.buttonHeight;
  const int gap = h / 3;
  out.clientWidth = std::max(left + 2 * first + out.textWidth, h + (w + gap) * shownCount);
  const int cw = out.clientWidth;
  switch (set) {
    case MsgBoxButtons::kOk: out.buttonLeft[kOkIndex] = (cw - w) / 2; break;
    case MsgBoxButtons::kOkCancel:
      out.buttonLeft[kOkIndex] = (cw - (2 * w + gap)) / 2;
      out.buttonLeft[kCancelIndex] = out.buttonLeft[kOkIndex] + w + gap;
      break;
    case MsgBoxButtons::kYesNo:
      out.buttonLeft[kYesIndex] = (cw - 2 * w - h / 4) / 2;
      out.buttonLeft[kNoIndex] = out.buttonLeft[kYesIndex] + w + gap;
      break;
    case MsgBoxButtons::kYesNoCancel:
      out.buttonLeft[kYesIndex] = (cw - 3 * w - 2 * h / 3) / 2;
      out.buttonLeft[kNoIndex] = out.buttonLeft[kYesIndex] + w + gap;
      out.buttonLeft[kCancelIndex] = out.buttonLeft[kNoIndex] + w + gap;
      break;
    default: break;
  }
  return out;
}
