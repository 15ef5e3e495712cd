#include "scrolling/options/options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "tests/support/product/use_product_texts.h"

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

template <typename... T>
std::vector<double> Numbers(T... values) {
  return {static_cast<double>(values)...};
}

class OptionsTest : public ::testing::Test {
 protected:
  void SetUp() override { UseProductTexts(); }
  void TearDown() override { SetStartupWheelLines(kDefaultWheelLines); }
};

TEST_F(OptionsTest, ModesAreTheStoredNumbersAndNameTheirTexts) {
  EXPECT_EQ(ModeValue(VerticalMode::Keys), 3);
  EXPECT_EQ(ModeValue(BackFwdMode::CommandLine), 3);
  EXPECT_EQ(ModeValue(MiddleMode::CommandLine), 2);
  EXPECT_STREQ(GetText(kVerticalModeTextId, ModeValue(VerticalMode::WheelFine)), "Mouse wheel (fine)");
  EXPECT_STREQ(GetText(kHorizontalModeTextId, ModeValue(HorizontalMode::HWheel)), "Horizontal mouse wheel");
  EXPECT_STREQ(GetText(kBackFwdModeTextId, ModeValue(BackFwdMode::Keys)), "Custom keys");
  EXPECT_STREQ(GetText(kMiddleModeTextId, ModeValue(MiddleMode::Middle)), "Middle button");
}

TEST_F(OptionsTest, ProfileDefaults) {
  Profile p;
  std::memset(&p, 0xA5, sizeof p);  // every field must be set, none left over
  SetStartupWheelLines(5);          // the wheel lines follow the system at start
  SetProfileDefaults(p);

  // Every number in the order of the record.
  const std::vector<double> numbers = Numbers(
      p.bScrollEnable, p.bUseMiddle, p.bEnableX, p.bInvertX, p.dSpeedX, p.bEnableY, p.bInvertY, p.dSpeedY,
      p.bSwapCtrl, p.bLockOneAxis, p.iTriggerDistance, p.iUpMode, p.hkUp, p.iDownMode, p.hkDown, p.iLeftMode,
      p.hkLeft, p.iRightMode, p.hkRight, p.bWheelEnable, p.iWSmin, p.iWSmax, p.iSSmin, p.iSSmax, p.iWSmed,
      p.iSSmed, p.iWheelDefLines, p.bWheelCursor, p.bWheelForeground, p.bWheelInvert, p.bEnableBackFwd,
      p.bBackCursor, p.bBackForeground, p.iBackMode, p.hkBack, p.iForwardMode, p.hkForward, p.iMiddleMode,
      p.hkMiddle, p.bFreezeCursor, p.bHideCursor, p.bUseCtrl, p.bUseAlt, p.bUseShift);
  EXPECT_EQ(numbers, (std::vector<double>{1, 0, 1, 0, 1.0, 1, 0, 1.0, 0, 0, 5, 2, 0, 2, 0, 2,
                                          0, 2, 0, 1, 2, 66, 1, 15, 55, 50, 5, 0, 0, 0, 0,
                                          1, 1, 0, 0x025A, 1, 0x0259, 0, 0, 0, 0, 1, 0, 0}));
  // Texts empty to their last byte.
  for (const char* text : {p.szParName, p.szWndCaption, p.szWndClass}) {
    EXPECT_TRUE(AllZero(text, kNameSize));
  }
  EXPECT_TRUE(AllZero(p.szPrgPath, sizeof p.szPrgPath));
  for (const char* command : {p.szBackCmd, p.szForwardCmd, p.szMiddleCmd}) EXPECT_TRUE(AllZero(command, kCommandSize));
  // The curve for 55 (exponent 85/49) at a few points, written out.
  const std::pair<int, double> kCurve[] = {{0, 0.0},
                                           {1, 0.0003452898769629765},
                                           {10, 0.018744666745160676},
                                           {50, 0.3057572127667618},
                                           {98, 0.9825429151788905},
                                           {99, 1.0}};
  for (const auto& [i, value] : kCurve) EXPECT_NEAR(p.dTrafo[i], value, 1e-12) << i;
  for (int i = 1; i < kCurvePoints; ++i) ASSERT_LT(p.dTrafo[i - 1], p.dTrafo[i]) << i;
}

// The fields in which the factory profiles differ from the defaults: scroll
// and wheel on, the speeds, the swapped Ctrl key, the four scroll modes, one
// axis at a time, the wheel to the foreground window, and the back and
// forward modes with their keys.
template <typename Visit>
void VariedFields(Profile& p, Visit visit) {
  visit(p.bScrollEnable), visit(p.bWheelEnable), visit(p.dSpeedX), visit(p.dSpeedY), visit(p.bSwapCtrl);
  visit(p.iUpMode), visit(p.iDownMode), visit(p.iLeftMode), visit(p.iRightMode), visit(p.bLockOneAxis);
  visit(p.bWheelForeground), visit(p.iBackMode), visit(p.hkBack), visit(p.iForwardMode), visit(p.hkForward);
}

// The product's built-in profiles, written out: name, program, caption and
// class patterns, and the varied fields (the defaults are pinned above).
const struct {
  const char* texts[4];
  std::vector<double> varied;
} kFactory[kFactoryProfileCount] = {
    {{"Modern UI Apps", "", "", "Windows.UI.Core.CoreWindow"}, {0, 0, 1, 1, 0, 2, 2, 2, 2, 0, 0, 0, 0x025A, 1, 0x0259}},
    {{"Windows Explorer", "C:\\Windows\\explorer.exe", "", ""},
     {1, 1, 0.5, 0.5, 1, 0, 0, 0, 0, 0, 0, 0, 0x025A, 1, 0x0259}},
    {{"Internet Explorer", "", "", "Internet Explorer_Server"},
     {1, 1, 0.05, 0.3, 0, 2, 2, 2, 2, 0, 0, 0, 0x025A, 1, 0x0259}},
    {{"Firefox", "", "", "MozillaWindowClass"}, {1, 1, 0.5, 0.5, 0, 2, 2, 2, 2, 0, 0, 0, 0x025A, 1, 0x0259}},
    {{"Firefox Flash Plugin", "FlashPlayerPlugin", "", "GeckoFPSandboxChildWindow"},
     {1, 1, 1, 1, 0, 2, 2, 2, 2, 0, 0, 0, 0x025A, 1, 0x0259}},
    {{"Outlook Preview", "OUTLOOK.EXE", "Message", "_WwG"}, {1, 1, 1, 1, 0, 2, 2, 2, 2, 0, 0, 0, 0x025A, 1, 0x0259}},
    {{"MS Office Visio", "VISIO.EXE", "", "VISIOG"}, {1, 1, 0.2, 0.2, 0, 1, 1, 1, 1, 0, 0, 0, 0x025A, 1, 0x0259}},
    {{"MS Visual Studio", "devenv.exe", "", "HwndWrapper"}, {1, 1, 1, 1, 0, 2, 2, 2, 2, 1, 1, 2, 0x022D, 2, 0x032D}},
    {{"Pictavo", "Pictavo.exe", "", ""}, {0, 0, 1, 1, 0, 2, 2, 2, 2, 0, 0, 0, 0x025A, 1, 0x0259}},
    {{"VMware", "vmware", "", "MKSEmbedded"}, {0, 0, 1, 1, 0, 2, 2, 2, 2, 0, 0, 0, 0x025A, 1, 0x0259}},
    {{"(All Others)", "", "", ""}, {1, 1, 1, 1, 0, 2, 2, 2, 2, 0, 0, 0, 0x025A, 1, 0x0259}},
};

TEST_F(OptionsTest, FactoryOptionsReplaceEverything) {
  std::memset(&gOpt, 0x5C, sizeof gOpt);  // leftovers of earlier options
  SetFactoryOptions();
  EXPECT_EQ((std::vector<int>{gOpt.bAutoStart, gOpt.bTrayIcon, gOpt.bDisabled, gOpt.iHotKeyEnable, gOpt.iNumPar,
                              gOpt.iCurPar}),
            (std::vector<int>{0, 1, 0, 0, 11, 10}));
  for (int slot = 0; slot < kFactoryProfileCount; ++slot) {
    Profile& got = gOpt.Par[slot];
    const auto& want = kFactory[slot];
    EXPECT_EQ((std::vector<std::string>{got.szParName, got.szPrgPath, got.szWndCaption, got.szWndClass}),
              (std::vector<std::string>{want.texts[0], want.texts[1], want.texts[2], want.texts[3]}));
    std::vector<double> varied;
    VariedFields(got, [&varied](auto field) { varied.push_back(static_cast<double>(field)); });
    EXPECT_EQ(varied, want.varied) << "profile " << slot;
    // Byte for byte, also every field left at its default. Filled in place,
    // so that the padding stays as SetProfileDefaults left it (zero).
    Profile expected;
    SetProfileDefaults(expected);
    PUT(expected.szParName, want.texts[0]);
    PUT(expected.szPrgPath, want.texts[1]);
    PUT(expected.szWndCaption, want.texts[2]);
    PUT(expected.szWndClass, want.texts[3]);
    std::size_t i = 0;
    VariedFields(expected, [&](auto& field) { field = static_cast<std::decay_t<decltype(field)>>(want.varied[i++]); });
    EXPECT_EQ(std::memcmp(&got, &expected, sizeof expected), 0) << "profile " << slot;
  }
  // Unused slots, from slot 11 on, are all zero, not defaulted.
  for (int slot = kFactoryProfileCount; slot < kMaxProfiles; ++slot) {
    ASSERT_TRUE(AllZero(&gOpt.Par[slot], sizeof(Profile))) << "slot " << slot;
  }
}

TEST_F(OptionsTest, FactoryOptionsWorkOnAnyRecordAndNameTheCatchAllFromTheTextTable) {
  auto own = std::make_unique<Options>();  // on the heap: the record is ~3 MB
  SetStartupWheelLines(7);
  ASSERT_TRUE(UseProductTexts().SetText(0, 1, "(Alle anderen)"));
  SetFactoryOptions(*own);
  EXPECT_EQ(own->iNumPar, 11);
  EXPECT_EQ(own->Par[0].iWheelDefLines, 7);
  EXPECT_STREQ(own->Par[9].szParName, "VMware");
  EXPECT_STREQ(own->Par[10].szParName, "(Alle anderen)");
  ASSERT_TRUE(UseProductTexts().SetText(0, 1, "(All Others)"));
  SetFactoryOptions(*own);
  EXPECT_STREQ(own->Par[10].szParName, "(All Others)");
}

}  // namespace
