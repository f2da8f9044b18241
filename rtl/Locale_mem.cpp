// Builds without a platform locale use the US settings: '.' decimal separator,
// '/' date separator, month/day/year dates.
#include "rtl/Conversions.h"

namespace glint {

TFormatSettings DefaultFormatSettings() { return TFormatSettings{}; }

}  // namespace glint
