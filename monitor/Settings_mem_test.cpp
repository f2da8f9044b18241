// Save Settings against the in-memory registry, whose hooks show the order
// values were written in and can refuse writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/GlintExp.h"
#include "monitor/Settings.h"
#include "ui/headless/Headless.h"
#include "win32api/MemRegistry.h"

namespace glint {
namespace {

using namespace win32;

const std::string kSectionPath = std::string(kSettingsKey) + "\\" + kSettingsSection;

class SaveSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    MemRegistryReset();
    Form = new TGlintMonitor(&Application());
  }
  void TearDown() override {
    delete Form;
    MemRegistryReset();
  }

  THeadless Backend;
  TGlintMonitor* Form = nullptr;
};

TEST_F(SaveSettings, WritesEveryValueInOrderAsText) {
  Form->SaveSettings1->Click();
  std::vector<std::string> names;
  for (const TMemValue& value : MemRegistryValues(HKEY_CURRENT_USER, kSectionPath)) {
    names.push_back(value.Name);
    EXPECT_EQ(value.Type, REG_SZ) << value.Name;
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"Top", "Left", "Width", "Height", "Col1", "Col2", "Col3",
                                      "Col4", "Font.Color", "Font.Height", "Font.Name",
                                      "Font.Pitch", "Font.Size", "Font.Style", "StayOnTop"}));
}

TEST_F(SaveSettings, RefusedWriteRaisesNamingTheKey) {
  const struct {
    void (*Deny)(HKEY, std::string_view);
    std::string Path;
  } cases[] = {{MemRegistryDenyKey, kSettingsKey}, {MemRegistryDenyWrites, kSectionPath}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Path);
    MemRegistryReset();
    c.Deny(HKEY_CURRENT_USER, c.Path);
    try {
      Form->SaveSettings1->Click();
      ADD_FAILURE() << "no exception";
    } catch (const ERegistryError& e) {
      EXPECT_EQ(e.Message(), "Failed to set data for 'Top' in HKEY_CURRENT_USER\\" + kSectionPath);
    }
    EXPECT_TRUE(MemRegistryValues(HKEY_CURRENT_USER, kSectionPath).empty());
  }
}

}  // namespace
}  // namespace glint
