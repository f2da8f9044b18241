// rtl/SysUtils.h: the exception hierarchy and the small text helpers the kit is
// written against.
//
// Failures in the add-in, the controls and the installer are raised as
// Exception subclasses whose Message() is a text a user can read; the window
// procedure shows it in an error box and the add-in entry hands it to the host.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace glint {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const std::string& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

// A string list index or duplicate failure ("List index out of bounds (5)").
class EStringListError : public Exception {
  using Exception::Exception;
};
// A text that is not a number or date ("'x' is not a valid integer value").
class EConvertError : public Exception {
  using Exception::Exception;
};
// A file that cannot be opened, read or written; the message names the file.
class EInOutError : public Exception {
  using Exception::Exception;
};

// printf-style formatting into a std::string.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Removes leading and trailing characters with codes 0 to 32.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// ASCII-only case mapping: bytes outside a-z / A-Z are left alone, so the
// result never depends on the C locale.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Ordinal comparison, ASCII case folded; <0, 0, >0.
int CompareText(std::string_view a, std::string_view b);

// Position of the first occurrence of `sub` in `s`, counted from 1; 0 when absent.
std::size_t Pos(std::string_view sub, std::string_view s);
// `count` characters of `s` from position `index` (counted from 1), clipped to
// the string; an index below 1 counts as 1 and a count below 1 gives "".
std::string Copy(std::string_view s, long long index, long long count);

}  // namespace glint
