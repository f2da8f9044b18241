#include "ui/Graphics.h"

#include <cstdlib>

namespace glint {

namespace {
// Windows' MulDiv: rounds half away from zero.
int MulDiv(int a, int b, int c) {
  long long p = static_cast<long long>(a) * b;
  long long q = (std::llabs(p) + c / 2) / c;
  return static_cast<int>(p < 0 ? -q : q);
}
}  // namespace

void TFont::Assign(const TFont& other) {
  if (SameAs(other)) return;
  FName = other.FName;
  FHeight = other.FHeight;
  FColor = other.FColor;
  FPitch = other.FPitch;
  FStyle = other.FStyle;
  Changed();
}

void TFont::SetName(std::string name) {
  if (name == FName) return;
  FName = std::move(name);
  Changed();
}

void TFont::SetHeight(int height) {
  if (height == FHeight) return;
  FHeight = height;
  Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, kPixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, kPixelsPerInch, 72)); }

void TFont::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == FPitch) return;
  FPitch = pitch;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == FStyle) return;
  FStyle = style;
  Changed();
}

}  // namespace glint
