#include "framework/util/number_field.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <string>

namespace {
std::string Format(double v, char sep) {
  char out[260];
  FormatDoubleField(v, sep, out, sizeof out);
  return out;
}
}  // namespace

TEST(ParseDouble, EitherSeparatorIsAccepted) {
  // The text is turned into what strtod reads in the "C" locale.
  EXPECT_DOUBLE_EQ(ParseDoubleField("1,5", '.', 0, 10, true), 1.5);
  EXPECT_DOUBLE_EQ(ParseDoubleField("1.5", '.', 0, 10, true), 1.5);
  // Only the first point is replaced: the rest does not parse.
  EXPECT_DOUBLE_EQ(ParseDoubleField("1.5.2", '.', 0, 10, true), 0);
  EXPECT_DOUBLE_EQ(ParseDoubleField("1.5.2", '.', 0, 10, false), 1.5);
}

TEST(ParseDouble, EmptyStrictAndClamping) {
  EXPECT_DOUBLE_EQ(ParseDoubleField("", '.', 2, 9, false), 2);
  EXPECT_DOUBLE_EQ(ParseDoubleField(nullptr, '.', 2, 9, false), 2);
  EXPECT_DOUBLE_EQ(ParseDoubleField("abc", '.', 2, 9, true), 2);
  EXPECT_DOUBLE_EQ(ParseDoubleField("3x", '.', 2, 9, false), 3);
  EXPECT_DOUBLE_EQ(ParseDoubleField("3x", '.', 2, 9, true), 2);
  EXPECT_DOUBLE_EQ(ParseDoubleField("100", '.', 2, 9, true), 9);
  EXPECT_DOUBLE_EQ(ParseDoubleField("-100", '.', 2, 9, true), 2);
  EXPECT_DOUBLE_EQ(ParseDoubleField("1e300", '.', 0, 50, true), 50);
  EXPECT_DOUBLE_EQ(ParseDoubleField("-1e300", '.', -5, 50, true), -5);
}

TEST(ParseDouble, NanAndInfinity) {
  EXPECT_DOUBLE_EQ(ParseDoubleField("nan", '.', 1, 9, true), 1);
  EXPECT_DOUBLE_EQ(ParseDoubleField("NAN", '.', 1, 9, false), 1);
  EXPECT_DOUBLE_EQ(ParseDoubleField("-nan", '.', 1, 9, false), 1);
  EXPECT_DOUBLE_EQ(ParseDoubleField("inf", '.', 1, 9, true), 9);
  EXPECT_DOUBLE_EQ(ParseDoubleField("-inf", '.', 1, 9, true), 1);
}

TEST(ParseDouble, OnlyTheFirst31CharactersCount) {
  const std::string longText = "1" + std::string(40, '0');  // 1e40
  // Cut to 31 characters, the field holds 1e30.
  EXPECT_DOUBLE_EQ(ParseDoubleField(longText.c_str(), '.', 0, DBL_MAX, true), 1e30);
}

TEST(ParseInt, StrictAndLooseAndClamping) {
  EXPECT_EQ(ParseIntField("12abc", 0, 100, false), 12);
  EXPECT_EQ(ParseIntField("12abc", 5, 100, true), 5);
  EXPECT_EQ(ParseIntField("12abc", 0, 10, false), 10);
  EXPECT_EQ(ParseIntField("", 7, 100, false), 7);
  EXPECT_EQ(ParseIntField("-3", 0, 100, true), 0);
  EXPECT_EQ(ParseIntField("42", 100, 0, true), 42);  // bounds in either order
  // Far beyond int: clamped, not wrapped.
  EXPECT_EQ(ParseIntField("99999999999999999999", INT_MIN, INT_MAX, true), INT_MAX);
  EXPECT_EQ(ParseIntField("4294967297", 0, 1000, true), 1000);
  EXPECT_EQ(ParseIntField("-4294967297", -5, 1000, true), -5);
}

TEST(FormatDouble, TrailingZerosAndSeparator) {
  EXPECT_EQ(Format(2.5, '.'), "2.5");
  EXPECT_EQ(Format(2.5, ','), "2,5");
  EXPECT_EQ(Format(3.0, ','), "3");
  EXPECT_EQ(Format(0.0, '.'), "0");
  EXPECT_EQ(Format(0.125, ','), "0,125");
  EXPECT_EQ(Format(100.0, '.'), "100");
  EXPECT_EQ(Format(0.1239, '.'), "0.124");
  EXPECT_EQ(Format(-1.5, ','), "-1,5");
}

TEST(FormatDouble, HugeValuesStayBounded) {
  // "%.3f" of 1e300 needs over 300 characters.
  EXPECT_EQ(Format(1e300, '.'), "1e+300");
  EXPECT_EQ(Format(-DBL_MAX, ','), "-1,79769e+308");
  char small[6];
  FormatDoubleField(123456.75, '.', small, sizeof small);
  EXPECT_STREQ(small, "12345");
  // A value that still fits in fixed notation keeps its zeros before the point.
  EXPECT_EQ(Format(1e20, '.'), "100000000000000000000");
}
