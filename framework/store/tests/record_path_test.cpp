#include "framework/store/record_path.h"

#include <gtest/gtest.h>

#include <string>

TEST(RecordName, IndexIsAppendedUnlessMinusOne) {
  char out[kRecordPathSize];
  ASSERT_TRUE(ComposeRecordName("(Orvo)App", -1, out, sizeof out));
  EXPECT_STREQ(out, "(Orvo)App");
  ASSERT_TRUE(ComposeRecordName("(Orvo)Win", 3, out, sizeof out));
  EXPECT_STREQ(out, "(Orvo)Win3");
  ASSERT_TRUE(ComposeRecordName("(Orvo)Bar", 0, out, sizeof out));
  EXPECT_STREQ(out, "(Orvo)Bar0");
}

TEST(RecordPath, PartsAreJoinedOnlyWhenGiven) {
  char out[kRecordPathSize];
  ASSERT_TRUE(ComposeDataFilePath("C:\\Data", "(Orvo)App", "oqc", out, sizeof out));
  EXPECT_STREQ(out, "C:\\Data\\(Orvo)App.oqc");
  ASSERT_TRUE(ComposeDataFilePath("C:\\Data\\file.bin", nullptr, nullptr, out, sizeof out));
  EXPECT_STREQ(out, "C:\\Data\\file.bin");
  ASSERT_TRUE(ComposeDataFilePath("C:\\Data", "Options", nullptr, out, sizeof out));
  EXPECT_STREQ(out, "C:\\Data\\Options");
}

TEST(RecordPath, TooLongIsRefusedNotCut) {
  char out[kRecordPathSize];
  const std::string folder = "C:\\" + std::string(250, 'f');
  EXPECT_FALSE(ComposeDataFilePath(folder.c_str(), "(Orvo)App", "oqc", out, sizeof out));
  EXPECT_STREQ(out, "");
  // Exactly 259 characters fit.
  const std::string exact(255, 'e');
  ASSERT_TRUE(ComposeDataFilePath(exact.c_str(), nullptr, "oqc", out, sizeof out));
  EXPECT_EQ(std::string(out).size(), 259u);
}

TEST(TempPath, FailsInsteadOfCuttingOntoTheTarget) {
  char out[kRecordPathSize];
  ASSERT_TRUE(ComposeTempPath("C:\\d\\Options.oqc", out, sizeof out));
  EXPECT_STREQ(out, "C:\\d\\Options.oqc_tmp");
  // 255 characters + "_tmp" is 259: fits; one more does not.
  const std::string fits(255, 'a');
  EXPECT_TRUE(ComposeTempPath(fits.c_str(), out, sizeof out));
  const std::string over(256, 'a');
  EXPECT_FALSE(ComposeTempPath(over.c_str(), out, sizeof out));
  EXPECT_STREQ(out, "");
}
