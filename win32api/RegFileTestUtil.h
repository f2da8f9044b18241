// win32api/RegFileTestUtil.h: what the registry-file tests of more than one
// folder need: a whole file's bytes, and the bytes of a new registry file.
#pragma once

#include <string>
#include <string_view>

#include "tests/support/TestSupport.h"

namespace glint::regfile_test {

using test_support::ReadFile;

// A new registry file is written as the registry editor writes one: UTF-16LE
// with a byte order mark and CRLF line breaks.
inline std::string EditorFile(std::string_view ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) {
    if (c == '\n') bytes += std::string("\r\0", 2);
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

}  // namespace glint::regfile_test
