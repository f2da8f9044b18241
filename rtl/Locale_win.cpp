// The Windows build reads the user's number and date settings from the
// user's locale, as the runtime did at start-up; a value Windows cannot give
// keeps its US default.
#include <windows.h>

#include "rtl/Conversions.h"

namespace glint {

namespace {
bool LocaleText(LCTYPE type, std::string& text) {
  char buffer[128];
  int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  if (length <= 1) return false;
  text.assign(buffer, static_cast<std::size_t>(length - 1));
  return true;
}
}  // namespace

TFormatSettings DefaultFormatSettings() {
  TFormatSettings fs;
  std::string text;
  if (LocaleText(LOCALE_SDECIMAL, text)) fs.DecimalSeparator = text[0];
  if (LocaleText(LOCALE_SDATE, text)) fs.DateSeparator = text[0];
  if (LocaleText(LOCALE_SSHORTDATE, text)) fs.ShortDateFormat = text;
  return fs;
}

}  // namespace glint
