#include "framework/app/message_box_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(MessageBoxFlags, IconButtonsAndDefaultButton) {
  const struct {
    std::uint32_t flags;
    int previous;
    MsgBoxIcon icon;
    MsgBoxButtons buttons;
    int defaultButton;
  } cases[] = {
      {0x111, 3, MsgBoxIcon::kError, MsgBoxButtons::kOk, 0},
      {0x588, 0, MsgBoxIcon::kQuestion, MsgBoxButtons::kYesNoCancel, 1},  // Cancel overrides Yes
      {0x42, 0, MsgBoxIcon::kExclamation, MsgBoxButtons::kYesNo, 2},
      {0x1044, 0, MsgBoxIcon::kAsterisk, MsgBoxButtons::kYesNo, 3},
      {0x001, 3, MsgBoxIcon::kError, MsgBoxButtons::kNone, 3},   // no set, no default: the previous box's
      {0x400, 0, MsgBoxIcon::kNone, MsgBoxButtons::kNone, 1},    // a default bit alone still counts
      {0x023, 2, MsgBoxIcon::kNone, MsgBoxButtons::kOkCancel, 0},  // two icon bits: no icon
      {0x030, 2, MsgBoxIcon::kNone, MsgBoxButtons::kOk, 0},        // two sets: the smaller
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.flags);
    EXPECT_EQ(MessageBoxIcon(c.flags), c.icon);
    EXPECT_EQ(MessageBoxButtons(c.flags), c.buttons);
    EXPECT_EQ(NextDefaultButton(c.flags, c.previous), c.defaultButton);
  }
}

std::vector<std::string> Lines(const MessageLines& m) {
  return std::vector<std::string>(m.line.begin(), m.line.begin() + m.count);
}

TEST(MessageBoxText, SplitIntoMeasuredLines) {
  MessageLines m;
  SplitMessageLines("first\r\n\r\nthird\r", m);
  EXPECT_EQ(Lines(m), (std::vector<std::string>{"first", "", "third"}));
  SplitMessageLines(nullptr, m);
  EXPECT_EQ(Lines(m), (std::vector<std::string>{""}));

  // Twenty line feeds: fifteen lines, the fifteenth ending at the fifteenth feed.
  std::string text;
  for (int i = 1; i <= 21; ++i) text += "line " + std::to_string(i) + (i < 21 ? "\n" : "");
  SplitMessageLines(text.c_str(), m);
  ASSERT_EQ(m.count, 15);
  EXPECT_STREQ(m.line[14], "line 15");

  const std::string longText(3000, 'a');
  SplitMessageLines(longText.c_str(), m);
  EXPECT_EQ(std::string(m.line[0]).size(), kMsgBoxTextLimit);

  EXPECT_STREQ(TextAfterFirstLine("one\r\ntwo\r\nthree"), "two\r\nthree");
  EXPECT_STREQ(TextAfterFirstLine("one"), "");
  EXPECT_EQ(TextAfterFirstLine(nullptr), nullptr);
}

// Icon area 32 pixels high at (15, 15), text at (63, 15), buttons 75 x 23 at
// y 65, a work area 1024 wide (text at most 256 wide).
constexpr MessageBoxTemplate kTemplate{{15, 15, 47, 47}, {63, 15}, 65, 75, 23, 1024};

TEST(MessageBoxLayout, TextsAgainstTheIcon) {
  const struct {
    const char* name;
    std::vector<LineSize> lines;
    PixelRect first;
    bool hasOther;
    PixelRect other;
    int buttonTop;
    int clientWidth;
  } cases[] = {
      // 108 x 19 with the margins, centred on the icon; the box as wide as the text.
      {"one line", {{100, 16}}, {63, 21, 171, 40}, false, {}, 65, 63 + 2 * 19 + 108},
      {"two lines centred together", {{100, 16}, {50, 16}}, {63, 13, 171, 32}, true, {63, 32, 171, 49}, 65, 209},
      // Three and more: from the top, the text at most a quarter of the work
      // area wide, the buttons pushed down by 1.5 first lines and the rest.
      {"five long lines",
       {{300, 16}, {300, 16}, {300, 16}, {300, 16}, {300, 16}},
       {63, 15, 319, 34},
       true,
       {63, 34, 319, 102},
       15 + 28 + 68,
       63 + 38 + 256},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const MessageBoxLayout l =
        LayoutMessageBox(kTemplate, c.lines.data(), static_cast<int>(c.lines.size()), MsgBoxButtons::kOk);
    EXPECT_EQ(l.firstLine, c.first);
    EXPECT_EQ(l.hasOtherLines, c.hasOther);
    if (c.hasOther) {
      EXPECT_EQ(l.otherLines, c.other);
    }
    EXPECT_EQ(l.buttonTop, c.buttonTop);
    EXPECT_EQ(l.growth, c.buttonTop - kTemplate.buttonTop);
    EXPECT_EQ(l.clientWidth, c.clientWidth);
    EXPECT_EQ(l.buttonLeft[0], (c.clientWidth - 75) / 2);  // OK alone is centred
  }
}

TEST(MessageBoxLayout, ButtonRows) {
  // Width 357 from the text; W 75, H 23, gap 7. With no text the buttons set
  // the width: H + (W + gap) per button.
  const std::vector<LineSize> wide(3, LineSize{300, 16});
  const LineSize none{0, 0};
  const struct {
    MsgBoxButtons set;
    const LineSize* lines;
    int count;
    int clientWidth;
    std::array<bool, 4> shown;      // OK, Cancel, Yes, No
    std::array<int, 4> buttonLeft;  // of the shown ones
  } cases[] = {
      {MsgBoxButtons::kOkCancel, wide.data(), 3, 357, {true, true, false, false}, {100, 182, 0, 0}},
      {MsgBoxButtons::kYesNo, wide.data(), 3, 357, {false, false, true, true}, {0, 0, 101, 183}},
      {MsgBoxButtons::kYesNoCancel, wide.data(), 3, 357, {false, true, true, true}, {0, 222, 58, 140}},
      {MsgBoxButtons::kYesNoCancel, &none, 1, 23 + 82 * 3, {false, true, true, true}, {0, 178, 14, 96}},
      {MsgBoxButtons::kNone, &none, 1, 63 + 6 + 8, {false, false, false, false}, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.set));
    const MessageBoxLayout l = LayoutMessageBox(kTemplate, c.lines, c.count, c.set);
    EXPECT_EQ(l.clientWidth, c.clientWidth);
    EXPECT_EQ(l.shown, c.shown);
    for (std::size_t i = 0; i < 4; ++i) {
      if (c.shown[i]) {
        EXPECT_EQ(l.buttonLeft[i], c.buttonLeft[i]) << "button " << i;
      }
    }
  }
}

}  // namespace
