#include "core/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavrik {
namespace {

// Every pattern the program formats with. Halves round away from zero on the decimal
// form of the value (15 significant digits for doubles), so 1.0005 shows "1.001" even
// though its binary value is 1.000499999...
TEST(FormatNumber, PatternsOfTheProgram) {
  const struct {
    double value;
    const char16_t* pattern;
    const char* expected;
  } rows[] = {
      // "#0.0": status panels, courses, distances; no "-0.0" on a display
      {0.0, u"#0.0", "0.0"}, {2.25, u"#0.0", "2.3"}, {2.35, u"#0.0", "2.4"}, {-2.25, u"#0.0", "-2.3"},
      {0.96, u"#0.0", "1.0"}, {9.96, u"#0.0", "10.0"}, {359.96, u"#0.0", "360.0"}, {-0.04, u"#0.0", "0.0"},
      {123456789012.35, u"#0.0", "123456789012.4"},
      // "00", "000": times, degrees of positions
      {5, u"00", "05"}, {0, u"00", "00"}, {123, u"00", "123"}, {4.5, u"00", "05"}, {5.5, u"00", "06"},
      {-5, u"00", "-05"}, {7, u"000", "007"}, {179.5, u"000", "180"},
      // "0000000", "000000": counters and numbers in files
      {1234, u"0000000", "0001234"}, {0, u"0000000", "0000000"}, {12345678, u"0000000", "12345678"},
      {42.5, u"000000", "000043"}, {-42, u"000000", "-000042"},
      // signed section pair: the negative section's literal sign replaces the minus;
      // the section is chosen by the sign of the value, not of the rounded text
      {4.5, u"+000.00000;-000.00000", "+004.50000"}, {-4.5, u"+000.00000;-000.00000", "-004.50000"},
      {0, u"+000.00000;-000.00000", "+000.00000"}, {179.123456, u"+000.00000;-000.00000", "+179.12346"},
      {-179.123455, u"+000.00000;-000.00000", "-179.12346"},
      {-0.000001, u"+000.00000;-000.00000", "-000.00000"},
      // "##0.0", "#0.000" (anchor and go-to distances), "0.0" (instrument panels)
      {5, u"##0.0", "5.0"}, {0.5, u"##0.0", "0.5"}, {99.95, u"##0.0", "100.0"}, {1234.5, u"##0.0", "1234.5"},
      {0.07, u"#0.000", "0.070"}, {0.0015, u"#0.000", "0.002"}, {1.0005, u"#0.000", "1.001"},
      {-1.0005, u"#0.000", "-1.001"}, {0.0004, u"#0.000", "0.000"},
      {0.05, u"0.0", "0.1"}, {0.25, u"0.0", "0.3"}, {-0.25, u"0.0", "-0.3"}, {-9.96, u"0.0", "-10.0"},
      // "0", "#0"
      {2.5, u"0", "3"}, {3.5, u"0", "4"}, {-2.5, u"0", "-3"}, {0.4, u"0", "0"}, {0.5, u"0", "1"},
      {1e15, u"0", "1000000000000000"}, {1e20, u"0", "100000000000000000000"},
      {0, u"#0", "0"}, {99.5, u"#0", "100"}, {-0.4, u"#0", "0"},
      // "00.000" (minutes of positions), "#0.00"
      {5.5, u"00.000", "05.500"}, {59.9995, u"00.000", "60.000"}, {0.0005, u"00.000", "00.001"},
      {1.005, u"#0.00", "1.01"}, {2.675, u"#0.00", "2.68"}, {0.001, u"#0.00", "0.00"}, {1e-300, u"#0.00", "0.00"},
      // literal prefix and suffix are kept
      {10.0, u"#0.0 ", "10.0 "}, {3.14159, u"#0.00°", "3.14°"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(QStringLiteral("%1 with \"%2\"").arg(r.value, 0, 'g', 17).arg(QStringView(r.pattern)).toStdString());
    EXPECT_EQ(formatNumber(r.value, r.pattern).toStdString(), r.expected);
  }
}

// A single is formatted from its 7 significant digits: 12.35f is 12.3499999 in binary
// but shows 12.4, as the program always showed it.
TEST(FormatNumber, SinglesRoundOnTheirSevenDigits) {
  const struct {
    float value;
    const char16_t* pattern;
    const char* expected;
  } rows[] = {{12.35f, u"#0.0", "12.4"}, {0.15f, u"0.0", "0.2"},        {2.675f, u"#0.00", "2.68"},
              {11.5078f, u"#0.0 ", "11.5 "}, {-0.05f, u"0.0", "-0.1"},  {16777216.0f, u"0", "16777220"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.expected);
    EXPECT_EQ(formatNumber(r.value, r.pattern).toStdString(), r.expected);
  }
}

// A value that is not a number must not crash any display; it shows as zero.
TEST(FormatNumber, NotFiniteShowsAsZero) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const char16_t* p : {u"#0.0", u"00", u"000", u"0000000", u"000000", u"+000.00000;-000.00000",
                            u"##0.0", u"#0.000", u"0.0", u"0", u"#0", u"00.000", u"#0.00"}) {
    SCOPED_TRACE(QStringView(p).toString().toStdString());
    const QString zero = formatNumber(0.0, p);
    for (double v : {nan, inf, -inf}) EXPECT_EQ(formatNumber(v, p), zero);
    EXPECT_EQ(formatNumber(std::numeric_limits<float>::quiet_NaN(), p), zero);
  }
  // Huge but finite values are written out in full.
  EXPECT_EQ(formatNumber(1e300, u"0").size(), 301);
  EXPECT_EQ(formatNumber(-1e300, u"#0.0").size(), 304);
}

// The Str rule: a blank for the sign of non-negative numbers, no zero before the point,
// 15 significant digits for doubles and 7 for singles, exponent form beyond them; a
// negative zero is still written as zero.
TEST(StrNumber, FollowsTheStrRule) {
  const struct {
    QString actual;
    const char* expected;
  } rows[] = {
      {strNumber(5), " 5"}, {strNumber(-5), "-5"}, {strNumber(0), " 0"}, {strNumber(5.0), " 5"},
      {strNumber(-5.0), "-5"}, {strNumber(0.5), " .5"}, {strNumber(-0.5), "-.5"}, {strNumber(0.0), " 0"},
      {strNumber(-0.0), " 0"}, {strNumber(-0.0f), " 0"}, {strNumber(52.123456789), " 52.123456789"},
      {strNumber(1.0 / 3.0), " .333333333333333"}, {strNumber(1.0f / 3.0f), " .3333333"},
      {strNumber(0.1f), " .1"}, {strNumber(52.1234f), " 52.1234"}, {strNumber(-4.56789f), "-4.56789"},
      {strNumber(1234567.0f), " 1234567"}, {strNumber(12345678.0f), " 1.234568E+07"},
      {strNumber(1e14), " 100000000000000"}, {strNumber(1e16), " 1E+16"}, {strNumber(1e-5), " 1E-05"},
      {strNumber(std::numeric_limits<double>::quiet_NaN()), " 0"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.expected);
    EXPECT_EQ(r.actual.toStdString(), r.expected);
  }
  // What strNumber writes, leniNumber reads back (files written and read by the program).
  for (double v : {0.0, 0.5, -0.5, 52.123456789012, -179.99999, 1e16, 1e-5, 4800.0}) {
    SCOPED_TRACE(v);
    EXPECT_DOUBLE_EQ(leniNumber(strNumber(v)), v);
  }
  for (float v : {0.1f, -4.56789f, 12345678.0f, 359.9f}) {
    SCOPED_TRACE(v);
    EXPECT_FLOAT_EQ(static_cast<float>(leniNumber(strNumber(v))), v);
  }
}

// The longest leading number; out of range reads as 0 (never inf), digits of other
// scripts are no number.
TEST(LeniNumber, ReadsTheLongestLeadingNumber) {
  const struct {
    const char16_t* text;
    double expected;
  } rows[] = {
      {u"12abc", 12}, {u"", 0},        {u"abc", 0},      {u" -3.5e2x", -350}, {u"1e", 1},       {u"1e+", 1},
      {u".", 0},      {u"-", 0},       {u"+7", 7},       {u"  \t42", 42},     {u"-.5", -0.5},   {u".25", 0.25},
      {u"1.2.3", 1.2}, {u"3,5", 3},    {u"1D2", 100},    {u"2.5E-1", 0.25},   {u"1e400", 0},    {u"-1e400", 0},
      {u"nan", 0},    {u"inf", 0},     {u"0x1A", 0},     {u"٣", 0},           {u"4800,N,8,1", 4800},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(QStringView(r.text).toString().toStdString());
    EXPECT_DOUBLE_EQ(leniNumber(r.text), r.expected);
  }
  // isNumeric wants the whole text to be a number, blanks around it aside.
  const std::pair<const char16_t*, bool> numeric[] = {{u" 12.5 ", true}, {u"-3e2", true}, {u"12abc", false},
                                                      {u"", false}, {u"   ", false}, {u"inf", false}, {u"nan", false}};
  for (const auto& [t, want] : numeric) EXPECT_EQ(isNumeric(t), want) << QStringView(t).toString().toStdString();
}

// With a comma locale only the first separator becomes a point; with a point locale
// the comma ends the number.
TEST(ParseLocaleNumber, CommaSeparatorReplacedAtFirstOccurrence) {
  const struct {
    const char16_t* text;
    QChar separator;
    double expected;
  } rows[] = {{u"3,5", ',', 3.5}, {u"-12,25", ',', -12.25}, {u"1,234,5", ',', 1.234}, {u"3.5", ',', 3.5},
              {u"abc", ',', 0},   {u"", ',', 0},           {u",5", ',', 0.5},        {u"3,5", '.', 3},
              {u"3.5", '.', 3.5}};
  for (const auto& r : rows) {
    SCOPED_TRACE(QStringView(r.text).toString().toStdString());
    EXPECT_DOUBLE_EQ(parseLocaleNumber(r.text, r.separator), r.expected);
  }
}

TEST(RoundHalfEven, TiesGoToTheEvenDigit) {
  const struct {
    double value;
    int decimals;
    double expected;
  } rows[] = {{2.5, 0, 2},         {3.5, 0, 4},          {-2.5, 0, -2},      {-3.5, 0, -4},  {0.5, 0, 0},
              {1.5, 0, 2},         {2.4, 0, 2},          {2.6, 0, 3},        {0.125, 2, 0.12},  // exact tie
              {0.375, 2, 0.38},    {-0.125, 2, -0.12},   {0.0625, 3, 0.062}, {1.23456, 4, 1.2346},
              {0.70710678, 5, 0.70711}, {-0.5, 5, -0.5}, {0, 5, 0},          {123456.5, 0, 123456}};
  for (const auto& r : rows) {
    SCOPED_TRACE(QStringLiteral("%1 to %2").arg(r.value, 0, 'g', 17).arg(r.decimals).toStdString());
    EXPECT_DOUBLE_EQ(roundHalfEven(r.value, r.decimals), r.expected);
  }
  // The fast path (a table of powers of ten) must give what the plain formula gives.
  for (int decimals = 0; decimals <= 15; ++decimals) {
    const double scale = std::pow(10.0, decimals);
    for (int i = -2000; i <= 2000; ++i) {
      const double v = i * 0.0137 + i * i * 1e-7;
      ASSERT_EQ(roundHalfEven(v, decimals), std::nearbyint(v * scale) / scale) << v << " " << decimals;
    }
  }
  EXPECT_EQ(roundHalfEven(2.5, 20), 2.5);
}

}  // namespace
}  // namespace tavrik
