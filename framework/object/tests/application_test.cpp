#include "framework/object/application.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace {

using test_support::Text;

// The texts belong to the application object: installing puts both tables
// into gApp.texts, and GetText answers from there.
TEST(Application, InstalledTextsAreTheApplicationsAndAnswerGetText) {
  static char name[] = "Product";
  static TextRecord product[] = {{0, {name}}, {kTextTableEnd, {}}};
  InstallAppTexts(product);
  EXPECT_EQ(gApp.texts.ProductCount(), 1);
  EXPECT_EQ(Text(GetText(0, 0)), "Product");
  EXPECT_EQ(Text(GetText(0xF200, 0)), "OK");
  ASSERT_TRUE(gApp.texts.SetText(0, 0, "Renamed"));
  EXPECT_EQ(Text(GetText(0, 0)), "Renamed");
  SetAppTextTable(nullptr);
}

}  // namespace
