// Registry file bytes as UTF-8 text, and Windows-1252.
#include "win32api/RegFileText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace glint::win32 {
namespace {

// Windows-1252 bytes 0x80-0x9F as Unicode, from the Unicode Consortium's table
// (MAPPINGS/VENDORS/MICSFT/WINDOWS/CP1252.TXT); the bytes it leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) keep their own value, as Windows converts them.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr char kEscape = '\x81';

char16_t Cp1252Char(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : static_cast<char16_t>(byte);
}

bool Cp1252Byte(char32_t c, unsigned char* byte) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    *byte = static_cast<unsigned char>(c);
    return true;
  }
  for (unsigned i = 0; i < 32; ++i) {
    if (kHigh[i] == c) {
      *byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

std::string CodeName(char32_t c) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  return code;
}

void AppendHeld(std::string& held, char32_t c) {
  unsigned char byte;
  if (Cp1252Byte(c, &byte)) {
    held += static_cast<char>(byte);
    return;
  }
  char escape[16];
  std::snprintf(escape, sizeof escape, "%c{%X}", kEscape, static_cast<unsigned>(c));
  held += escape;
}

// An escape's digits, which AppendHeld writes in upper case only.
int EscapeDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The character held at `pos`, moving `pos` past it. Lone surrogates (held from UTF-16
// data) count only where the caller can write them.
char32_t NextHeld(std::string_view held, std::size_t& pos, bool surrogates) {
  const auto byte = static_cast<unsigned char>(held[pos++]);
  if (byte != static_cast<unsigned char>(kEscape) || pos >= held.size() || held[pos] != '{')
    return Cp1252Char(byte);
  char32_t c = 0;
  std::size_t end = pos + 1;
  for (; end < held.size() && end - pos <= 6 && EscapeDigit(held[end]) >= 0; ++end)
    c = c << 4 | static_cast<char32_t>(EscapeDigit(held[end]));
  unsigned char unused;
  if (end == pos + 1 || end - pos > 7 || end >= held.size() || held[end] != '}' || c > 0x10FFFF ||
      Cp1252Byte(c, &unused) || (!surrogates && c >= 0xD800 && c <= 0xDFFF))
    return Cp1252Char(byte);
  pos = end + 1;
  return c;
}

// Text that is all ASCII reads the same in every form here, and most of a file is.
bool Ascii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

// Writes `c` as UTF-8 at `out`, which has room for four bytes; returns the end.
char* PutUtf8(char* out, char32_t c) {
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | c >> 6);
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<char>(0xE0 | c >> 12);
    *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | c >> 18);
    *out++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
    *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  char buffer[4];
  out.append(buffer, PutUtf8(buffer, c));
}

// One character at `pos`; false for anything but the shortest form of a scalar value.
bool NextUtf8(std::string_view s, std::size_t& pos, char32_t& c) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(pos);
  int extra;
  char32_t min;
  if (lead < 0x80) {
    c = lead;
    ++pos;
    return true;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, min = 0x80, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, min = 0x800, c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, min = 0x10000, c = lead & 0x07;
  } else {
    return false;
  }
  if (pos + extra >= s.size()) return false;
  for (int i = 1; i <= extra; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return false;
    c = c << 6 | (byte(pos + i) & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  pos += static_cast<std::size_t>(extra) + 1;
  return true;
}

bool ValidUtf8(std::string_view s, std::size_t* bad) {
  char32_t c;
  for (std::size_t pos = 0; pos < s.size();) {
    if (!NextUtf8(s, pos, c)) {
      *bad = pos;
      return false;
    }
  }
  return true;
}

std::size_t LineAt(std::string_view s, std::size_t pos) {
  return 1 + static_cast<std::size_t>(std::count(s.begin(), s.begin() + pos, '\n'));
}

bool DecodeUtf16(std::string_view bytes, std::string* text, std::string* error) {
  std::size_t line = 1;
  const auto fail = [&](const char* what) {
    *error = "line " + std::to_string(line) + ": " + what;
    return false;
  };
  const auto unit = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) |
                                 static_cast<unsigned char>(bytes[i + 1]) << 8);
  };
  // A code unit takes at most three bytes of UTF-8, a surrogate pair four.
  text->resize(bytes.size() / 2 * 3);
  char* out = text->data();
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xDC00 && c <= 0xDFFF) return fail("not UTF-16 (a lone low surrogate)");
    if (c >= 0xD800 && c <= 0xDBFF) {
      const char32_t low = i + 3 < bytes.size() ? unit(i + 2) : 0;
      if (low < 0xDC00 || low > 0xDFFF) return fail("not UTF-16 (a lone high surrogate)");
      c = 0x10000 + ((c - 0xD800) << 10 | (low - 0xDC00));
      i += 2;
    }
    if (c == '\n') ++line;
    out = PutUtf8(out, c);
  }
  text->resize(static_cast<std::size_t>(out - text->data()));
  if (bytes.size() % 2 != 0) return fail("not UTF-16 (an odd number of bytes)");
  return true;
}

const char* const kAmbiguous =
    "U+0081 before a code in braces would read back as another character";

}  // namespace

bool Utf8ToHeld(std::string_view text, std::string* held, std::string* error) {
  if (Ascii(text)) {
    held->assign(text);
    return true;
  }
  held->clear();
  char32_t c;
  for (std::size_t pos = 0; pos < text.size();) {
    if (!NextUtf8(text, pos, c)) {
      *error = "not UTF-8";
      return false;
    }
    AppendHeld(*held, c);
  }
  if (HeldToUtf8(*held) == text) return true;
  *error = kAmbiguous;
  return false;
}

std::string HeldToUtf8(std::string_view held) {
  if (Ascii(held)) return std::string(held);
  std::string out;
  out.reserve(held.size());
  for (std::size_t pos = 0; pos < held.size();) AppendUtf8(out, NextHeld(held, pos, false));
  return out;
}

std::size_t HeldLength(std::string_view held) {
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < held.size();)
    units += NextHeld(held, pos, true) >= 0x10000 ? 2 : 1;
  return units;
}

bool Utf16ToHeld(const std::vector<BYTE>& data, std::vector<BYTE>* held, std::string* error) {
  if (data.size() % 2 != 0) {
    *error = "text data of an odd number of bytes in a 5.00 file";
    return false;
  }
  std::string text;
  for (std::size_t i = 0; i < data.size(); i += 2) {
    char32_t c = data[i] | data[i + 1] << 8;
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < data.size()) {
      const char32_t low = data[i + 2] | data[i + 3] << 8;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10 | (low - 0xDC00));
        i += 2;
      }
    }
    AppendHeld(text, c);
  }
  held->assign(text.begin(), text.end());
  if (HeldToUtf16(*held) == data) return true;
  *error = kAmbiguous;
  return false;
}

std::vector<BYTE> HeldToUtf16(const std::vector<BYTE>& held) {
  const std::string_view text(reinterpret_cast<const char*>(held.data()), held.size());
  std::vector<BYTE> out;
  out.reserve(held.size() * 2);
  const auto put = [&](char32_t unit) {
    out.push_back(static_cast<BYTE>(unit & 0xFF));
    out.push_back(static_cast<BYTE>(unit >> 8));
  };
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = NextHeld(text, pos, true);
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
  return out;
}

bool DecodeRegFile(std::string_view bytes, TRegEncoding* encoding, std::string* text,
                   std::string* error) {
  text->clear();
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    *encoding = TRegEncoding::Utf16Bom;
    return DecodeUtf16(bytes.substr(2), text, error);
  }
  std::size_t bad = 0;
  if (bytes.starts_with(kUtf8Bom)) {
    *encoding = TRegEncoding::Utf8Bom;
    bytes.remove_prefix(kUtf8Bom.size());
    if (!ValidUtf8(bytes, &bad)) {
      *error = "line " + std::to_string(LineAt(bytes, bad)) + ": not UTF-8";
      return false;
    }
    text->assign(bytes);
    return true;
  }
  if (ValidUtf8(bytes, &bad)) {
    if (!Ascii(bytes) || !bytes.starts_with("REGEDIT4")) {
      *encoding = TRegEncoding::Utf8;
      text->assign(bytes);
      return true;
    }
  }
  *encoding = TRegEncoding::Ansi;
  text->reserve(bytes.size());
  for (char b : bytes) AppendUtf8(*text, Cp1252Char(static_cast<unsigned char>(b)));
  return true;
}

bool EncodeRegFile(std::string_view text, TRegEncoding encoding, std::string* bytes,
                   std::string* error) {
  bytes->clear();
  char32_t c;
  switch (encoding) {
    case TRegEncoding::Utf8Bom:
      *bytes = kUtf8Bom;
      [[fallthrough]];
    case TRegEncoding::Utf8:
      bytes->append(text);
      return true;
    case TRegEncoding::Ansi:
      for (std::size_t pos = 0; pos < text.size();) {
        unsigned char byte;
        if (!NextUtf8(text, pos, c) || !Cp1252Byte(c, &byte)) {
          *error = "the character " + CodeName(c) + " cannot be written in a single-byte file";
          return false;
        }
        *bytes += static_cast<char>(byte);
      }
      // Single-byte text whose bytes happen to be valid UTF-8 ("\xC3\xA9" for "Ã©") would
      // be read back as UTF-8, as other text than was saved.
      if (std::size_t bad = 0; !Ascii(*bytes) && ValidUtf8(*bytes, &bad)) {
        *error = "the text would read back as UTF-8 from a single-byte file";
        return false;
      }
      return true;
    case TRegEncoding::Utf16Bom:
      break;
  }
  // Two bytes for each byte of UTF-8 are enough: a character of n bytes takes 2 (n < 4) or 4.
  bytes->assign(2 + text.size() * 2, '\0');
  char* out = bytes->data();
  const auto put = [&](char32_t unit) {
    *out++ = static_cast<char>(unit & 0xFF);
    *out++ = static_cast<char>(unit >> 8);
  };
  put(0xFEFF);
  for (std::size_t pos = 0; pos < text.size();) {
    if (!NextUtf8(text, pos, c)) {
      *error = "not UTF-8";
      return false;
    }
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
  bytes->resize(static_cast<std::size_t>(out - bytes->data()));
  return true;
}

}  // namespace glint::win32
