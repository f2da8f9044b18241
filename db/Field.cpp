// db/Field.cpp: TField, a typed view of one column of the dataset's current record, and
// the conversions between values and text.
#include <charconv>
#include <chrono>
#include <cmath>

#include "db/DataSet.h"
#include "rtl/Conversions.h"

namespace glint {

namespace {

template <typename T>
bool ParseWhole(std::string_view text, T& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

[[noreturn]] void BadText(std::string_view text, const char* what) {
  throw EConvertError(
      Format("'%.*s' is not a valid %s", static_cast<int>(text.size()), text.data(), what));
}

const char* KindOf(const TValue& value) {
  constexpr const char* kKinds[] = {"null", "integer", "float", "text", "stored"};
  return kKinds[value.index()];
}

std::string FloatText(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace

const char* FieldTypeName(TFieldType type) {
  constexpr const char* kNames[] = {"Integer", "Float", "Text", "Date", "Blob"};
  return kNames[static_cast<int>(type)];
}

std::string DateToIso(double date) {
  using namespace std::chrono;
  const year_month_day ymd(sys_days(year(1899) / December / 30) +
                           days(static_cast<int>(std::floor(date))));
  const int y = static_cast<int>(ymd.year());
  if (y < 0 || y > 9999)
    return Format("%d-%02u-%02u", y, static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()));
  // Digits written by hand: every post formats each date it writes, and printf is slow.
  std::string text = "0000-00-00";
  auto put = [&](std::size_t end, unsigned value) {
    for (std::size_t i = end; value; value /= 10) text[--i] = static_cast<char>('0' + value % 10);
  };
  put(4, static_cast<unsigned>(y));
  put(7, static_cast<unsigned>(ymd.month()));
  put(10, static_cast<unsigned>(ymd.day()));
  return text;
}

bool TryIsoToDate(std::string_view text, double& date) {
  int y = 0, m = 0, d = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
    if (text[i] < '0' || text[i] > '9') return false;
  return ParseWhole(text.substr(0, 4), y) && ParseWhole(text.substr(5, 2), m) &&
         ParseWhole(text.substr(8, 2), d) && TryEncodeDate(y, m, d, date);
}

const TValue& TField::Value() const { return FDataSet.ValueOf(FIndex); }

void TField::SetValue(TValue value) { FDataSet.SetValueOf(FIndex, Fit(std::move(value))); }

TValue TField::Fit(TValue value) const {
  // A value as stored goes back as it came.
  if (std::holds_alternative<std::monostate>(value) || std::holds_alternative<TStoredValue>(value))
    return value;
  bool fits = false;
  switch (FDef.DataType) {
    case TFieldType::Integer:
      fits = std::holds_alternative<std::int64_t>(value);
      break;
    case TFieldType::Float:
    case TFieldType::Date:
      if (auto* i = std::get_if<std::int64_t>(&value)) value = static_cast<double>(*i);
      fits = std::holds_alternative<double>(value);
      break;
    case TFieldType::Text:
    case TFieldType::Blob:
      fits = std::holds_alternative<std::string>(value);
      break;
  }
  if (!fits)
    throw EDatabaseError(Format("Field '%s' (%s) cannot hold a %s value", FDef.Name.c_str(),
                                FieldTypeName(FDef.DataType), KindOf(value)));
  return value;
}

std::string TField::AsString() const {
  const TValue& value = Value();
  if (auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
  if (auto* d = std::get_if<double>(&value)) {
    if (FDef.DataType == TFieldType::Date) return DateToIso(*d);
    return FloatText(*d);
  }
  if (auto* s = std::get_if<std::string>(&value)) return *s;
  if (auto* stored = std::get_if<TStoredValue>(&value)) {
    if (auto* i = std::get_if<std::int64_t>(&stored->Value)) return std::to_string(*i);
    if (auto* d = std::get_if<double>(&stored->Value)) return FloatText(*d);
    return std::get<std::string>(stored->Value);
  }
  return "";
}

void TField::SetAsString(std::string_view text) {
  const bool isText = FDef.DataType == TFieldType::Text || FDef.DataType == TFieldType::Blob;
  if (text.empty() && !isText) return Clear();
  switch (FDef.DataType) {
    case TFieldType::Integer: {
      std::int64_t i = 0;
      if (!ParseWhole(text, i)) BadText(text, "integer value");
      return SetValue(i);
    }
    case TFieldType::Float: {
      double d = 0;
      if (!ParseWhole(text, d) || !std::isfinite(d)) BadText(text, "floating point value");
      return SetValue(d);
    }
    case TFieldType::Date: {
      double d = 0;
      if (!TryIsoToDate(text, d)) BadText(text, "date (YYYY-MM-DD)");
      return SetValue(d);
    }
    case TFieldType::Text:
    case TFieldType::Blob:
      return SetValue(std::string(text));
  }
}

}  // namespace glint
