#include "rtl/Ascii.h"

#include <gtest/gtest.h>

namespace glint {
namespace {

// The neighbours of each range ('/' ':' '@' 'G' '`' 'g' '{') and a byte
// above ASCII, which a signed char makes negative.
TEST(Ascii, OnlyAsciiLettersAndDigitsChange) {
  const struct {
    char c, upper, lower;
    int hex;
  } cases[] = {{'0', '0', '0', 0},  {'9', '9', '9', 9},           {'a', 'A', 'a', 10},
               {'f', 'F', 'f', 15}, {'A', 'A', 'a', 10},          {'F', 'F', 'f', 15},
               {'g', 'G', 'g', -1}, {'G', 'G', 'g', -1},          {'z', 'Z', 'z', -1},
               {'Z', 'Z', 'z', -1}, {'/', '/', '/', -1},          {':', ':', ':', -1},
               {'@', '@', '@', -1}, {'[', '[', '[', -1},          {'`', '`', '`', -1},
               {'{', '{', '{', -1}, {'\xE4', '\xE4', '\xE4', -1}, {'\xC4', '\xC4', '\xC4', -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c.c)));
    EXPECT_EQ(AsciiUpper(c.c), c.upper);
    EXPECT_EQ(AsciiLower(c.c), c.lower);
    EXPECT_EQ(HexDigit(c.c), c.hex);
  }
  EXPECT_TRUE(SameTextAscii("Unit1.PAS", "unit1.pas"));
  EXPECT_TRUE(SameTextAscii("", ""));
  EXPECT_FALSE(SameTextAscii("abc", "abcd"));
  // A fold by setting bit 5 would take these for the same.
  EXPECT_FALSE(SameTextAscii("@[", "`{"));
  EXPECT_FALSE(SameTextAscii("\xC4", "\xE4"));
}

}  // namespace
}  // namespace glint
