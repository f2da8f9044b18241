// tools/glint/Json.h: JSON as glint's commands write it. Report text is
// single-byte (a Windows code page) and JSON is UTF-8: each byte above 0x7F
// stands for the code point of the same number.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>

namespace glint {

using TJson = nlohmann::ordered_json;

std::string Latin1ToUtf8(std::string_view text);

// `value` on one line with ", " and ": " between items and every character
// outside printable ASCII escaped (\u00E9, upper-case digits): the form
// `glint show --json` has always had, which scripts reading it may compare.
void WriteJsonLine(const TJson& value, std::ostream& out);

}  // namespace glint
