// rtl/Conversions.h: text to number and text to date conversions with the
// rules of the Pascal runtime the kit's controls were written against.
//
// Every conversion takes its separators and date format from an explicit
// TFormatSettings, so results never depend on the C locale; callers that
// want the user's settings start from DefaultFormatSettings(). The Try forms
// report failure by returning false; the others raise EConvertError with the
// runtime's message texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace glint {

struct TFormatSettings {
  char DecimalSeparator = '.';
  char DateSeparator = '/';
  // Only the order of the day, month and year letters matters when reading;
  // the first of y/m/d (or e, an era year) found decides it.
  std::string ShortDateFormat = "M/d/yyyy";
  // A two-digit year falls in the 100 years that start this many years
  // before the current one; 0 puts it in the current century.
  int TwoDigitYearCenturyWindow = 50;
};

// The user's settings where the platform keeps them (Windows: the user's
// locale); otherwise the US defaults above.
TFormatSettings DefaultFormatSettings();

// The runtime's integer rule: leading spaces, an optional sign, then decimal
// digits or hexadecimal digits after `$`, `x`, `X`, `0x` or `0X`, and nothing
// after them. A decimal value must fit a 32-bit signed integer; a hexadecimal
// one may use all 32 bits ($FFFFFFFF is -1).
bool TryStrToInt(std::string_view s, std::int32_t& value);
// Raises EConvertError "'%s' is not a valid integer value".
std::int32_t StrToInt(std::string_view s);

// A whole decimal number: blanks, an optional sign, digits, blanks; false
// when `text` is anything else or out of a 32-bit integer's range.
bool TryDecimalToInt(std::string_view text, std::int32_t& value);

// Reads [blanks][sign]digits[sep digits][(E|e)[sign]digits][blanks] with the
// decimal separator of `fs`; at least one mantissa digit, no thousands
// separators, no hexadecimal. Blanks are spaces.
bool TryStrToFloat(std::string_view s, long double& value, const TFormatSettings& fs);
// Raises EConvertError "'%s' is not a valid floating point value".
long double StrToFloat(std::string_view s, const TFormatSettings& fs);

// Reads a date of two or three numbers separated by the date separator, in the
// order of the short date format; a missing year is the current one and a
// year of at most two digits goes through the century window. Spaces may
// stand before each number and separator; after the date only spaces and one
// optional '.' may follow. The result is a day number as TDateTime counts
// them (days since 30 December 1899).
bool TryStrToDate(std::string_view s, double& value, const TFormatSettings& fs);
// Raises EConvertError "'%s' is not a valid date".
double StrToDate(std::string_view s, const TFormatSettings& fs);

// The day number of a valid date; false for a date that does not exist.
bool TryEncodeDate(int year, int month, int day, double& value);

}  // namespace glint
