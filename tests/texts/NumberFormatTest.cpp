#include "texts/NumberFormat.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

#include "tests/support/DecimalSeparator.h"

namespace {

struct FormatCase {
  double Value;
  const char* Comma;  // the text under a comma; under a full stop the comma becomes a full stop
};

class NumberFormatTest : public ::testing::TestWithParam<QChar> {
protected:
  const TDecimalSeparator FSeparator{GetParam()};
  // `text` with its commas written as the separator under test.
  static QString Local(const char* text) {
    return QString::fromUtf8(text).replace(u',', GetParam());
  }
};

TEST_P(NumberFormatTest, WritesGeneralFormatWithFifteenDigits) {
  const FormatCase cases[] = {
      {1500, "1500"},
      {0.5, "0,5"},
      {2.3, "2,3"},
      {1e15, "1E15"},
      {0.1 * 3, "0,3"},  // not 0,30000000000000004
      {0.5 * 7, "3,5"},
      {0, "0"},
      {-0.0, "0"},
      {-2.5, "-2,5"},
      {999999999999999, "999999999999999"},  // the largest integer still written in full
      {2e11 * 5000, "1E15"},
      {1.5e15, "1,5E15"},
      {123456789012345678.0, "1,23456789012346E17"},
      {1e300 * 10, "1E301"},
      {0.0001, "0,0001"},
      {0.00001, "1E-5"},
      {1.25e-7, "1,25E-7"},
      {1.0 / 3, "0,333333333333333"},
      {std::numeric_limits<double>::infinity(), "INF"},
      {std::nan(""), "NAN"},
  };
  for (const FormatCase& c : cases) EXPECT_EQ(FormatGeneral(c.Value), Local(c.Comma)) << c.Comma;
}

TEST_P(NumberFormatTest, ReadsWhatItWritesAndZeroForTheRest) {
  // The first two lines are texts the general format writes (see above).
  const struct {
    const char* Text;
    double Value;
  } reads[] = {
      {"1500", 1500}, {"0,5", 0.5}, {"0,1", 0.1}, {"2,3", 2.3}, {"1E15", 1e15},
      {"1,5E15", 1.5e15}, {"-2,5", -2.5}, {"1,25E-7", 1.25e-7}, {"0,3", 0.3},
      {" 42 ", 42},   {"+7", 7},   {"-0,5", -0.5}, {",5", 0.5},  {"5,", 5},    {"1e3", 1000},
      {"1E+3", 1000}, {"007", 7},  {"", 0},        {"   ", 0},   {"abc", 0},   {"1 000", 0},
      {"1,2,3", 0},   {"--1", 0},  {"1E", 0},      {"E5", 0},    {",", 0},     {"inf", 0},
      {"nan", 0},     {"0x10", 0}, {"1E999", 0},   {"Итого", 0}, {"12abc", 0},
  };
  for (const auto& r : reads) EXPECT_EQ(ParseNumber(Local(r.Text)), r.Value) << r.Text;
}

INSTANTIATE_TEST_SUITE_P(Separators, NumberFormatTest, ::testing::Values(QChar(u','), QChar(u'.')),
                         [](const auto& info) {
                           return info.param == u',' ? "Comma" : "FullStop";
                         });

TEST(NumberFormat, TheOtherSeparatorIsNotANumber) {
  {
    const TDecimalSeparator comma(u',');
    EXPECT_EQ(ParseNumber("2.5"), 0);
    EXPECT_EQ(ParseNumber("2,5"), 2.5);
  }
  const TDecimalSeparator fullStop(u'.');
  EXPECT_EQ(ParseNumber("2,5"), 0);
  EXPECT_EQ(ParseNumber("2.5"), 2.5);
}

}  // namespace
