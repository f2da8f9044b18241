#include "rtl/Conversions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>

#include "rtl/SysUtils.h"

namespace glint {
namespace {

TEST(Conversions, IntegerRuleAcceptsSignsSpacesAndHexPrefixes) {
  constexpr struct {
    const char* text;
    std::int32_t value;
  } kGood[] = {
      {"0", 0},
      {"  42", 42},
      {"+7", 7},
      {"-3", -3},
      {"007", 7},
      {"$1F", 31},
      {"x1f", 31},
      {"X10", 16},
      {"0x10", 16},
      {"0X7fffffff", 0x7FFFFFFF},
      {"-$10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"$FFFFFFFF", -1},
      {"00000000000000000009", 9},
  };
  for (const auto& c : kGood) {
    SCOPED_TRACE(c.text);
    std::int32_t v = 12345;
    ASSERT_TRUE(TryStrToInt(c.text, v));
    EXPECT_EQ(v, c.value);
  }
}

TEST(Conversions, IntegerRuleRejectsAnythingElse) {
  for (const char* text :
       {"", " ", "-", "+", "$", "0x", "12 ", "1.5", "1e3", "\t5", "- 5", "2147483648",
        "-2147483649", "$100000000", "99999999999", "5a", "0x1G", "1,000", "--1"}) {
    SCOPED_TRACE(text);
    std::int32_t v = 12345;
    EXPECT_FALSE(TryStrToInt(text, v));
    EXPECT_EQ(v, 12345);
  }
  EXPECT_THROW(StrToInt("abc"), EConvertError);
}

// The stored-setting rule: decimal only, blanks on either side, range checked.
TEST(Conversions, DecimalRuleTakesBlanksButNoHexOrTrailingText) {
  const struct {
    const char* text;
    bool ok;
    std::int32_t value;
  } cases[] = {{"12", true, 12},
               {" \t-7 \r\n", true, -7},
               {"+5", true, 5},
               {"2147483647", true, INT32_MAX},
               {"-2147483648", true, INT32_MIN},
               {"", false, 0},
               {"  ", false, 0},
               {"+", false, 0},
               {"+-1", false, 0},
               {"1x", false, 0},
               {"1 2", false, 0},
               {"$10", false, 0},
               {"0x10", false, 0},
               {"2147483648", false, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::int32_t v = 12345;
    EXPECT_EQ(TryDecimalToInt(c.text, v), c.ok);
    EXPECT_EQ(v, c.ok ? c.value : 12345);
  }
}

TEST(Conversions, FloatFollowsTheDecimalSeparatorOfTheSettings) {
  TFormatSettings dot, comma;
  comma.DecimalSeparator = ',';
  EXPECT_EQ(StrToFloat("1.5", dot), 1.5L);
  EXPECT_EQ(StrToFloat("1,5", comma), 1.5L);
  EXPECT_THROW(StrToFloat("1,5", dot), EConvertError);
  EXPECT_THROW(StrToFloat("1.5", comma), EConvertError);
  EXPECT_EQ(StrToFloat("  -12.25E+2  ", dot), -1225.0L);
  EXPECT_EQ(StrToFloat(".5", dot), 0.5L);
  EXPECT_EQ(StrToFloat("5.", dot), 5.0L);
  EXPECT_EQ(StrToFloat("+1e-2", dot), 0.01L);
  // Extended precision: a 64-bit integer survives the trip.
  EXPECT_EQ(StrToFloat("9007199254740993", dot), 9007199254740993.0L);
}

TEST(Conversions, FloatRejectsHexBlanksInsideAndEmptyParts) {
  TFormatSettings fs;
  for (const char* text : {"", " ", ".", "-", "$1F", "0x10", "x1F", "1 5", "1e", "1e+", "e5",
                           "1.5.2", "\t1", "1,000", "INF", "NAN", "1e99999"}) {
    SCOPED_TRACE(text);
    long double v = 0;
    EXPECT_FALSE(TryStrToFloat(text, v, fs));
  }
  try {
    StrToFloat("$1F", fs);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'$1F' is not a valid floating point value");
  }
}

double Day(int y, int m, int d) {
  double v = 0;
  EXPECT_TRUE(TryEncodeDate(y, m, d, v));
  return v;
}

TEST(Conversions, DayNumbersCountFromTheEndOf1899) {
  EXPECT_EQ(Day(1899, 12, 30), 0);
  EXPECT_EQ(Day(1900, 1, 1), 2);
  EXPECT_EQ(Day(2000, 3, 1) - Day(2000, 2, 28), 2);  // leap century
  EXPECT_EQ(Day(1900, 3, 1) - Day(1900, 2, 28), 1);  // not a leap year
  EXPECT_EQ(Day(1, 1, 1), -693593);
  EXPECT_EQ(Day(2024, 12, 31), 45657);
  // Every day of a few centuries follows the one before: each month's
  // offset and length, leap years included.
  double previous = Day(1899, 12, 31);
  for (int y = 1900; y <= 2100; ++y)
    for (int m = 1; m <= 12; ++m)
      for (int d = 1; d <= 31; ++d) {
        double v = 0;
        if (!TryEncodeDate(y, m, d, v)) continue;
        ASSERT_EQ(v, previous + 1) << y << "-" << m << "-" << d;
        previous = v;
      }
  double v = 0;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, v));
  EXPECT_FALSE(TryEncodeDate(2024, 13, 1, v));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, v));
}

TEST(Conversions, DateOrderComesFromTheShortDateFormat) {
  TFormatSettings us, de, iso;
  de.DateSeparator = '.';
  de.ShortDateFormat = "dd.MM.yyyy";
  iso.DateSeparator = '-';
  iso.ShortDateFormat = "yyyy-MM-dd";
  EXPECT_EQ(StrToDate("2/3/2024", us), Day(2024, 2, 3));
  EXPECT_EQ(StrToDate("02.03.2024", de), Day(2024, 3, 2));
  EXPECT_EQ(StrToDate("2024-03-02", iso), Day(2024, 3, 2));
  EXPECT_EQ(StrToDate(" 2 / 3 / 2024 ", us), Day(2024, 2, 3));
  EXPECT_EQ(StrToDate("31.12.2024.", de), Day(2024, 12, 31));
}

TEST(Conversions, DateWithoutYearOrWithTwoDigitsUsesTheCurrentCentury) {
  using namespace std::chrono;
  const int year = static_cast<int>(year_month_day{floor<days>(system_clock::now())}.year());
  TFormatSettings fs;
  EXPECT_EQ(StrToDate("1/2", fs), Day(year, 1, 2));
  // Window 50: the 100 years from fifty years ago.
  const int base = year - 50;
  for (int yy : {0, 49, 50, 99}) {
    int expected = base / 100 * 100 + yy;
    if (expected < base) expected += 100;
    EXPECT_EQ(StrToDate("1/2/" + std::to_string(yy), fs), Day(expected, 1, 2)) << yy;
  }
  fs.TwoDigitYearCenturyWindow = 0;
  EXPECT_EQ(StrToDate("1/2/99", fs), Day(year / 100 * 100 + 99, 1, 2));
  // Three or four digits are taken as written.
  EXPECT_EQ(StrToDate("1/2/0099", fs), Day(99, 1, 2));
  // A window far outside the years puts a two-digit year outside them too.
  double day = 0;
  for (int window : {INT_MIN, INT_MAX}) {
    fs.TwoDigitYearCenturyWindow = window;
    EXPECT_FALSE(TryStrToDate("1/2/99", day, fs)) << window;
  }
}

TEST(Conversions, DateMustBeTheWholeText) {
  TFormatSettings fs;
  for (const char* text : {"", "1", "1/", "1/2/", "2/30/2024", "13/1/2024", "1/2/2024 10:00",
                           "1-2-2024", "1/2/20245", "a1/2/2024", "1/2/2024x", "\t1/2/2024"}) {
    SCOPED_TRACE(text);
    double v = 0;
    EXPECT_FALSE(TryStrToDate(text, v, fs));
  }
  try {
    StrToDate("soon", fs);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'soon' is not a valid date");
  }
}

// Whatever the platform reports, the defaults must read the texts they
// describe (Windows: the user's locale).
TEST(Conversions, DefaultSettingsReadTheirOwnNumbersAndDates) {
  const TFormatSettings fs = DefaultFormatSettings();
  const std::string sep(1, fs.DateSeparator);
  EXPECT_EQ(StrToFloat(std::string("12") + fs.DecimalSeparator + "5", fs), 12.5L);
  const std::size_t first = fs.ShortDateFormat.find_first_of("yYmMdDeE");
  const bool yearFirst = first != std::string::npos &&
                         std::string("yYeE").find(fs.ShortDateFormat[first]) != std::string::npos;
  const double date =
      StrToDate(yearFirst ? "2003" + sep + "1" + sep + "1" : "1" + sep + "1" + sep + "2003", fs);
  EXPECT_EQ(date, Day(2003, 1, 1));
}

}  // namespace
}  // namespace glint
