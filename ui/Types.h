// ui/Types.h: the small value types every UI unit shares: colours, points,
// rectangles, bit sets and mouse/shift state. No behaviour, nothing throws.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace glint {

// Colours as 0x00BBGGRR; values with the top bit set name a system colour.
using TColor = std::uint32_t;
constexpr TColor clBlack = 0x000000, clWhite = 0xFFFFFF, clRed = 0x0000FF, clBlue = 0xFF0000;
constexpr TColor kSystemColor = 0x80000000;
constexpr TColor clWindow = kSystemColor | 5, clWindowText = kSystemColor | 8;
constexpr TColor clBtnFace = kSystemColor | 15, clHighlight = kSystemColor | 13,
                 clHighlightText = kSystemColor | 14;

struct TPoint {
  int X = 0, Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};
struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

enum class TAlign { None, Top, Bottom, Left, Right, Client };
enum class TMouseButton { Left, Right, Middle };
// HandPoint: the pointing hand over a link.
enum class TCursor { Default, HSplit, VSplit, HandPoint };

// What a modal dialog or form was closed with.
enum class TModalResult {
  None = 0,
  OK = 1,
  Cancel = 2,
  Abort = 3,
  Retry = 4,
  Ignore = 5,
  Yes = 6,
  No = 7
};

// A small bit set over an enum class whose values are bit numbers.
template <typename E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) Include(e);
  }
  constexpr bool Contains(E e) const { return (FBits >> static_cast<unsigned>(e)) & 1u; }
  constexpr TSet& Include(E e) {
    FBits |= 1u << static_cast<unsigned>(e);
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    FBits &= ~(1u << static_cast<unsigned>(e));
    return *this;
  }
  constexpr std::uint32_t Bits() const { return FBits; }
  constexpr bool Empty() const { return FBits == 0; }
  friend constexpr bool operator==(TSet, TSet) = default;

 private:
  std::uint32_t FBits = 0;
};

enum class TShiftKey { Shift, Alt, Ctrl, Left, Right, Middle, Double };
using TShiftState = TSet<TShiftKey>;

}  // namespace glint
