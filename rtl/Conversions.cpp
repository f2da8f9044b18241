#include "rtl/Conversions.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdlib>

#include "rtl/Ascii.h"
#include "rtl/SysUtils.h"

namespace glint {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The runtime skips spaces only, not tabs or other control characters.
void SkipSpaces(std::string_view s, std::size_t& pos) {
  while (pos < s.size() && s[pos] == ' ') ++pos;
}

int CurrentYear() {
  using namespace std::chrono;
  return static_cast<int>(year_month_day{floor<days>(system_clock::now())}.year());
}

enum class TDateOrder { MDY, DMY, YMD };

TDateOrder GetDateOrder(std::string_view format) {
  for (char c : format) {
    switch (c & 0xDF) {
      case 'E':
      case 'Y':
        return TDateOrder::YMD;
      case 'M':
        return TDateOrder::MDY;
      case 'D':
        return TDateOrder::DMY;
      default:
        break;
    }
  }
  return TDateOrder::MDY;
}

bool ScanChar(std::string_view s, std::size_t& pos, char c) {
  SkipSpaces(s, pos);
  if (pos < s.size() && s[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

// Reads digits until the value reaches 1000, so "2024" is read whole and
// "20245" leaves its last digit behind (which then fails the date).
bool ScanNumber(std::string_view s, std::size_t& pos, int& number, int& length) {
  SkipSpaces(s, pos);
  std::size_t i = pos;
  int n = 0;
  while (i < s.size() && IsDigit(s[i]) && n < 1000) n = n * 10 + (s[i++] - '0');
  if (i == pos) return false;
  length = static_cast<int>(i - pos);
  pos = i;
  number = n;
  return true;
}

}  // namespace

bool TryDecimalToInt(std::string_view text, std::int32_t& value) {
  std::string t = Trim(text);
  const char* first = t.data();
  const char* last = first + t.size();
  // from_chars takes a minus only; one sign in all, so "+-1" is no number.
  if (first != last && *first == '+' && ++first != last && *first == '-') return false;
  if (first == last) return false;
  int v = 0;
  auto [end, error] = std::from_chars(first, last, v);
  if (error != std::errc() || end != last) return false;
  value = v;
  return true;
}

bool TryStrToInt(std::string_view s, std::int32_t& value) {
  std::size_t pos = 0;
  SkipSpaces(s, pos);
  bool negative = false;
  if (pos < s.size() && (s[pos] == '-' || s[pos] == '+')) negative = s[pos++] == '-';
  bool hex = false;
  if (pos < s.size() && (s[pos] == '$' || s[pos] == 'x' || s[pos] == 'X')) {
    hex = true;
    ++pos;
  } else if (pos + 1 < s.size() && s[pos] == '0' && (s[pos + 1] == 'x' || s[pos + 1] == 'X')) {
    hex = true;
    pos += 2;
  }
  if (pos == s.size()) return false;
  std::uint64_t magnitude = 0;
  if (hex) {
    for (; pos < s.size(); ++pos) {
      int digit = HexDigit(s[pos]);
      if (digit < 0) return false;
      magnitude = magnitude * 16 + static_cast<unsigned>(digit);
      if (magnitude > 0xFFFFFFFFull) return false;
    }
    // Hexadecimal gives the bit pattern, as the runtime reads it.
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    value = static_cast<std::int32_t>(bits);
    return true;
  }
  for (; pos < s.size(); ++pos) {
    if (!IsDigit(s[pos])) return false;
    magnitude = magnitude * 10 + static_cast<unsigned>(s[pos] - '0');
    if (magnitude > 0x80000000ull) return false;
  }
  if (!negative && magnitude > 0x7FFFFFFFull) return false;
  value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                   : static_cast<std::int32_t>(magnitude);
  return true;
}

std::int32_t StrToInt(std::string_view s) {
  std::int32_t value = 0;
  if (!TryStrToInt(s, value))
    throw EConvertError(
        Format("'%.*s' is not a valid integer value", static_cast<int>(s.size()), s.data()));
  return value;
}

bool TryStrToFloat(std::string_view s, long double& value, const TFormatSettings& fs) {
  // Checked here by the runtime's grammar, then handed to strtold in the
  // C library's own spelling so that the conversion itself is exact.
  const char point = *std::localeconv()->decimal_point;
  std::string text;
  text.reserve(s.size() + 2);
  std::size_t pos = 0;
  SkipSpaces(s, pos);
  if (pos < s.size() && (s[pos] == '-' || s[pos] == '+')) text += s[pos++];
  int digits = 0;
  for (; pos < s.size() && IsDigit(s[pos]); ++pos, ++digits) text += s[pos];
  if (pos < s.size() && s[pos] == fs.DecimalSeparator) {
    text += point;
    for (++pos; pos < s.size() && IsDigit(s[pos]); ++pos, ++digits) text += s[pos];
  }
  if (digits == 0) return false;
  if (pos < s.size() && (s[pos] == 'E' || s[pos] == 'e')) {
    text += 'E';
    ++pos;
    if (pos < s.size() && (s[pos] == '-' || s[pos] == '+')) text += s[pos++];
    std::size_t first = pos;
    for (; pos < s.size() && IsDigit(s[pos]); ++pos) text += s[pos];
    if (pos == first) return false;
  }
  SkipSpaces(s, pos);
  if (pos != s.size()) return false;
  errno = 0;
  long double v = std::strtold(text.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(v)) return false;
  value = v;
  return true;
}

long double StrToFloat(std::string_view s, const TFormatSettings& fs) {
  long double value = 0;
  if (!TryStrToFloat(s, value, fs))
    throw EConvertError(
        Format("'%.*s' is not a valid floating point value", static_cast<int>(s.size()), s.data()));
  return value;
}

bool TryEncodeDate(int year, int month, int day, double& value) {
  static constexpr int kDaysInMonth[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                              {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  const int* monthDays = kDaysInMonth[leap ? 1 : 0];
  if (day > monthDays[month - 1]) return false;
  // Days of the year before the first of each month.
  static constexpr int kDaysBefore[2][12] = {
      {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
      {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335}};
  day += kDaysBefore[leap ? 1 : 0][month - 1];
  const int y = year - 1;
  // 693594 is the day count from 1 January 0001 to 30 December 1899.
  value = static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + day - 693594);
  return true;
}

bool TryStrToDate(std::string_view s, double& value, const TFormatSettings& fs) {
  std::size_t pos = 0;
  int n1 = 0, n2 = 0, n3 = 0, l1 = 0, l2 = 0, l3 = 0;
  if (!ScanNumber(s, pos, n1, l1) || !ScanChar(s, pos, fs.DateSeparator) ||
      !ScanNumber(s, pos, n2, l2))
    return false;
  const TDateOrder order = GetDateOrder(fs.ShortDateFormat);
  int y = 0, m = 0, d = 0;
  if (ScanChar(s, pos, fs.DateSeparator)) {
    if (!ScanNumber(s, pos, n3, l3)) return false;
    int yearLength = 0;
    switch (order) {
      case TDateOrder::MDY:
        y = n3, yearLength = l3, m = n1, d = n2;
        break;
      case TDateOrder::DMY:
        y = n3, yearLength = l3, m = n2, d = n1;
        break;
      case TDateOrder::YMD:
        y = n1, yearLength = l1, m = n2, d = n3;
        break;
    }
    if (yearLength <= 2) {
      // Wide: the window is the caller's number, and one far out of range
      // must give a year out of range, not an overflow.
      const std::int64_t centuryBase = std::int64_t{CurrentYear()} - fs.TwoDigitYearCenturyWindow;
      std::int64_t year = y + centuryBase / 100 * 100;
      if (fs.TwoDigitYearCenturyWindow > 0 && year < centuryBase) year += 100;
      if (year < 1 || year > 9999) return false;
      y = static_cast<int>(year);
    }
  } else {
    y = CurrentYear();
    if (order == TDateOrder::DMY)
      d = n1, m = n2;
    else
      m = n1, d = n2;
  }
  // Some locales end a short date with a period ("31.12.2024.").
  ScanChar(s, pos, '.');
  SkipSpaces(s, pos);
  if (pos != s.size()) return false;
  return TryEncodeDate(y, m, d, value);
}

double StrToDate(std::string_view s, const TFormatSettings& fs) {
  double value = 0;
  if (!TryStrToDate(s, value, fs))
    throw EConvertError(Format("'%.*s' is not a valid date", static_cast<int>(s.size()), s.data()));
  return value;
}

}  // namespace glint
