#include "scrolling/engine/button_actions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "scrolling/engine/records.h"
#include "scrolling/engine/tests/fake_platform.h"

namespace {

using test_support::Hex;

constexpr WindowId kReceiver = 0x700;   // got the command
constexpr WindowId kUnderCursor = 0x800;

template <typename List>
std::string Describe(const List& inputs) {
  std::string text;
  for (const KeyInput& k : inputs) text += Hex(k.virtualKey) + (k.keyUp ? "^ " : "v ");
  return text;
}

TEST(KeyCombinationTest, HeldKeysAreReleasedThenModifiersWrapTheKey) {
  FakeDesktop platform;
  platform.keysDown = {0x41, 0x02};
  // Ctrl+Shift+F5.
  EXPECT_EQ(Describe(BuildKeyCombination(platform, 0x0674)),
            "0x2^ 0x41^ 0x10v 0x11v 0x74v 0x74^ 0x10^ 0x11^ ");
  platform.keysDown.clear();
  // All four modifiers: Shift, Alt, Ctrl, Windows, in and out in that order.
  EXPECT_EQ(Describe(BuildKeyCombination(platform, 0x0F20)),
            "0x10v 0x12v 0x11v 0x5Bv 0x20v 0x20^ 0x10^ 0x12^ 0x11^ 0x5B^ ");

  // Sent: the window is activated first; the value 0 types nothing.
  SendKeyCombination(platform, 0, kReceiver);
  EXPECT_TRUE(platform.log.empty());
  EXPECT_TRUE(platform.keyBatches.empty());
  SendKeyCombination(platform, 0x0041, kReceiver);
  EXPECT_EQ(platform.log, (std::vector<std::string>{"activate 0x700"}));
  ASSERT_EQ(platform.keyBatches.size(), 1u);
  EXPECT_EQ(Describe(platform.keyBatches[0]), "0x41v 0x41^ ");
}

// The program is a path of at most 259 characters (a cut one could start a
// different program); the arguments keep the whole rest.
TEST(SplitCommandLineTest, ProgramAndArguments) {
  struct Case {
    std::string text;
    bool ok;
    std::string program, arguments;
  };
  const std::string path(259, 'p');
  const Case cases[] = {
      {"\"C:\\Program Files\\Tool\\tool.exe\"   -a \"b c\"", true, "C:\\Program Files\\Tool\\tool.exe", "-a \"b c\""},
      {"calc.exe", true, "calc.exe", ""},
      {"cmd /c dir", true, "cmd", "/c dir"},
      {"\"C:\\no end quote\\x.exe -v", true, "C:\\no end quote\\x.exe -v", ""},
      {" x y", true, " x", "y"},  // the blank is looked for from the second character on
      {std::string("a b\0c", 5), true, "a", "b"},
      {"", false, "", ""},
      {"\"\" args", false, "", ""},
      {path + " " + std::string(258, 'a'), true, path, std::string(258, 'a')},
      {"p " + std::string(kCommandSize - 1, 'a'), true, "p", std::string(kCommandSize - 1, 'a')},
      {"p " + std::string(kCommandSize, 'a'), false, "", ""},
      {path + "p -x", false, "", ""},
      {"\"" + path + "p\" -x", false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40) + " (" + std::to_string(c.text.size()) + ")");
    CommandLineParts parts;
    ASSERT_EQ(SplitCommandLine(c.text, parts), c.ok);
    EXPECT_EQ(parts.program, c.program);
    EXPECT_EQ(parts.arguments, c.arguments);
  }
  char field[8];
  std::memcpy(field, "run.exe!", 8);  // a field without a NUL stops at its end
  CommandLineParts parts;
  ASSERT_TRUE(SplitCommandLine(std::string_view(field, sizeof field), parts));
  EXPECT_STREQ(parts.program, "run.exe!");
}

// A desktop where a WM_APPCOMMAND sent to a window can be caught by the hook
// there and reported back at once, as a new command, while the first one is
// still being handled.
class EchoingDesktop : public FakeDesktop {
 public:
  std::intptr_t SendWindowMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) override {
    (void)FakeDesktop::SendWindowMessage(window, message, wParam, lParam);
    // Bounded, so that a missing guard fails the test instead of the stack.
    if (selector == nullptr || message != kWmAppCommand || depth >= 4) return 0;
    ++depth;
    shared->appCommandLParam = static_cast<std::uint32_t>(lParam);
    const auto command = static_cast<std::uint32_t>((static_cast<std::uintptr_t>(lParam) >> 16) & 0xFFF);
    nestedAnswers.push_back(HandleAppCommand(*this, *selector, gOpt, shared, command, window));
    --depth;
    return 0;
  }
  SharedMemory* shared = nullptr;
  TargetSelector* selector = nullptr;  // set: echo
  int depth = 0;
  std::vector<std::intptr_t> nestedAnswers;
};

class AppCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetFactoryOptions();
    gOpt.iNumPar = 1;
    SetProfileDefaults(gOpt.Par[0]);
    P().bBackCursor = 0;
    P().bBackForeground = 0;
    desktop.Add(kReceiver);
    desktop.Add(kUnderCursor);
    desktop.windowUnderCursor = kUnderCursor;
    desktop.shared = &shared;
  }
  Profile& P() { return gOpt.Par[0]; }
  std::intptr_t Command(std::uint32_t command, std::uint32_t lParam) {
    shared.appCommandLParam = lParam;
    return HandleAppCommand(desktop, selector, gOpt, &shared, command, kReceiver);
  }
  std::uint32_t SentLParam(std::size_t i) const { return static_cast<std::uint32_t>(desktop.sent.at(i).lParam); }

  EchoingDesktop desktop;
  SharedMemory shared{};
  TargetSelector selector{desktop, gOpt};
};

TEST_F(AppCommandTest, SameButtonPassesUnlessItGoesToTheWindowUnderTheCursor) {
  EXPECT_EQ(Command(kAppCommandBrowserBack, 0x80010000u), 0);
  EXPECT_EQ(Command(kAppCommandBrowserForward, 0x80020000u), 0);
  EXPECT_TRUE(desktop.sent.empty());

  P().bBackCursor = 1;
  P().bBackForeground = 1;
  selector.ResetTargetCache();
  EXPECT_EQ(Command(kAppCommandBrowserBack, 0x80010000u), 1);
  ASSERT_EQ(desktop.sent.size(), 1u);
  EXPECT_EQ(desktop.sent[0], (SentMessage{kUnderCursor, kWmAppCommand, kUnderCursor,
                                          static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80010000u))}));
  EXPECT_EQ(desktop.log.back(), "foreground 0x800");

  // The window under the cursor got the command itself: it goes on as it is.
  desktop.windowUnderCursor = kReceiver;
  desktop.sent.clear();
  EXPECT_EQ(Command(kAppCommandBrowserBack, 0x80010000u), 0);
  EXPECT_TRUE(desktop.sent.empty());
}

TEST_F(AppCommandTest, SwappedButtonsKeepTheDeviceBitAndDropTheKeyState) {
  P().iBackMode = ModeValue(BackFwdMode::Forward);
  P().iForwardMode = ModeValue(BackFwdMode::Back);
  EXPECT_EQ(Command(kAppCommandBrowserBack, 0x80010008u), 1);
  EXPECT_EQ(Command(kAppCommandBrowserForward, 0x00020004u), 1);
  ASSERT_EQ(desktop.sent.size(), 2u);
  EXPECT_EQ(desktop.sent[0].window, kReceiver);
  EXPECT_EQ(SentLParam(0), 0x80020000u);
  EXPECT_EQ(SentLParam(1), 0x00010000u);

  // The swapped command caught again by the hook passes unchanged, once;
  // the guard ends with the command, so the next one is handled again.
  desktop.selector = &selector;
  for (std::uint32_t command : {kAppCommandBrowserBack, kAppCommandBrowserForward}) {
    desktop.sent.clear();
    desktop.nestedAnswers.clear();
    EXPECT_EQ(Command(command, command << 16 | 0x80000000u), 1);
    ASSERT_EQ(desktop.sent.size(), 1u);
    EXPECT_EQ(SentLParam(0), (3 - command) << 16 | 0x80000000u);
    EXPECT_EQ(desktop.nestedAnswers, std::vector<std::intptr_t>{0});
  }
}

TEST_F(AppCommandTest, KeysAndCommandLines) {
  P().iBackMode = ModeValue(BackFwdMode::Keys);
  P().hkBack = 0x0225;  // Ctrl+Left
  P().iForwardMode = ModeValue(BackFwdMode::CommandLine);
  std::strcpy(P().szForwardCmd, "\"C:\\My Tools\\next.exe\" --page 2");
  EXPECT_EQ(Command(kAppCommandBrowserBack, 0), 1);
  ASSERT_EQ(desktop.keyBatches.size(), 1u);
  EXPECT_EQ(Describe(desktop.keyBatches[0]), "0x11v 0x25v 0x25^ 0x11^ ");
  EXPECT_EQ(desktop.log.back(), "activate 0x700");

  // Twice over the same window: the arguments go with both runs.
  EXPECT_EQ(Command(kAppCommandBrowserForward, 0), 1);
  EXPECT_EQ(Command(kAppCommandBrowserForward, 0), 1);
  EXPECT_EQ(desktop.log[desktop.log.size() - 2], "run 0x700 [C:\\My Tools\\next.exe] [--page 2]");
  EXPECT_EQ(desktop.log.back(), desktop.log[desktop.log.size() - 2]);
  EXPECT_STREQ(gOpt.Par[0].szForwardCmd, "\"C:\\My Tools\\next.exe\" --page 2");
}

TEST_F(AppCommandTest, UnknownModesAndCommandsAreSwallowedAndNothingIsDoneWhenOffOrWithoutTarget) {
  P().iBackMode = 9;
  EXPECT_EQ(Command(kAppCommandBrowserBack, 0x10000), 1);
  EXPECT_EQ(Command(7, 0x70000), 1);

  P().iBackMode = ModeValue(BackFwdMode::Forward);
  selector.ResetTargetCache();
  gOpt.bDisabled = 1;
  EXPECT_EQ(Command(kAppCommandBrowserBack, 0x10000), 0);
  gOpt.bDisabled = 0;
  desktop.windows[kUnderCursor].path.clear();
  EXPECT_EQ(Command(kAppCommandBrowserBack, 0x10000), 0);
  EXPECT_TRUE(desktop.sent.empty());
  EXPECT_TRUE(desktop.keyBatches.empty());
}

// --- Record insertion ---

// The 28-byte record of the 32-bit program's lists.
struct Rec {
  int id;
  char pad[24];
};

std::vector<int> Ids(const CGrowArray<Rec>& list) {
  std::vector<int> ids;
  for (const Rec& r : list) ids.push_back(r.id);
  return ids;
}

TEST(InsertRecordsTest, ClampsTheIndexMovesLaterRecordsUpAndGrowsByTheArraysRule) {
  CGrowArray<Rec> list;
  const Rec a[2] = {{1, {}}, {2, {}}};
  const Rec b{3, {}};
  EXPECT_EQ(InsertRecords(list, a, 5, 2), 0);
  EXPECT_EQ(list.Capacity(), 16);
  EXPECT_EQ(InsertRecords(list, &b, 1, 1), 1);
  EXPECT_EQ(InsertRecords(list, &b, -4, 1), 0);
  EXPECT_EQ(InsertRecords(list, &b, 99, 1), 4);
  EXPECT_EQ(Ids(list), (std::vector<int>{3, 1, 3, 2, 3}));
  EXPECT_EQ(InsertRecords(list, &b, 0, 0), -1);
  EXPECT_EQ(InsertRecords(list, &b, 0, -1), -1);
  EXPECT_EQ(InsertRecords<Rec>(list, nullptr, 0, 1), -1);
  EXPECT_EQ(list.Count(), 5);
  // Its own records, through a reallocation.
  while (list.Count() < 16) ASSERT_GE(InsertRecords(list, &b, list.Count(), 1), 0);
  EXPECT_EQ(InsertRecords(list, list.Data() + 1, 0, 2), 0);
  EXPECT_EQ(list.Capacity(), 32);
  EXPECT_EQ(list[0].id, 1);
  EXPECT_EQ(list[1].id, 3);
}

}  // namespace
