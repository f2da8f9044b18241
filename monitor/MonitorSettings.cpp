// The monitor window's stored settings: one table of them, read at
// FormCreate and written by File/Save Settings (only then: closing the window
// writes nothing), and Help/Contents, which opens the help file the
// installer recorded beside them.
#include <cstdlib>
#include <string>

#include "monitor/GlintExp.h"
#include "monitor/Settings.h"
#include "ui/Graphics.h"
#include "ui/Grids.h"

namespace glint {

namespace {

enum class TSettingKind { Integer, Text, Boolean };

// One stored value: its name, how it is stored, how it is taken from and
// put into the form, and which stored values it takes (any, when nil): the
// registry is anyone's to edit, and a value outside that range is ignored,
// the form keeping its own. Booleans go through the integer pair as 0 and
// 1; only Text settings use the text pair.
struct TSetting {
  const char* Name;
  TSettingKind Kind;
  int (*Get)(const TGlintMonitor&) = nullptr;
  void (*Set)(TGlintMonitor&, int) = nullptr;
  std::string (*GetText)(const TGlintMonitor&) = nullptr;
  void (*SetText)(TGlintMonitor&, const std::string&) = nullptr;
  bool (*Takes)(int) = nullptr;
  bool (*TakesText)(const std::string&) = nullptr;
};

// The smallest window that still shows the header panel (257 pixels) beside
// some grid, and the caption, menu bar, grid titles and two rows.
constexpr int kMinWidth = 400, kMinHeight = 120;
// Fonts up to 144 points (192 pixels at 96 dpi): twice the largest size the
// font dialog lists, and still a few grid rows on a 768-pixel screen.
constexpr int kMaxFontPoints = 144, kMaxFontPixels = 192;
// System colours are 0x80000000 plus a GetSysColor index, the last COLOR_MENUBAR.
constexpr int kLastSysColor = 30;
// What a LOGFONT holds of a face name, its terminating zero left out.
constexpr std::size_t kMaxFontName = 31;

// The stored style bits, whatever order TFontStyle has.
constexpr TFontStyle kStyleBits[] = {TFontStyle::Bold, TFontStyle::Italic, TFontStyle::Underline,
                                     TFontStyle::StrikeOut};

int StyleBits(TFontStyles styles) {
  int bits = 0;
  for (int bit = 0; bit < 4; ++bit)
    if (styles.Contains(kStyleBits[bit])) bits |= 1 << bit;
  return bits;
}

TFontStyles StylesOf(int bits) {
  TFontStyles styles;
  for (int bit = 0; bit < 4; ++bit)
    if (bits & (1 << bit)) styles.Include(kStyleBits[bit]);
  return styles;
}

// Font heights and sizes are negative too: a positive height is a cell
// height, which gives a negative size. 0 would be the system's choice.
bool FontMeasure(int v, int most) { return v != 0 && v >= -most && v <= most; }

// A position more than a screen off either side (a monitor since removed)
// starts at 0; so none is far enough out for left + width to overflow.
int OnScreen(int v, int screen) { return v > screen || v < -screen ? 0 : v; }

template <int Col>
constexpr TSetting ColumnSetting(const char* name) {
  return {name, TSettingKind::Integer,
          [](const TGlintMonitor&) { return MonitorGrid->ColWidths(Col); },
          [](TGlintMonitor&, int v) { MonitorGrid->SetColWidths(Col, v); }, nullptr, nullptr,
          // As narrow as a user can drag it; none wider than the screen.
          [](int v) { return v >= kMinColWidth && v <= TScreen::Width(); }};
}

// In the stored order. Reading follows it too: Font.Size comes after
// Font.Height and so wins over it. Position and size are the window's
// restored ones: a maximised window comes back as the window it was.
const TSetting kSettings[] = {
    {"Top", TSettingKind::Integer, [](const TGlintMonitor& f) { return f.RestoredBounds().Top; },
     [](TGlintMonitor& f, int v) { f.SetTop(OnScreen(v, TScreen::Height())); }},
    {"Left", TSettingKind::Integer, [](const TGlintMonitor& f) { return f.RestoredBounds().Left; },
     [](TGlintMonitor& f, int v) { f.SetLeft(OnScreen(v, TScreen::Width())); }},
    {"Width", TSettingKind::Integer,
     [](const TGlintMonitor& f) { return f.RestoredBounds().Width(); },
     [](TGlintMonitor& f, int v) { f.SetWidth(v); }, nullptr, nullptr,
     [](int v) { return v >= kMinWidth && v <= TScreen::Width(); }},
    // A rolled-up window keeps the height it unrolls to, not its caption's.
    {"Height", TSettingKind::Integer,
     [](const TGlintMonitor& f) { return RolledUp ? SavedHeight : f.RestoredBounds().Height(); },
     [](TGlintMonitor& f, int v) { f.SetHeight(v); }, nullptr, nullptr,
     [](int v) { return v >= kMinHeight && v <= TScreen::Height(); }},
    ColumnSetting<0>("Col1"),
    ColumnSetting<1>("Col2"),
    ColumnSetting<2>("Col3"),
    ColumnSetting<3>("Col4"),
    // An RGB value or a system colour.
    {"Font.Color", TSettingKind::Integer,
     [](const TGlintMonitor& f) { return static_cast<int>(f.Font().Color()); },
     [](TGlintMonitor& f, int v) { f.Font().SetColor(static_cast<TColor>(v)); }, nullptr, nullptr,
     [](int v) {
       const auto color = static_cast<TColor>(v);
       return color <= 0xFFFFFF ||
              (color >= kSystemColor && color <= (kSystemColor | kLastSysColor));
     }},
    {"Font.Height", TSettingKind::Integer, [](const TGlintMonitor& f) { return f.Font().Height(); },
     [](TGlintMonitor& f, int v) { f.Font().SetHeight(v); }, nullptr, nullptr,
     [](int v) { return FontMeasure(v, kMaxFontPixels); }},
    {"Font.Name", TSettingKind::Text, nullptr, nullptr,
     [](const TGlintMonitor& f) { return f.Font().Name(); },
     [](TGlintMonitor& f, const std::string& v) { f.Font().SetName(v); }, nullptr,
     [](const std::string& v) { return !v.empty() && v.size() <= kMaxFontName; }},
    {"Font.Pitch", TSettingKind::Integer,
     [](const TGlintMonitor& f) { return static_cast<int>(f.Font().Pitch()); },
     [](TGlintMonitor& f, int v) { f.Font().SetPitch(static_cast<TFontPitch>(v)); }, nullptr,
     nullptr, [](int v) { return v >= 0 && v <= 2; }},
    {"Font.Size", TSettingKind::Integer, [](const TGlintMonitor& f) { return f.Font().Size(); },
     [](TGlintMonitor& f, int v) { f.Font().SetSize(v); }, nullptr, nullptr,
     [](int v) { return FontMeasure(v, kMaxFontPoints); }},
    {"Font.Style", TSettingKind::Integer,
     [](const TGlintMonitor& f) { return StyleBits(f.Font().Style()); },
     [](TGlintMonitor& f, int v) { f.Font().SetStyle(StylesOf(v)); }, nullptr, nullptr,
     [](int v) { return v >= 0 && v <= 15; }},
    {"StayOnTop", TSettingKind::Boolean,
     [](const TGlintMonitor& f) { return f.FormStyle() == TFormStyle::StayOnTop ? 1 : 0; },
     [](TGlintMonitor& f, int v) {
       f.SetFormStyle(v ? TFormStyle::StayOnTop : TFormStyle::Normal);
       f.StayOnTop1->SetChecked(v != 0);
     }},
};

}  // namespace

// Every value falls back to what the form has now, so a fresh user (or a
// damaged value) gets the designed window.
void TGlintMonitor::ReadSettings() {
  const TSettingsFile reg(kSettingsKey);
  for (const TSetting& s : kSettings) {
    switch (s.Kind) {
      case TSettingKind::Integer:
        if (const int v = reg.ReadInteger(kSettingsSection, s.Name, s.Get(*this));
            !s.Takes || s.Takes(v))
          s.Set(*this, v);
        break;
      case TSettingKind::Boolean:
        s.Set(*this, reg.ReadBool(kSettingsSection, s.Name, s.Get(*this) != 0) ? 1 : 0);
        break;
      case TSettingKind::Text:
        if (const std::string v = reg.ReadString(kSettingsSection, s.Name, s.GetText(*this));
            !s.TakesText || s.TakesText(v))
          s.SetText(*this, v);
        break;
    }
  }
  MonitorGrid->SetDefaultRowHeight(std::abs(Font().Height()) + 8);
}

// A refused write raises ERegistryError, which the window's message
// dispatch shows in the error box; the values before it stay written.
void TGlintMonitor::SaveSettings1Click(TObject* sender) {
  TSettingsFile reg(kSettingsKey);
  for (const TSetting& s : kSettings) {
    switch (s.Kind) {
      case TSettingKind::Integer:
        reg.WriteInteger(kSettingsSection, s.Name, s.Get(*this));
        break;
      case TSettingKind::Boolean:
        reg.WriteBool(kSettingsSection, s.Name, s.Get(*this) != 0);
        break;
      case TSettingKind::Text:
        reg.WriteString(kSettingsSection, s.Name, s.GetText(*this));
        break;
    }
  }
}

// The installer records the help file; without one there is nothing to open.
void TGlintMonitor::Contents1Click(TObject* sender) {
  const std::string file = TSettingsFile(kSettingsKey).ReadString(kSettingsSection, "HelpFile", "");
  if (file.empty()) return;
  if (TWidgetSet* widgets = CurrentWidgetSet()) widgets->HelpContents(file, Application().Handle());
}

}  // namespace glint
