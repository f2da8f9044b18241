#include "ui/win32/GdiCanvas.h"

#include <string>

namespace glint {

COLORREF ToColorRef(TColor color) {
  if (color & kSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0xFFFFFF);
}

HFONT MakeFont(const TFont& font) {
  const TFontStyles style = font.Style();
  BYTE pitch = DEFAULT_PITCH;
  if (font.Pitch() == TFontPitch::Variable) pitch = VARIABLE_PITCH;
  if (font.Pitch() == TFontPitch::Fixed) pitch = FIXED_PITCH;
  return CreateFontA(font.Height(), 0, 0, 0, style.Contains(TFontStyle::Bold) ? FW_BOLD : FW_NORMAL,
                     style.Contains(TFontStyle::Italic), style.Contains(TFontStyle::Underline),
                     style.Contains(TFontStyle::StrikeOut), DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitch | FF_DONTCARE,
                     font.Name().c_str());
}

TGdiCanvas::TGdiCanvas(HDC dc) : FDC(dc) { SetBkMode(FDC, TRANSPARENT); }

TGdiCanvas::~TGdiCanvas() {
  if (FOriginalFont) SelectObject(FDC, FOriginalFont);
  if (FFont) DeleteObject(FFont);
}

void TGdiCanvas::FillRect(const TRect& rect) {
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  // SetDCBrushColor avoids making a brush per cell.
  HGDIOBJ old = SelectObject(FDC, GetStockObject(DC_BRUSH));
  SetDCBrushColor(FDC, ToColorRef(Brush.Color));
  ::FillRect(FDC, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  SelectObject(FDC, old);
}

void TGdiCanvas::SelectCurrentFont() {
  if (FFontValid && FFontMade.SameAs(Font)) return;
  HFONT font = MakeFont(Font);
  if (!font) return;
  HGDIOBJ previous = SelectObject(FDC, font);
  if (!FOriginalFont) FOriginalFont = previous;
  if (FFont) DeleteObject(FFont);
  FFont = font;
  FFontMade = Font;
  FFontValid = true;
}

void TGdiCanvas::DrawText(std::string_view text, const TRect& rect, TTextFormat format) {
  SelectCurrentFont();
  SetTextColor(FDC, ToColorRef(Font.Color()));
  UINT flags = 0;
  if (format.Contains(TTextFormatFlag::Center)) flags |= DT_CENTER;
  if (format.Contains(TTextFormatFlag::Right)) flags |= DT_RIGHT;
  if (format.Contains(TTextFormatFlag::VCenter)) flags |= DT_VCENTER;
  if (format.Contains(TTextFormatFlag::SingleLine)) flags |= DT_SINGLELINE;
  if (format.Contains(TTextFormatFlag::NoPrefix)) flags |= DT_NOPREFIX;
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  const std::string copy(text);
  ::DrawTextA(FDC, copy.c_str(), static_cast<int>(copy.size()), &r, flags);
}

}  // namespace glint
