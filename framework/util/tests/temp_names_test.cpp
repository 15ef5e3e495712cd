#include "framework/util/temp_names.h"

#include <gtest/gtest.h>

#include <string>

TEST(TempNames, EachCarriesItsWritersProcessAndIsNeverCut) {
  char out[260];
  ASSERT_TRUE(ComposeRecordTempPath("C:\\d\\Options.oqc", 4242, out, sizeof out));
  EXPECT_STREQ(out, "C:\\d\\Options.oqc_tmp4242");
  ASSERT_TRUE(ComposeScratchTempName(4242, 0, out, sizeof out));
  EXPECT_STREQ(out, "~vz4242-0.tmp");
  ASSERT_TRUE(ComposeScratchTempName(0xFFFFFFFFu, 17, out, sizeof out));
  EXPECT_STREQ(out, "~vz4294967295-17.tmp");
  // 255 characters + "_tmp7" is 260: one too many; a cut name could be the
  // target itself.
  EXPECT_TRUE(ComposeRecordTempPath(std::string(254, 'a').c_str(), 7, out, sizeof out));
  EXPECT_FALSE(ComposeRecordTempPath(std::string(255, 'a').c_str(), 7, out, sizeof out));
  EXPECT_STREQ(out, "");
  char small[8];
  EXPECT_FALSE(ComposeScratchTempName(4242, 1, small, sizeof small));
  EXPECT_STREQ(small, "");
}

TEST(TempNames, OnlyTheProgramsOwnFormsNameTheirWriter) {
  const struct {
    const char* name;
    std::uint32_t owner;  // 0: none of ours
  } cases[] = {
      {"Options.oqc_tmp4242", 4242},
      {"(Orvo)Win3.OQC_TMP17", 17},
      {"~vz4242-0.tmp", 4242},
      {"~VZ4294967295-12.TMP", 0xFFFFFFFFu},
      // Alike, but not written by the program.
      {"Options.oqc_tmp", 0},  // an older version's, whose writer is unknown
      {"Options.oqc_tmp0", 0},
      {"Options.oqc_tmp042", 0},
      {"Options.oqc_tmp12a", 0},
      {"Options.oqc_tmp4294967296", 0},
      {"Options.txt_tmp12", 0},
      {".oqc_tmp12", 0},
      {"Optionsoqc_tmp12", 0},
      {"notes_tmp12", 0},
      {"~vz12.tmp", 0},
      {"~vz12-.tmp", 0},
      {"~vz-3.tmp", 0},
      {"~vz12-3.tmp.bak", 0},
      {"~vz00000012.tmp", 0},
      {"x~vz12-3.tmp", 0},
      {"~vl12-3.tmp", 0},
  };
  for (const auto& c : cases) {
    std::uint32_t owner = 99;
    EXPECT_EQ(TempNameOwner(c.name, "oqc", &owner), c.owner != 0) << c.name;
    EXPECT_EQ(owner, c.owner != 0 ? c.owner : 99u) << c.name;
  }
}
