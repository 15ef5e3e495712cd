#include "scrolling/app/main_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "host64/hook_mask.h"

namespace {

// One profile with nothing switched on, changed by each row.
struct MaskCase {
  const char* what;
  std::function<void(Profile&)> set;
  unsigned mask;
  bool wheel = false;  // wheel turns are reported to the main program
};

std::unique_ptr<Options> OneQuietProfile() {
  auto options = std::make_unique<Options>();
  std::memset(options.get(), 0, sizeof(Options));
  options->iNumPar = 1;
  Profile& p = options->Par[0];
  p.iBackMode = ModeValue(BackFwdMode::Back);
  p.iForwardMode = ModeValue(BackFwdMode::Forward);
  p.iMiddleMode = ModeValue(MiddleMode::Middle);
  return options;
}

TEST(HookMaskForProfiles, EachSettingNeedsItsHook) {
  const MaskCase cases[] = {
      {"nothing on", [](Profile&) {}, 0},
      {"drag", [](Profile& p) { p.bScrollEnable = 1; }, kHookMaskMouse | kHookMaskGetMessage},
      {"middle keys", [](Profile& p) { p.iMiddleMode = ModeValue(MiddleMode::Keys); }, kHookMaskMouse},
      {"middle command", [](Profile& p) { p.iMiddleMode = ModeValue(MiddleMode::CommandLine); }, kHookMaskMouse},
      {"wheel", [](Profile& p) { p.bWheelEnable = 1; }, kHookMaskGetMessage, true},
      {"invert", [](Profile& p) { p.bWheelInvert = 1; }, kHookMaskGetMessage, true},
      {"under cursor", [](Profile& p) { p.bWheelCursor = 1; }, kHookMaskGetMessage, true},
      {"to the foreground", [](Profile& p) { p.bWheelForeground = 1; }, kHookMaskGetMessage, true},
      {"drag, wheel to the foreground", [](Profile& p) { p.bScrollEnable = 1; p.bWheelForeground = 1; },
       kHookMaskMouse | kHookMaskGetMessage, true},
      {"back/fwd as they are", [](Profile& p) { p.bEnableBackFwd = 1; }, 0},
      {"back/fwd cursor", [](Profile& p) { p.bEnableBackFwd = 1; p.bBackCursor = 1; }, kHookMaskCallWndProc},
      {"back swapped", [](Profile& p) { p.bEnableBackFwd = 1; p.iBackMode = 1; }, kHookMaskCallWndProc},
      {"forward keys", [](Profile& p) { p.bEnableBackFwd = 1; p.iForwardMode = 2; }, kHookMaskCallWndProc},
      {"back mode without enable", [](Profile& p) { p.iBackMode = 2; }, 0},
      {"all", [](Profile& p) { p.bScrollEnable = 1; p.bWheelEnable = 1; p.bEnableBackFwd = 1; p.bBackCursor = 1; },
       kHookMaskAll, true},
  };
  for (const MaskCase& c : cases) {
    auto options = OneQuietProfile();
    c.set(options->Par[0]);
    EXPECT_EQ(HookMaskForProfiles(*options, true), c.mask) << c.what;
    EXPECT_EQ(HookMaskForProfiles(*options, false), 0u) << c.what;
    EXPECT_EQ(WheelReportedForProfiles(*options, true), c.wheel) << c.what;
    EXPECT_FALSE(WheelReportedForProfiles(*options, false)) << c.what;
  }
}

TEST(HookMaskForProfiles, OnlyProfilesInUseCountAndAnyOneSuffices) {
  auto options = OneQuietProfile();
  options->Par[1].iMiddleMode = ModeValue(MiddleMode::Keys);  // beyond iNumPar
  EXPECT_EQ(HookMaskForProfiles(*options, true), 0u);
  options->iNumPar = 3;
  options->Par[2] = options->Par[0];
  options->Par[2].bWheelCursor = 1;
  EXPECT_EQ(HookMaskForProfiles(*options, true), kHookMaskMouse | kHookMaskGetMessage);
  EXPECT_TRUE(WheelReportedForProfiles(*options, true));
  options->iNumPar = kMaxProfiles + 5;  // damaged count: read no further than the list
  EXPECT_EQ(HookMaskForProfiles(*options, true), kHookMaskMouse | kHookMaskGetMessage);
  options->iNumPar = -1;
  EXPECT_EQ(HookMaskForProfiles(*options, true), 0u);
  EXPECT_FALSE(WheelReportedForProfiles(*options, true));
}

TEST(MainDecisions, TrayHelpAndProfileName) {
  struct TrayCase {
    std::uint32_t message;
    bool shown;
    TrayAction action;
  } trays[] = {
      {0x0201, true, TrayAction::kShowSettings},   {0x0201, false, TrayAction::kShowSettings},
      {0x0204, true, TrayAction::kToggleDisabled}, {0x0204, false, TrayAction::kNone},
      {0x0200, true, TrayAction::kNone},           {0x0202, true, TrayAction::kNone},
  };
  for (const TrayCase& c : trays) EXPECT_EQ(TrayActionFor(c.message, c.shown), c.action) << c.message << c.shown;

  EXPECT_STREQ(HelpTopicFor("about"), "ConfigurationInformation.htm");
  EXPECT_STREQ(HelpTopicFor("ABOUT"), "ConfigurationInformation.htm");
  EXPECT_STREQ(HelpTopicFor("Abouts"), "Abouts");
  EXPECT_STREQ(HelpTopicFor("Profiles.htm"), "Profiles.htm");
  EXPECT_EQ(HelpTopicFor(nullptr), nullptr);

  EXPECT_EQ(TrayIconFor(true), 101);
  EXPECT_EQ(TrayIconFor(false), 1);
  EXPECT_EQ(HotKeyModifiers(kHotKeyCtrlZ), 2u);
  EXPECT_EQ(HotKeyVirtualKey(kHotKeyCtrlZ), 0x5Au);

  auto options = OneQuietProfile();
  std::strcpy(options->Par[0].szParName, "Editor");
  const struct {
    std::int32_t current;
    const char* name;
  } names[] = {{0, "Editor"}, {-1, ""}, {1, ""}, {kMaxProfiles, ""}};
  for (const auto& c : names) {
    options->iCurPar = c.current;
    EXPECT_EQ(CurrentProfileName(*options), c.name) << c.current;
  }
}

}  // namespace
