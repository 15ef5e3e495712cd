#include "scrolling/options/options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "framework/text/text_table.h"

namespace {

bool AllZero(const void* p, std::size_t n) {
  const auto* b = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < n; ++i) {
    if (b[i] != 0) return false;
  }
  return true;
}

void Put(char* field, std::size_t size, const char* text) {
  std::memset(field, 0, size);
  std::strncpy(field, text, size - 1);
}
#define PUT(field, text) Put(field, sizeof field, text)

class OptionsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetStartupWheelLines(kDefaultWheelLines); }
  void TearDown() override { SetStartupWheelLines(kDefaultWheelLines); }
};

TEST_F(OptionsTest, ModeEnumerationsAreTheStoredNumbers) {
  EXPECT_EQ(ModeValue(VerticalMode::ScrollBars), 0);
  EXPECT_EQ(ModeValue(VerticalMode::WheelFine), 2);
  EXPECT_EQ(ModeValue(VerticalMode::Keys), 3);
  EXPECT_EQ(ModeValue(HorizontalMode::HWheel), 1);
  EXPECT_EQ(ModeValue(BackFwdMode::Forward), 1);
  EXPECT_EQ(ModeValue(BackFwdMode::CommandLine), 3);
  EXPECT_EQ(ModeValue(MiddleMode::CommandLine), 2);
  // The combo-box texts of each enumeration come from the text table.
  EXPECT_STREQ(GetText(kVerticalModeTextId, ModeValue(VerticalMode::WheelFine)), "Mouse wheel (fine)");
  EXPECT_STREQ(GetText(kHorizontalModeTextId, ModeValue(HorizontalMode::HWheel)), "Horizontal mouse wheel");
  EXPECT_STREQ(GetText(kBackFwdModeTextId, ModeValue(BackFwdMode::Keys)), "Custom keys");
  EXPECT_STREQ(GetText(kMiddleModeTextId, ModeValue(MiddleMode::Middle)), "Middle button");
}

TEST_F(OptionsTest, ProfileDefaults) {
  Profile p;
  std::memset(&p, 0xA5, sizeof p);  // every field must be set, none left over
  SetProfileDefaults(p);

  EXPECT_STREQ(p.szParName, "");
  EXPECT_STREQ(p.szPrgPath, "");
  EXPECT_STREQ(p.szWndCaption, "");
  EXPECT_STREQ(p.szWndClass, "");
  EXPECT_EQ(p.bScrollEnable, 1);
  EXPECT_EQ(p.bUseMiddle, 0);
  EXPECT_EQ(p.bEnableX, 1);
  EXPECT_EQ(p.bInvertX, 0);
  EXPECT_EQ(p.dSpeedX, 1.0);
  EXPECT_EQ(p.bEnableY, 1);
  EXPECT_EQ(p.bInvertY, 0);
  EXPECT_EQ(p.dSpeedY, 1.0);
  EXPECT_EQ(p.bSwapCtrl, 0);
  EXPECT_EQ(p.bLockOneAxis, 0);
  EXPECT_EQ(p.iTriggerDistance, 5);
  EXPECT_EQ(p.iUpMode, 2);
  EXPECT_EQ(p.iDownMode, 2);
  EXPECT_EQ(p.iLeftMode, 2);
  EXPECT_EQ(p.iRightMode, 2);
  EXPECT_EQ(p.hkUp | p.hkDown | p.hkLeft | p.hkRight, 0);
  EXPECT_EQ(p.bWheelEnable, 1);
  EXPECT_EQ(p.iWSmin, 2);
  EXPECT_EQ(p.iWSmax, 66);
  EXPECT_EQ(p.iSSmin, 1);
  EXPECT_EQ(p.iSSmax, 15);
  EXPECT_EQ(p.iWSmed, 55);
  EXPECT_EQ(p.iSSmed, 50);
  EXPECT_EQ(p.iWheelDefLines, 3);
  // The curve for 55: x = 46, k = (499 - 9 * 46) / 49.
  const double k = (499.0 - 9.0 * 46.0) / 49.0;
  for (int i = 0; i < kCurvePoints; ++i) {
    ASSERT_NEAR(p.dTrafo[i], std::pow(i / 99.0, k), 1e-12) << i;
  }
  EXPECT_EQ(p.bWheelCursor, 0);
  EXPECT_EQ(p.bWheelForeground, 0);
  EXPECT_EQ(p.bWheelInvert, 0);
  EXPECT_EQ(p.bEnableBackFwd, 0);
  EXPECT_EQ(p.bBackCursor, 1);
  EXPECT_EQ(p.bBackForeground, 1);
  EXPECT_EQ(p.iBackMode, 0);
  EXPECT_EQ(p.hkBack, 0x025A);
  EXPECT_STREQ(p.szBackCmd, "");
  EXPECT_EQ(p.iForwardMode, 1);
  EXPECT_EQ(p.hkForward, 0x0259);
  EXPECT_STREQ(p.szForwardCmd, "");
  EXPECT_EQ(p.iMiddleMode, 0);
  EXPECT_EQ(p.hkMiddle, 0);
  EXPECT_STREQ(p.szMiddleCmd, "");
  EXPECT_EQ(p.bFreezeCursor, 0);
  EXPECT_EQ(p.bHideCursor, 0);
  EXPECT_EQ(p.bUseCtrl, 1);
  EXPECT_EQ(p.bUseAlt, 0);
  EXPECT_EQ(p.bUseShift, 0);
  // Nothing else is left set: the tails of the text fields are zero too.
  EXPECT_TRUE(AllZero(p.szBackCmd, sizeof p.szBackCmd));
  EXPECT_TRUE(AllZero(p.szPrgPath, sizeof p.szPrgPath));
}

TEST_F(OptionsTest, DefaultWheelLinesFollowTheSystemAtStart) {
  Profile p;
  SetStartupWheelLines(5);
  SetProfileDefaults(p);
  EXPECT_EQ(p.iWheelDefLines, 5);
  SetStartupWheelLines(kDefaultWheelLines);
  SetProfileDefaults(p);
  EXPECT_EQ(p.iWheelDefLines, 3);
}

// The factory profiles, written out from the product's table of built-in
// profiles: defaults plus the overrides of each. Filled in place, so that
// the padding stays as SetProfileDefaults left it (zero) for memcmp.
void ExpectedFactoryProfile(int slot, Profile& p) {
  SetProfileDefaults(p);
  auto modes = [&p](std::int32_t m) { p.iUpMode = p.iDownMode = p.iLeftMode = p.iRightMode = m; };
  switch (slot) {
    case 0:
      PUT(p.szParName, "Modern UI Apps");
      PUT(p.szWndClass, "Windows.UI.Core.CoreWindow");
      p.bScrollEnable = 0;
      p.bWheelEnable = 0;
      break;
    case 1:
      PUT(p.szParName, "Windows Explorer");
      PUT(p.szPrgPath, "C:\\Windows\\explorer.exe");
      p.dSpeedX = p.dSpeedY = 0.5;
      p.bSwapCtrl = 1;
      modes(0);
      break;
    case 2:
      PUT(p.szParName, "Internet Explorer");
      PUT(p.szWndClass, "Internet Explorer_Server");
      p.dSpeedX = 0.05;
      p.dSpeedY = 0.3;
      break;
    case 3:
      PUT(p.szParName, "Firefox");
      PUT(p.szWndClass, "MozillaWindowClass");
      p.dSpeedX = p.dSpeedY = 0.5;
      break;
    case 4:
      PUT(p.szParName, "Firefox Flash Plugin");
      PUT(p.szPrgPath, "FlashPlayerPlugin");
      PUT(p.szWndClass, "GeckoFPSandboxChildWindow");
      break;
    case 5:
      PUT(p.szParName, "Outlook Preview");
      PUT(p.szPrgPath, "OUTLOOK.EXE");
      PUT(p.szWndCaption, "Message");
      PUT(p.szWndClass, "_WwG");
      break;
    case 6:
      PUT(p.szParName, "MS Office Visio");
      PUT(p.szPrgPath, "VISIO.EXE");
      PUT(p.szWndClass, "VISIOG");
      p.dSpeedX = p.dSpeedY = 0.2;
      modes(1);
      break;
    case 7:
      PUT(p.szParName, "MS Visual Studio");
      PUT(p.szPrgPath, "devenv.exe");
      PUT(p.szWndClass, "HwndWrapper");
      p.bLockOneAxis = 1;
      p.bWheelForeground = 1;
      p.iBackMode = 2;
      p.hkBack = 0x022D;
      p.iForwardMode = 2;
      p.hkForward = 0x032D;
      break;
    case 8:
      PUT(p.szParName, "Pictavo");
      PUT(p.szPrgPath, "Pictavo.exe");
      p.bScrollEnable = 0;
      p.bWheelEnable = 0;
      break;
    case 9:
      PUT(p.szParName, "VMware");
      PUT(p.szPrgPath, "vmware");
      PUT(p.szWndClass, "MKSEmbedded");
      p.bScrollEnable = 0;
      p.bWheelEnable = 0;
      break;
    case 10:
      PUT(p.szParName, "(All Others)");
      break;
  }
}

TEST_F(OptionsTest, FactoryOptionsReplaceEverything) {
  std::memset(&gOpt, 0x5C, sizeof gOpt);  // leftovers of earlier options
  SetFactoryOptions();

  EXPECT_EQ(gOpt.bAutoStart, 0);
  EXPECT_EQ(gOpt.bTrayIcon, 1);
  EXPECT_EQ(gOpt.bDisabled, 0);
  EXPECT_EQ(gOpt.iHotKeyEnable, 0);
  EXPECT_EQ(gOpt.iNumPar, 11);
  EXPECT_EQ(gOpt.iCurPar, 10);
  for (int slot = 0; slot < kFactoryProfileCount; ++slot) {
    Profile expected;
    ExpectedFactoryProfile(slot, expected);
    EXPECT_STREQ(gOpt.Par[slot].szParName, expected.szParName);
    EXPECT_STREQ(gOpt.Par[slot].szPrgPath, expected.szPrgPath) << slot;
    EXPECT_STREQ(gOpt.Par[slot].szWndCaption, expected.szWndCaption) << slot;
    EXPECT_STREQ(gOpt.Par[slot].szWndClass, expected.szWndClass) << slot;
    // Byte for byte, also the overrides and every field left at its default.
    EXPECT_EQ(std::memcmp(&gOpt.Par[slot], &expected, sizeof expected), 0) << "profile " << slot;
  }
  // Unused slots are all zero, not defaulted.
  for (int slot = kFactoryProfileCount; slot < kMaxProfiles; ++slot) {
    ASSERT_TRUE(AllZero(&gOpt.Par[slot], sizeof(Profile))) << "slot " << slot;
  }
}

TEST_F(OptionsTest, FactoryKeyValuesAreExact) {
  SetFactoryOptions();
  EXPECT_EQ(gOpt.Par[7].hkBack, 0x022D);
  EXPECT_EQ(gOpt.Par[7].hkForward, 0x032D);
  EXPECT_EQ(gOpt.Par[10].hkBack, 0x025A);
  EXPECT_EQ(gOpt.Par[10].hkForward, 0x0259);
  EXPECT_EQ(gOpt.Par[1].iUpMode, ModeValue(VerticalMode::ScrollBars));
  EXPECT_EQ(gOpt.Par[6].iRightMode, ModeValue(HorizontalMode::HWheel));
  EXPECT_EQ(gOpt.Par[2].dSpeedX, 0.05);
}

TEST_F(OptionsTest, CatchAllNameComesFromTheTextTable) {
  ASSERT_TRUE(ProcessTextTable().SetText(0, 1, "(Alle anderen)"));
  SetFactoryOptions();
  EXPECT_STREQ(gOpt.Par[10].szParName, "(Alle anderen)");
  ASSERT_TRUE(ProcessTextTable().SetText(0, 1, "(All Others)"));
  SetFactoryOptions();
  EXPECT_STREQ(gOpt.Par[10].szParName, "(All Others)");
}

TEST_F(OptionsTest, FactoryOptionsWorkOnAnyRecord) {
  auto own = std::make_unique<Options>();  // on the heap: the record is ~3 MB
  SetStartupWheelLines(7);
  SetFactoryOptions(*own);
  EXPECT_EQ(own->iNumPar, 11);
  EXPECT_EQ(own->Par[0].iWheelDefLines, 7);
  EXPECT_STREQ(own->Par[9].szParName, "VMware");
}

}  // namespace
