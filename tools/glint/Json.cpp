#include "tools/glint/Json.h"

namespace glint {

std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

namespace {

void WriteEscape(std::uint32_t code, std::string& out) {
  static const char kHex[] = "0123456789ABCDEF";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(code >> shift) & 15];
}

// The next code point of UTF-8 `s` at `i`; a byte that does not start a
// well-formed sequence stands for itself, as in the report's own text.
std::uint32_t NextCodePoint(const std::string& s, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const std::uint32_t lead = byte(i);
  const int extra = lead < 0xC2 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF5 ? 3 : 0;
  if (extra == 0 || i + extra >= s.size()) {
    ++i;
    return lead;
  }
  std::uint32_t code = lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return lead;
    }
    code = code << 6 | (byte(i + k) & 0x3F);
  }
  i += extra + 1;
  return code;
}

void WriteString(const std::string& text, std::string& out) {
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    // Plain printable ASCII goes across in one piece.
    std::size_t plain = i;
    while (plain < text.size() && text[plain] >= 0x20 && text[plain] < 0x7F &&
           text[plain] != '"' && text[plain] != '\\')
      ++plain;
    out.append(text, i, plain - i);
    if (plain == text.size()) break;
    i = plain;
    const std::uint32_t c = NextCodePoint(text, i);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c >= 0x20 && c < 0x7F) {
          out += static_cast<char>(c);
        } else if (c < 0x10000) {
          WriteEscape(c, out);
        } else {
          WriteEscape(0xD800 + ((c - 0x10000) >> 10), out);
          WriteEscape(0xDC00 + ((c - 0x10000) & 0x3FF), out);
        }
    }
  }
  out += '"';
}

// Written in pieces so a report of a million rows never sits in memory twice.
void Flush(std::string& out, std::ostream& stream, std::size_t above) {
  if (out.size() <= above) return;
  stream << out;
  out.clear();
}

void Write(const TJson& value, std::string& out, std::ostream& stream) {
  switch (value.type()) {
    case TJson::value_t::object: {
      out += '{';
      const char* separator = "";
      for (const auto& [key, item] : value.items()) {
        out += separator;
        WriteString(key, out);
        out += ": ";
        Write(item, out, stream);
        separator = ", ";
      }
      out += '}';
      break;
    }
    case TJson::value_t::array: {
      out += '[';
      const char* separator = "";
      for (const TJson& item : value) {
        out += separator;
        Write(item, out, stream);
        separator = ", ";
        Flush(out, stream, 1 << 16);
      }
      out += ']';
      break;
    }
    case TJson::value_t::string:
      WriteString(value.get_ref<const std::string&>(), out);
      break;
    default:
      out += value.dump();  // numbers, booleans and null as the library writes them
  }
}

}  // namespace

void WriteJsonLine(const TJson& value, std::ostream& out) {
  std::string text;
  Write(value, text, out);
  Flush(text, out, 0);
}

}  // namespace glint
