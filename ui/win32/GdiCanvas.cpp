#include "ui/win32/GdiCanvas.h"

#include <cstring>
#include <string>

namespace glint {

COLORREF ToColorRef(TColor color) {
  if (color & kSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0xFFFFFF);
}

LOGFONTA ToLogFont(const TFont& font) {
  const TFontStyles style = font.Style();
  LOGFONTA log{};
  log.lfHeight = font.Height();
  log.lfWeight = style.Contains(TFontStyle::Bold) ? FW_BOLD : FW_NORMAL;
  log.lfItalic = style.Contains(TFontStyle::Italic);
  log.lfUnderline = style.Contains(TFontStyle::Underline);
  log.lfStrikeOut = style.Contains(TFontStyle::StrikeOut);
  log.lfCharSet = DEFAULT_CHARSET;
  log.lfOutPrecision = OUT_DEFAULT_PRECIS;
  log.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  log.lfQuality = DEFAULT_QUALITY;
  BYTE pitch = DEFAULT_PITCH;
  if (font.Pitch() == TFontPitch::Variable) pitch = VARIABLE_PITCH;
  if (font.Pitch() == TFontPitch::Fixed) pitch = FIXED_PITCH;
  log.lfPitchAndFamily = pitch | FF_DONTCARE;
  font.Name().copy(log.lfFaceName, LF_FACESIZE - 1);
  return log;
}

void AssignLogFont(TFont& font, const LOGFONTA& log, TColor color) {
  TFont result;
  result.SetName(std::string(log.lfFaceName, strnlen(log.lfFaceName, LF_FACESIZE)));
  result.SetHeight(log.lfHeight);
  result.SetColor(color);
  switch (log.lfPitchAndFamily & 3) {
    case VARIABLE_PITCH:
      result.SetPitch(TFontPitch::Variable);
      break;
    case FIXED_PITCH:
      result.SetPitch(TFontPitch::Fixed);
      break;
    default:
      result.SetPitch(TFontPitch::Default);
  }
  TFontStyles style;
  if (log.lfWeight >= FW_BOLD) style.Include(TFontStyle::Bold);
  if (log.lfItalic) style.Include(TFontStyle::Italic);
  if (log.lfUnderline) style.Include(TFontStyle::Underline);
  if (log.lfStrikeOut) style.Include(TFontStyle::StrikeOut);
  result.SetStyle(style);
  // One change notification for the whole font.
  font.Assign(result);
}

HFONT MakeFont(const TFont& font) {
  const LOGFONTA log = ToLogFont(font);
  return CreateFontIndirectA(&log);
}

TGdiCanvas::TGdiCanvas(HDC dc) : FDC(dc) { SetBkMode(FDC, TRANSPARENT); }

TGdiCanvas::~TGdiCanvas() {
  // Put back before the font made here is deleted with the canvas.
  if (FOriginalFont) SelectObject(FDC, FOriginalFont);
}

void TGdiCanvas::FillRect(const TRect& rect) {
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  // SetDCBrushColor avoids making a brush per cell.
  const TSelection brush(FDC, GetStockObject(DC_BRUSH));
  SetDCBrushColor(FDC, ToColorRef(Brush.Color));
  ::FillRect(FDC, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void TGdiCanvas::SelectCurrentFont() {
  if (FFontValid && FFontMade.SameAs(Font)) return;
  HFONT font = MakeFont(Font);
  if (!font) return;
  HGDIOBJ previous = SelectObject(FDC, font);
  if (!FOriginalFont) FOriginalFont = previous;
  FFont.Reset(font);
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
