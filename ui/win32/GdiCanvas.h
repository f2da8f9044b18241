// ui/win32/GdiCanvas.h: TCanvas carried out with GDI on a device context.
//
// The canvas borrows the DC; the font and brush it selects are its own and
// are freed (and the DC's originals put back) when it goes. A font handle is
// made again only when the canvas font differs from the last one made.
#pragma once

#include <windows.h>
// The models' TCanvas::DrawText, not the A/W macro.
#undef DrawText

#include "ui/Graphics.h"
#include "ui/win32/Handles.h"

namespace glint {

// A colour value of the models as a COLORREF (system colours resolved).
COLORREF ToColorRef(TColor color);
// A model font as a LOGFONT, and back (the colour travels beside it).
LOGFONTA ToLogFont(const TFont& font);
void AssignLogFont(TFont& font, const LOGFONTA& log, TColor color);
// A GDI font for a model font; the caller deletes it.
HFONT MakeFont(const TFont& font);

class TGdiCanvas : public TCanvas {
 public:
  explicit TGdiCanvas(HDC dc);
  ~TGdiCanvas() override;
  TGdiCanvas(const TGdiCanvas&) = delete;
  TGdiCanvas& operator=(const TGdiCanvas&) = delete;

  void FillRect(const TRect& rect) override;
  void DrawText(std::string_view text, const TRect& rect, TTextFormat format) override;

 private:
  void SelectCurrentFont();

  HDC FDC;
  TFontHandle FFont;
  HGDIOBJ FOriginalFont = nullptr;
  TFont FFontMade;
  bool FFontValid = false;
};

}  // namespace glint
