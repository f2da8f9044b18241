#include "ide/IdeHost.h"

#include <gtest/gtest.h>

#include <string>

#include "ide/SlotCall.h"

namespace glint {
namespace {

// An add-in object whose every slot answers something different, so a slot
// that calls its neighbour shows.
class TProbeExpert final : public TInterfaced<TIExpert, TProbeExpert> {
 public:
  explicit TProbeExpert(bool* freed = nullptr) : FFreed(freed) {}
  ~TProbeExpert() {
    if (FFreed) *FFreed = true;
  }
  const char* GLINT_STDCALL GetName() override { return "name"; }
  const char* GLINT_STDCALL GetAuthor() override { return "author"; }
  const char* GLINT_STDCALL GetComment() override { return "comment"; }
  const char* GLINT_STDCALL GetPage() override { return "page"; }
  std::uintptr_t GLINT_STDCALL GetGlyph() override { return 7; }
  int GLINT_STDCALL GetStyle() override { return 8; }
  unsigned GLINT_STDCALL GetState() override { return 9; }
  const char* GLINT_STDCALL GetIDString() override { return "id"; }
  const char* GLINT_STDCALL GetMenuText() override { return "menu"; }
  void GLINT_STDCALL Execute() override { ++Executed; }
  int Executed = 0;

 private:
  bool* FFreed;
};

int gClicks = 0;
void* gClickSelf = nullptr;
void GLINT_STDCALL CountClick(void* self, TIMenuItemIntf* sender) {
  ++gClicks;
  gClickSelf = self;
  EXPECT_STREQ(sender->GetName(), "ViewGlintMonitorItem");
}

std::string ViewItemNames(TIdeHost& host) {
  std::string names;
  for (const auto& item : host.FindItem("ViewsMenu")->Items) names += item->Name + " ";
  return names;
}

TEST(IdeHost, BaseSlotsCountAndFreeAtZero) {
  bool freed = false;
  auto* expert = new TProbeExpert(&freed);
  EXPECT_EQ(CallSlot<int>(expert, 0), 2);
  EXPECT_EQ(CallSlot<int>(expert, 2), 3);
  EXPECT_EQ(CallSlot<int>(expert, 1), 1);
  EXPECT_FALSE(freed);
  EXPECT_EQ(CallSlot<int>(expert, 1), 0);
  EXPECT_TRUE(freed);
}

TEST(IdeHost, ExpertSlotsSitWhereTheHostCallsThem) {
  auto* expert = new TProbeExpert;
  EXPECT_STREQ(CallSlot<const char*>(expert, 3), "name");
  EXPECT_STREQ(CallSlot<const char*>(expert, 4), "author");
  EXPECT_STREQ(CallSlot<const char*>(expert, 5), "comment");
  EXPECT_STREQ(CallSlot<const char*>(expert, 6), "page");
  EXPECT_EQ(CallSlot<std::uintptr_t>(expert, 7), 7u);
  EXPECT_EQ(CallSlot<int>(expert, 8), 8);
  EXPECT_EQ(CallSlot<unsigned>(expert, 9), 9u);
  EXPECT_STREQ(CallSlot<const char*>(expert, 10), "id");
  EXPECT_STREQ(CallSlot<const char*>(expert, 11), "menu");
  CallSlot<void>(expert, 12);
  EXPECT_EQ(expert->Executed, 1);
  expert->Release();
}

TEST(IdeHost, ServicesSlotsAnswerHandleMenuAndErrors) {
  TIdeHost host;
  host.MainWindowHandle = 0x1234;
  TIToolServices* services = host.ToolServices();
  EXPECT_EQ(CallSlot<std::uintptr_t>(services, 14), 0x1234u);
  CallSlot<void>(services, 40, "Access denied");
  ASSERT_EQ(host.Errors().size(), 1u);
  EXPECT_EQ(host.Errors()[0], "Access denied");
  EXPECT_FALSE(CallSlot<bool>(services, 22, "x.pas"));
  EXPECT_FALSE(CallSlot<bool>(services, 9, "x.pas"));
  EXPECT_EQ(CallSlot<void*>(services, 28, "x.pas"), nullptr);

  auto* menu = CallSlot<TIMainMenuIntf*>(services, 33);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(host.LiveIntfs(), 1);
  auto* bar = CallSlot<TIMenuItemIntf*>(menu, 3);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetItemCount(), 3);
  EXPECT_EQ(bar->GetParent(), nullptr);
  bar->Release();
  menu->Release();
  EXPECT_EQ(host.LiveIntfs(), 0);
}

// The add-in's menu insertion, made entirely by slot numbers.
TEST(IdeHost, ItemInsertedBySlotsLandsAfterTheFoundItemAndFires) {
  TIdeHost host;
  int self = 0;
  auto* menu = CallSlot<TIMainMenuIntf*>(host.ToolServices(), 33);
  auto* found = CallSlot<TIMenuItemIntf*>(menu, 4, "ViewPrjSourceItem");
  ASSERT_NE(found, nullptr);
  auto* parent = CallSlot<TIMenuItemIntf*>(found, 8);
  ASSERT_NE(parent, nullptr);
  EXPECT_STREQ(parent->GetName(), "ViewsMenu");
  const int index = CallSlot<int>(found, 4);
  EXPECT_EQ(index, 1);
  auto* added = CallSlot<TIMenuItemIntf*>(
      parent, 23, index + 1, "Glint Monitor", "ViewGlintMonitorItem", "", 0, 0, 0, 6,
      static_cast<TIMenuClickProc>(&CountClick), static_cast<void*>(&self));
  ASSERT_NE(added, nullptr);
  parent->Release();
  found->Release();
  menu->Release();

  EXPECT_EQ(ViewItemNames(host),
            "ViewPrjMgrItem ViewPrjSourceItem ViewGlintMonitorItem ViewObjInspItem "
            "ViewAlignItem ");
  const TIdeMenuItem* item = host.FindItem("ViewGlintMonitorItem");
  EXPECT_EQ(item->Caption, "Glint Monitor");
  EXPECT_EQ(item->Flags, mfEnabled | mfVisible);
  EXPECT_EQ(added->GetIndex(), 2);

  gClicks = 0;
  EXPECT_TRUE(host.PickMenuItem("ViewGlintMonitorItem"));
  EXPECT_EQ(gClicks, 1);
  EXPECT_EQ(gClickSelf, &self);
  EXPECT_FALSE(host.PickMenuItem("ViewPrjSourceItem"));
  EXPECT_FALSE(host.PickMenuItem("NoSuchItem"));

  added->Release();
  EXPECT_EQ(host.LiveIntfs(), 0);
}

TEST(IdeHost, SwitchesMakeEachStepReturnNil) {
  TIdeHost host;
  host.NoMainMenu = true;
  EXPECT_EQ(host.ToolServices()->GetMainMenu(), nullptr);
  host.NoMainMenu = false;
  TIMainMenuIntf* menu = host.ToolServices()->GetMainMenu();
  host.NoMenuItems = true;
  EXPECT_EQ(menu->GetMenuItems(), nullptr);
  host.NoFindItem = true;
  EXPECT_EQ(menu->FindMenuItem("ViewPrjSourceItem"), nullptr);
  host.NoFindItem = false;
  TIMenuItemIntf* found = menu->FindMenuItem("ViewPrjSourceItem");
  host.NoParent = true;
  EXPECT_EQ(found->GetParent(), nullptr);
  found->Release();
  menu->Release();
  EXPECT_EQ(host.LiveIntfs(), 0);
}

// A held item whose menu entry is gone answers blanks instead of touching
// freed memory.
TEST(IdeHost, ItemObjectOutlivesItsDeletedEntry) {
  TIdeHost host;
  TIMainMenuIntf* menu = host.ToolServices()->GetMainMenu();
  TIMenuItemIntf* found = menu->FindMenuItem("ViewAlignItem");
  TIMenuItemIntf* same = menu->FindMenuItem("ViewAlignItem");
  EXPECT_TRUE(same->DestroyMenuItem());
  EXPECT_EQ(host.FindItem("ViewAlignItem"), nullptr);
  EXPECT_STREQ(found->GetName(), "");
  EXPECT_EQ(found->GetIndex(), -1);
  EXPECT_EQ(found->InsertItem(0, "a", "b", "", 0, 0, 0, 6, nullptr, nullptr), nullptr);
  EXPECT_FALSE(found->DestroyMenuItem());
  same->Release();
  found->Release();
  menu->Release();
}

int gTerminated = 0;
void GLINT_STDCALL CountTerminate() { ++gTerminated; }
bool gProbeFreed = false;

bool GLINT_STDCALL ProbeEntry(TIToolServices* services, TExpertRegisterProc registerProc,
                              TExpertTerminateProc* terminate) {
  services->RaiseException("loaded");
  *terminate = &CountTerminate;
  registerProc(new TProbeExpert(&gProbeFreed));
  return true;
}

TEST(IdeHost, LoadedExpertsAreKeptThenReleasedNewestFirst) {
  gProbeFreed = false;
  gTerminated = 0;
  {
    TIdeHost host;
    std::string shown;
    host.OnError = [&shown](const std::string& text) { shown = text; };
    EXPECT_TRUE(host.LoadExpert(&ProbeEntry));
    ASSERT_EQ(host.Experts().size(), 1u);
    EXPECT_STREQ(host.Experts()[0]->GetName(), "name");
    EXPECT_EQ(shown, "loaded");
    EXPECT_FALSE(gProbeFreed);
  }
  EXPECT_TRUE(gProbeFreed);
  EXPECT_EQ(gTerminated, 1);
}

TEST(IdeHost, RegistrationOutsideAnEntryIsRefused) {
  TIdeHost host;
  bool freed = false;
  auto* expert = new TProbeExpert(&freed);
  EXPECT_FALSE(TIdeHost::RegisterProc(expert));
  EXPECT_TRUE(host.Experts().empty());
  expert->Release();
  EXPECT_TRUE(freed);
}

void GLINT_STDCALL ThrowingClick(void*, TIMenuItemIntf*) { throw std::runtime_error("boom"); }

TEST(IdeHost, FailingClickHandlerIsReportedNotPropagated) {
  TIdeHost host;
  TIdeMenuItem& item = host.InsertItem(*host.FindItem("HelpMenu"), -1, "X", "X");
  item.OnClick = &ThrowingClick;
  EXPECT_TRUE(host.PickMenuItem("X"));
  ASSERT_EQ(host.Errors().size(), 1u);
  EXPECT_EQ(host.Errors()[0], "boom");
  EXPECT_EQ(host.LiveIntfs(), 0);
}

}  // namespace
}  // namespace glint
