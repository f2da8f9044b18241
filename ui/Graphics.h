// ui/Graphics.h: fonts, brushes and the canvas that owner-drawn controls paint on.
//
// TFont and TBrush are plain values with a change hook, so the control that
// holds one can tell its peer. TCanvas is the drawing seam: the portable code
// sets brush and font and calls FillRect/DrawText; the Win32 backend carries
// that out with GDI and the headless backend records each call (ui/headless).
// Nothing here throws.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ui/Types.h"

namespace glint {

enum class TFontStyle { Bold, Italic, Underline, StrikeOut };
using TFontStyles = TSet<TFontStyle>;
// Stored as 0 default, 1 variable, 2 fixed.
enum class TFontPitch { Default = 0, Variable = 1, Fixed = 2 };

// Screen resolution that font sizes in points are converted with.
constexpr int kPixelsPerInch = 96;

class TFont {
 public:
  TFont() = default;
  TFont(const TFont& other) { Assign(other); }
  TFont& operator=(const TFont& other) {
    Assign(other);
    return *this;
  }

  // Copies the font's attributes, never the change hook.
  void Assign(const TFont& other);

  const std::string& Name() const { return FName; }
  void SetName(std::string name);
  // Negative: character height in pixels; positive: cell height.
  int Height() const { return FHeight; }
  void SetHeight(int height);
  // Points, derived from the height (and setting it sets the height).
  int Size() const;
  void SetSize(int points);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch pitch);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles style);

  bool SameAs(const TFont& other) const {
    return FName == other.FName && FHeight == other.FHeight && FColor == other.FColor &&
           FPitch == other.FPitch && FStyle == other.FStyle;
  }

  std::function<void()> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }

  std::string FName = "MS Sans Serif";
  int FHeight = -11;
  TColor FColor = clWindowText;
  TFontPitch FPitch = TFontPitch::Default;
  TFontStyles FStyle;
};

struct TBrush {
  TColor Color = clWhite;
};

// DrawText format flags (DT_* on Windows).
enum class TTextFormatFlag { Left, Center, Right, VCenter, SingleLine, NoPrefix };
using TTextFormat = TSet<TTextFormatFlag>;

class TCanvas {
 public:
  virtual ~TCanvas() = default;

  TBrush Brush;
  TFont Font;

  // Fills the rectangle with the brush colour.
  virtual void FillRect(const TRect& rect) = 0;
  // Draws text inside the rectangle with the font, clipped to it.
  virtual void DrawText(std::string_view text, const TRect& rect, TTextFormat format) = 0;
};

}  // namespace glint
