#include "framework/util/number_field.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <string>

TEST(NumberField, ParseDoubleAcceptsEitherSeparatorAndClamps) {
  // Only the first 31 characters count: this field holds 1e30, not 1e40.
  const std::string longText = "1" + std::string(40, '0');
  const struct { const char* text; double min, max; bool strict; double want; } cases[] = {
      {"1,5", 0, 10, true, 1.5},   {"1.5", 0, 10, true, 1.5},
      {"1.5.2", 0, 10, true, 0},   {"1.5.2", 0, 10, false, 1.5},  // only the first point is replaced
      {"", 2, 9, false, 2},        {nullptr, 2, 9, false, 2},     {"abc", 2, 9, true, 2},
      {"3x", 2, 9, false, 3},      {"3x", 2, 9, true, 2},         {"100", 2, 9, true, 9},
      {"-100", 2, 9, true, 2},     {"1e300", 0, 50, true, 50},    {"-1e300", -5, 50, true, -5},
      {"nan", 1, 9, true, 1},      {"NAN", 1, 9, false, 1},       {"-nan", 1, 9, false, 1},
      {"inf", 1, 9, true, 9},      {"-inf", 1, 9, true, 1},       {longText.c_str(), 0, DBL_MAX, true, 1e30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text != nullptr ? c.text : "<null>");
    EXPECT_DOUBLE_EQ(ParseDoubleField(c.text, '.', c.min, c.max, c.strict), c.want);
  }
}

TEST(NumberField, ParseIntIsStrictOrLooseAndClampsWithoutWrapping) {
  const struct { const char* text; int min, max; bool strict; int want; } cases[] = {
      {"12abc", 0, 100, false, 12}, {"12abc", 5, 100, true, 5}, {"12abc", 0, 10, false, 10},
      {"", 7, 100, false, 7},       {"-3", 0, 100, true, 0},    {"42", 100, 0, true, 42},  // bounds in either order
      {"99999999999999999999", INT_MIN, INT_MAX, true, INT_MAX}, {"4294967297", 0, 1000, true, 1000},
      {"-4294967297", -5, 1000, true, -5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseIntField(c.text, c.min, c.max, c.strict), c.want);
  }
}

TEST(NumberField, FormatDropsTrailingZerosAndStaysBounded) {
  const struct { double value; char sep; const char* want; } cases[] = {
      {2.5, '.', "2.5"}, {2.5, ',', "2,5"}, {3.0, ',', "3"}, {0.0, '.', "0"}, {0.125, ',', "0,125"},
      {100.0, '.', "100"}, {0.1239, '.', "0.124"}, {-1.5, ',', "-1,5"},
      // "%.3f" of 1e300 needs over 300 characters; 1e20 still fits in fixed notation.
      {1e300, '.', "1e+300"}, {-DBL_MAX, ',', "-1,79769e+308"}, {1e20, '.', "100000000000000000000"},
  };
  for (const auto& c : cases) {
    char out[260];
    FormatDoubleField(c.value, c.sep, out, sizeof out);
    EXPECT_STREQ(out, c.want);
  }
  char small[6];
  FormatDoubleField(123456.75, '.', small, sizeof small);
  EXPECT_STREQ(small, "12345");
}
