#include "monitor/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "monitor/GlintExp.h"
// The installer's registry class, in the same unit as the monitor's: a second
// class of one name would not compile here.
#include "setup/MyRegistry.h"
#include "ui/headless/Headless.h"
#include "win32api/LittleWin.h"
#include "win32api/RegKey.h"

namespace glint {
namespace {

constexpr const char* kSection = "Glint Monitor Expert";

class Settings : public ::testing::Test {
 protected:
  void SetUp() override { Clear(); }
  void TearDown() override {
    delete GlintMonitor;
    Clear();
  }
  static void Clear() { win32::RegDeleteTreeA(win32::HKEY_CURRENT_USER, kSettingsKey); }
  // A new monitor window in place of the last one, reading the settings.
  static TGlintMonitor& NewMonitor() {
    delete GlintMonitor;
    GlintMonitor = new TGlintMonitor(&Application());
    return *GlintMonitor;
  }
  static std::string SectionPath() { return std::string(kSettingsKey) + "\\" + kSection; }
  // A stored value's text: "<missing>" when absent, "<type N>" when not REG_SZ.
  static std::string Stored(const char* name) {
    using namespace win32;
    TRegKey key;
    DWORD type = 0, size = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath().c_str(), 0, KEY_READ, key.Out()) !=
            ERROR_SUCCESS ||
        RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return "<missing>";
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    std::string text(size, '\0');
    RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()),
                     &size);
    return text.c_str();
  }

  // Every setting as "Name=text;...", in the stored order.
  static std::string StoredValues() {
    std::string all;
    for (const char* name :
         {"Top", "Left", "Width", "Height", "Col1", "Col2", "Col3", "Col4", "Font.Color",
          "Font.Height", "Font.Name", "Font.Pitch", "Font.Size", "Font.Style", "StayOnTop"})
      all += (all.empty() ? "" : ";") + std::string(name) + "=" + Stored(name);
    return all;
  }

  TSettingsFile Reg{kSettingsKey};
  THeadless Backend;
};

TEST_F(Settings, MissingOrNonNumericValuesGiveTheDefault) {
  EXPECT_EQ(Reg.ReadInteger(kSection, "Top", 17), 17);
  EXPECT_EQ(Reg.ReadString(kSection, "Font.Name", "Arial"), "Arial");
  EXPECT_TRUE(Reg.ReadBool(kSection, "StayOnTop", true));
  const struct {
    const char* stored;
    int read;
  } cases[] = {{"42", 42}, {" -3 ", -3}, {"+8", 8},           {"12px", 99},
               {"", 99},   {"0x10", 99}, {"99999999999", 99}, {"-2147483640", -2147483640}};
  for (const auto& c : cases) {
    Reg.WriteString(kSection, "Left", c.stored);
    EXPECT_EQ(Reg.ReadInteger(kSection, "Left", 99), c.read) << '"' << c.stored << '"';
  }
  Reg.WriteBool(kSection, "StayOnTop", false);
  EXPECT_FALSE(Reg.ReadBool(kSection, "StayOnTop", true));
  EXPECT_EQ(Reg.ReadString(kSection, "StayOnTop", ""), "0");  // stored as decimal text
}

// Help/Contents opens the help file the installer recorded, for the
// application window; nothing while there is none.
TEST_F(Settings, HelpContentsOpensTheHelpFileTheInstallerRecorded) {
  const std::uintptr_t before = Application().Handle();
  Application().SetHandle(0x4242);
  TGlintMonitor& form = NewMonitor();
  form.Contents1->Click();
  Reg.WriteString(kSection, "HelpFile", "");
  form.Contents1->Click();
  EXPECT_TRUE(TRegIniFile(win32::HKEY_CURRENT_USER, kSettingsKey)
                  .PutSectionString(kSection, "HelpFile", "C:\\Glint\\Glint.hlp"));
  form.Contents1->Click();
  Application().SetHandle(before);
  EXPECT_EQ(Backend.HelpCalls, (std::vector<TRecordedHelp>{{"C:\\Glint\\Glint.hlp", 0x4242}}));
}

TEST_F(Settings, FreshUserGetsTheDesignedWindow) {
  GlintMonitor = new TGlintMonitor(&Application());
  EXPECT_EQ(GlintMonitor->BoundsRect(), (TRect{192, 107, 192 + 640, 107 + 420}));
  EXPECT_EQ(MonitorGrid->ColWidths(0), 64);
  EXPECT_EQ(GlintMonitor->Font().Name(), "MS Sans Serif");
  EXPECT_EQ(MonitorGrid->DefaultRowHeight(), 19);
  EXPECT_EQ(GlintMonitor->FormStyle(), TFormStyle::Normal);
  EXPECT_FALSE(GlintMonitor->StayOnTop1->Checked());
}

TEST_F(Settings, StoredValuesRestoreTheWindow) {
  const std::pair<const char*, const char*> values[] = {{"Top", "30"},
                                                        {"Left", "40"},
                                                        {"Width", "800"},
                                                        {"Height", "wide"},
                                                        {"Col1", "120"},
                                                        {"Col2", "50"},
                                                        {"Col3", "60"},
                                                        {"Col4", "300"},
                                                        {"Font.Color", "255"},
                                                        {"Font.Height", "-16"},
                                                        {"Font.Name", "Courier New"},
                                                        {"Font.Pitch", "2"},
                                                        {"Font.Size", "12"},
                                                        {"Font.Style", "5"},
                                                        {"StayOnTop", "1"}};
  for (auto [name, value] : values) Reg.WriteString(kSection, name, value);
  GlintMonitor = new TGlintMonitor(&Application());
  EXPECT_EQ(GlintMonitor->BoundsRect(), (TRect{40, 30, 40 + 800, 30 + 420}));
  EXPECT_EQ(MonitorGrid->ColWidths(0), 120);
  EXPECT_EQ(MonitorGrid->ColWidths(3), 300);
  const TFont& font = GlintMonitor->Font();
  EXPECT_EQ(font.Color(), clRed);
  EXPECT_EQ(font.Height(), -16);
  EXPECT_EQ(font.Name(), "Courier New");
  EXPECT_EQ(font.Pitch(), TFontPitch::Fixed);
  EXPECT_EQ(font.Style(), (TFontStyles{TFontStyle::Bold, TFontStyle::Underline}));
  EXPECT_EQ(MonitorGrid->Font().Name(), "Courier New");  // the grid follows the form
  EXPECT_EQ(MonitorGrid->DefaultRowHeight(), 24);
  EXPECT_EQ(GlintMonitor->FormStyle(), TFormStyle::StayOnTop);
  EXPECT_TRUE(GlintMonitor->StayOnTop1->Checked());
  // Shown, the last column takes what the stored others leave.
  GlintMonitor->Show();
  const int line = MonitorGrid->GridLineWidth();
  EXPECT_EQ(MonitorGrid->ColWidths(3), MonitorGrid->ClientWidth() - (120 + 50 + 60 + 3 * line));
}

TEST_F(Settings, FontSizeReadLastWinsOverHeight) {
  Reg.WriteInteger(kSection, "Font.Height", -11);
  Reg.WriteInteger(kSection, "Font.Size", 14);
  GlintMonitor = new TGlintMonitor(&Application());
  EXPECT_EQ(GlintMonitor->Font().Height(), -19);
  EXPECT_EQ(MonitorGrid->DefaultRowHeight(), 27);
}

TEST_F(Settings, PositionOffTheScreenIsClampedToZero) {
  Reg.WriteInteger(kSection, "Top", 769);
  Reg.WriteInteger(kSection, "Left", 1024);  // not beyond: kept
  GlintMonitor = new TGlintMonitor(&Application());
  EXPECT_EQ(GlintMonitor->Top(), 0);
  EXPECT_EQ(GlintMonitor->Left(), 1024);
  delete GlintMonitor;

  Reg.WriteInteger(kSection, "Left", 1500);
  GlintMonitor = new TGlintMonitor(&Application());
  EXPECT_EQ(GlintMonitor->Left(), 0);
  delete GlintMonitor;

  Backend.SetScreenSize({1920, 1080});
  GlintMonitor = new TGlintMonitor(&Application());
  EXPECT_EQ(GlintMonitor->Left(), 1500);
  EXPECT_EQ(GlintMonitor->Top(), 769);
}

// What the window shows is what Save Settings stores, as decimal text, and
// what the next window comes back with (and so stores again).
TEST_F(Settings, SavedSettingsBringTheWindowBack) {
  const struct {
    TRect Bounds;
    int Widths[4];
    TColor Color;
    const char* FontName;
    int FontHeight;
    TFontPitch Pitch;
    TFontStyles Style;
    bool OnTop, RolledUp;
    const char* Stored;
  } cases[] = {
      {{30, 40, 830, 540},
       {120, 50, 60, 300},
       clRed,
       "Courier New",
       -16,
       TFontPitch::Fixed,
       {TFontStyle::Bold, TFontStyle::StrikeOut},
       true,
       false,
       "Top=40;Left=30;Width=800;Height=500;Col1=120;Col2=50;Col3=60;Col4=300;Font.Color=255;"
       "Font.Height=-16;Font.Name=Courier New;Font.Pitch=2;Font.Size=12;Font.Style=9;StayOnTop=1"},
      // Rolled up to its caption: the height it unrolls to is kept.
      {{0, 0, 500, 333},
       {70, 40, 45, 200},
       clWindowText,
       "Arial",
       -13,
       TFontPitch::Variable,
       {TFontStyle::Italic, TFontStyle::Underline},
       false,
       true,
       "Top=0;Left=0;Width=500;Height=333;Col1=70;Col2=40;Col3=45;Col4=200;Font.Color=-2147483640;"
       "Font.Height=-13;Font.Name=Arial;Font.Pitch=1;Font.Size=10;Font.Style=6;StayOnTop=0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.FontName);
    Clear();
    TGlintMonitor& form = NewMonitor();
    const TRect& b = c.Bounds;
    form.SetBounds(b.Left, b.Top, b.Width(), b.Height());
    if (c.RolledUp) form.Widget1->Click();
    for (int col = 0; col < 4; ++col) MonitorGrid->SetColWidths(col, c.Widths[col]);
    TFont& font = form.Font();
    font.SetColor(c.Color);
    font.SetName(c.FontName);
    font.SetHeight(c.FontHeight);
    font.SetPitch(c.Pitch);
    font.SetStyle(c.Style);
    if (c.OnTop) form.StayOnTop1->Click();
    form.SaveSettings1->Click();
    EXPECT_EQ(StoredValues(), c.Stored);

    const TFont saved = font;
    TGlintMonitor& next = NewMonitor();
    EXPECT_TRUE(next.Font().SameAs(saved));
    EXPECT_EQ(MonitorGrid->DefaultRowHeight(), -c.FontHeight + 8);
    EXPECT_EQ(next.StayOnTop1->Checked(), c.OnTop);
    Clear();
    next.SaveSettings1->Click();
    EXPECT_EQ(StoredValues(), c.Stored);
  }
}

// Each stored value alone, and what the window takes of it (what Save
// Settings then stores): a value outside its range leaves the designed one
// (a position off the screen starts at 0). On the default 1024 x 768 screen.
TEST_F(Settings, EachValueIsTakenOnlyInItsRange) {
  const char* cases[] = {
      // "Name stored>taken ...", "_" for a space
      "Top -2147483648>0 -769>0 -768>-768",
      "Left 2147483647>0",
      "Width 2147483647>640 399>640 400>400 1025>640",
      "Height -5>420 768>768",
      "Col1 -1>64 3>64 4>4",
      "Col2 99999999>64",
      "Col3 1024>1024",
      "Font.Color 16777216>-2147483640 -2147483618>-2147483618 -2147483617>-2147483640",
      "Font.Height -2147483648>-11 0>-11 193>-11 -192>-192 16>16",
      "Font.Size 2147483647>8 -2147483648>8 145>8 144>144 -12>-12",
      "Font.Style 16>0",
      "Font.Name 1234567890123456789012345678901>1234567890123456789012345678901",
      "Font.Name 12345678901234567890123456789012>MS_Sans_Serif"};
  for (const char* line : cases) {
    std::istringstream in(line);
    std::string name, pair;
    in >> name;
    while (in >> pair) {
      SCOPED_TRACE(name + " " + pair);
      const std::size_t arrow = pair.find('>');
      Clear();
      Reg.WriteString(kSection, name, pair.substr(0, arrow));
      TGlintMonitor& form = NewMonitor();
      EXPECT_LE(MonitorGrid->DefaultRowHeight(), 200);
      Clear();
      form.SaveSettings1->Click();
      std::string taken = pair.substr(arrow + 1);
      std::replace(taken.begin(), taken.end(), '_', ' ');
      EXPECT_EQ(Stored(name.c_str()), taken);
    }
  }
}

// Numbers stored by other tools as REG_DWORD read as the text would.
TEST_F(Settings, NumbersStoredAsDwordAreRead) {
  using namespace win32;
  TRegKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SectionPath().c_str(), 0, nullptr, 0, KEY_WRITE,
                            nullptr, key.Out(), nullptr),
            ERROR_SUCCESS);
  for (auto [name, value] : {std::pair<const char*, DWORD>{"Width", 700}, {"Font.Height", -16u}})
    RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
  TGlintMonitor& form = NewMonitor();
  EXPECT_EQ(form.Width(), 700);
  EXPECT_EQ(form.Font().Height(), -16);
}

// A window minimised or maximised stores the bounds it goes back to.
TEST_F(Settings, SaveKeepsTheRestoredBoundsOfAMaximisedOrMinimisedWindow) {
  for (TWindowState state : {TWindowState::Maximized, TWindowState::Minimized}) {
    SCOPED_TRACE(static_cast<int>(state));
    Clear();
    TGlintMonitor& form = NewMonitor();
    form.SetBounds(30, 40, 800, 500);
    form.DoWindowState(state, form.BoundsRect());
    if (state == TWindowState::Maximized) form.SetBounds(-4, -4, 1032, 776);
    form.SaveSettings1->Click();
    EXPECT_EQ(StoredValues().substr(0, 35), "Top=40;Left=30;Width=800;Height=500");
    form.DoWindowState(TWindowState::Normal, {});
    EXPECT_EQ(form.RestoredBounds(), form.BoundsRect());
  }
}

TEST_F(Settings, StayOnTopIsStoredAsOneOrZeroAndAnyNonZeroReadsTrue) {
  const struct {
    const char* Stored;
    bool OnTop;
    const char* Saved;
  } cases[] = {{"1", true, "1"}, {"0", false, "0"},  {"-1", true, "1"},
               {"7", true, "1"}, {"on", false, "0"}, {"", false, "0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Stored);
    Reg.WriteString(kSection, "StayOnTop", c.Stored);
    TGlintMonitor& form = NewMonitor();
    EXPECT_EQ(form.FormStyle() == TFormStyle::StayOnTop, c.OnTop);
    EXPECT_EQ(form.StayOnTop1->Checked(), c.OnTop);
    form.SaveSettings1->Click();
    EXPECT_EQ(Stored("StayOnTop"), c.Saved);
  }
}

TEST_F(Settings, EveryDamagedValueFallsBackToTheDesignedWindow) {
  TGlintMonitor& designed = NewMonitor();
  const TRect bounds = designed.BoundsRect();
  const TFont font = designed.Font();
  std::vector<int> widths;
  for (int col = 0; col < 4; ++col) widths.push_back(MonitorGrid->ColWidths(col));
  const char* names[] = {"Top",        "Left",      "Width",      "Height",     "Col1",
                         "Col2",       "Col3",      "Col4",       "Font.Color", "Font.Height",
                         "Font.Pitch", "Font.Size", "Font.Style", "StayOnTop"};
  for (const char* damage : {"12px", "", "0x10", "99999999999", "1.5"}) {
    SCOPED_TRACE(damage);
    for (const char* name : names) Reg.WriteString(kSection, name, damage);
    TGlintMonitor& form = NewMonitor();
    EXPECT_EQ(form.BoundsRect(), bounds);
    for (int col = 0; col < 4; ++col) EXPECT_EQ(MonitorGrid->ColWidths(col), widths[col]);
    EXPECT_TRUE(form.Font().SameAs(font));
    EXPECT_EQ(MonitorGrid->DefaultRowHeight(), 19);
    EXPECT_EQ(form.FormStyle(), TFormStyle::Normal);
  }
  // A number, but no pitch.
  Reg.WriteString(kSection, "Font.Pitch", "3");
  EXPECT_EQ(NewMonitor().Font().Pitch(), TFontPitch::Default);
}

}  // namespace
}  // namespace glint
