// blowfish/BlowfishEncode.cpp: the printable form of cipher text in smEncode, six bits a
// character over the digits, the upper-case letters, the lower-case letters, "+" and "-".
// Bits run most significant first; a tail of 1 or 2 bytes gives 2 or 3 characters with
// the unused low bits zero, so every byte string has exactly one text.
#include <algorithm>
#include <array>

#include "blowfish/Blowfish.h"

namespace glint {

namespace {

constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz+-";

constexpr std::array<std::int8_t, 256> MakeReverse() {
  std::array<std::int8_t, 256> table{};
  for (auto& v : table) v = -1;
  for (int i = 0; i < 64; ++i)
    table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
  return table;
}

constexpr std::array<std::int8_t, 256> kReverse = MakeReverse();

}  // namespace

std::string TBlowfish::EncodeString(std::string_view data) {
  std::string text;
  text.reserve((data.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= data.size(); i += 3) {
    const std::uint32_t v = std::uint32_t{static_cast<std::uint8_t>(data[i])} << 16 |
                            std::uint32_t{static_cast<std::uint8_t>(data[i + 1])} << 8 |
                            static_cast<std::uint8_t>(data[i + 2]);
    text += kAlphabet[v >> 18];
    text += kAlphabet[(v >> 12) & 63];
    text += kAlphabet[(v >> 6) & 63];
    text += kAlphabet[v & 63];
  }
  const std::size_t tail = data.size() - i;
  if (tail > 0) {
    std::uint32_t v = std::uint32_t{static_cast<std::uint8_t>(data[i])} << 16;
    if (tail == 2) v |= std::uint32_t{static_cast<std::uint8_t>(data[i + 1])} << 8;
    text += kAlphabet[v >> 18];
    text += kAlphabet[(v >> 12) & 63];
    if (tail == 2) text += kAlphabet[(v >> 6) & 63];
  }
  return text;
}

int TBlowfish::DecodeString(std::string_view text, std::string& out) {
  if (text.size() % 4 == 1) return kBfInvalidData;
  std::string data;
  data.reserve(text.size() / 4 * 3 + 2);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const std::size_t count = std::min<std::size_t>(4, text.size() - i);
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      int digit = 0;
      if (k < count) {
        digit = kReverse[static_cast<unsigned char>(text[i + k])];
        if (digit < 0) return kBfInvalidData;
      }
      v = (v << 6) | static_cast<std::uint32_t>(digit);
    }
    const std::size_t bytes = count - 1;  // 4 -> 3, 3 -> 2, 2 -> 1
    if (bytes < 3 && (v & (0xFFFFFFu >> (8 * bytes))) != 0) return kBfInvalidData;
    for (std::size_t k = 0; k < bytes; ++k) data += static_cast<char>(v >> (16 - 8 * k));
  }
  out = std::move(data);
  return kBfOk;
}

}  // namespace glint
