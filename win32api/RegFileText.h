// win32api/RegFileText.h: the bytes of a registry file as UTF-8 text and back, and the
// form the in-memory registry holds names and text in. Used by the in-memory registry only.
//
// The held form is Windows-1252, the code page of the kit's "A" functions. A character
// the code page has no byte for (Windows' and Wine's own HKEY_CURRENT_USER has a key named
// with three globe emoji) is held as the byte 0x81, which the code page leaves undefined,
// then its code in hex between braces: U+1F30E is "\x81{1F30E}". Writing turns it back
// into the character, so a file loaded and saved loses nothing. A text where U+0081 itself
// stands before such braces could not be told apart, and is refused.
//
// Failure: the Decode and To functions return false with a message (without a line
// number for the ones that work on parts of a line).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "win32api/MemRegistry.h"

namespace glint::win32 {

// Detects the encoding and decodes the bytes to UTF-8. A UTF-16LE or UTF-8 byte order
// mark decides; without one, bytes that are valid UTF-8 are UTF-8, unless they are plain
// ASCII under a "REGEDIT4" header (which the editor writes single-byte); anything else is
// Windows-1252. Line breaks are left as they are. Errors name the line.
bool DecodeRegFile(std::string_view bytes, TRegEncoding* encoding, std::string* text,
                   std::string* error);
// The reverse; fails only for a single-byte file: for a character it cannot hold, and for
// text whose bytes would read back as UTF-8.
bool EncodeRegFile(std::string_view text, TRegEncoding encoding, std::string* bytes,
                   std::string* error);

// UTF-8 text (names, strings) to the held form and back.
bool Utf8ToHeld(std::string_view text, std::string* held, std::string* error);
std::string HeldToUtf8(std::string_view held);
// The length of a held name in UTF-16 code units, as Windows counts a name's characters.
std::size_t HeldLength(std::string_view held);
// UTF-16LE data (the hex data of string types in a 5.00 file) to the held form and back.
// Code units that pair into no character are held like characters, so any even-length
// data comes back the same.
bool Utf16ToHeld(const std::vector<BYTE>& data, std::vector<BYTE>* held, std::string* error);
std::vector<BYTE> HeldToUtf16(const std::vector<BYTE>& held);

}  // namespace glint::win32
