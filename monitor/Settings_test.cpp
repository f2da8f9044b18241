#include "monitor/Settings.h"

#include <gtest/gtest.h>

#include "monitor/GlintExp.h"
// The installer's registry class, in the same unit as the monitor's: a second
// class of one name would not compile here.
#include "setup/MyRegistry.h"
#include "ui/headless/Headless.h"
#include "win32api/LittleWin.h"

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

TEST_F(Settings, TheMonitorReadsWhatTheInstallerWrote) {
  ASSERT_TRUE(TRegIniFile(win32::HKEY_CURRENT_USER, kSettingsKey)
                  .PutSectionString(kSection, "HelpFile", "C:\\Glint\\Glint.hlp"));
  EXPECT_EQ(Reg.ReadString(kSection, "HelpFile", ""), "C:\\Glint\\Glint.hlp");
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

}  // namespace
}  // namespace glint
