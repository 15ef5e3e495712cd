#include "framework/store/record_path.h"

#include <gtest/gtest.h>

#include <string>

TEST(RecordPath, NamesAndPathsAreJoinedOnlyFromTheGivenParts) {
  char out[kRecordPathSize];
  const std::pair<int, const char*> names[] = {{-1, "(Orvo)App"}, {3, "(Orvo)App3"}, {0, "(Orvo)App0"}};
  for (const auto& [index, name] : names) {
    ASSERT_TRUE(ComposeRecordName("(Orvo)App", index, out, sizeof out));
    EXPECT_STREQ(out, name);
  }
  ASSERT_TRUE(ComposeDataFilePath("C:\\Data", "(Orvo)App", "oqc", out, sizeof out));
  EXPECT_STREQ(out, "C:\\Data\\(Orvo)App.oqc");
  ASSERT_TRUE(ComposeDataFilePath("C:\\Data\\file.bin", nullptr, nullptr, out, sizeof out));
  EXPECT_STREQ(out, "C:\\Data\\file.bin");
  ASSERT_TRUE(ComposeDataFilePath("C:\\Data", "Options", nullptr, out, sizeof out));
  EXPECT_STREQ(out, "C:\\Data\\Options");
}

TEST(RecordPath, TooLongIsRefusedNotCut) {
  char out[kRecordPathSize];
  EXPECT_FALSE(ComposeDataFilePath(("C:\\" + std::string(250, 'f')).c_str(), "(Orvo)App", "oqc", out, sizeof out));
  EXPECT_STREQ(out, "");
  // Exactly 259 characters fit.
  ASSERT_TRUE(ComposeDataFilePath(std::string(255, 'e').c_str(), nullptr, "oqc", out, sizeof out));
  EXPECT_EQ(std::string(out).size(), 259u);
}
