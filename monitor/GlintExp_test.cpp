#include "monitor/GlintExp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ide/IdeHost.h"
#include "ide/SlotCall.h"
#include "ui/FailureTest.h"
#include "ui/headless/Headless.h"

namespace glint {
namespace {

void (*gRaise)() = nullptr;
bool GLINT_STDCALL ThrowingRegister(TIExpert*) {
  gRaise();
  return true;
}

class GlintExp : public ::testing::Test {
 protected:
  void TearDown() override {
    delete GlintMonitor;
    Host.ReleaseExperts();
    ToolServices = nullptr;
  }

  THeadless Backend;
  TIdeHost Host;
};

TEST_F(GlintExp, SlotsAnswerByNumber) {
  ToolServices = nullptr;  // no host: the constructor inserts nothing
  auto* expert = new TGlintMonitorExpert();
  EXPECT_STREQ(CallSlot<const char*>(expert, 3), "Glint Monitor");
  for (int slot : {4, 5, 6, 11}) EXPECT_STREQ(CallSlot<const char*>(expert, slot), "") << slot;
  EXPECT_EQ(CallSlot<std::uintptr_t>(expert, 7), 0u);
  EXPECT_EQ(CallSlot<int>(expert, 8), 3);
  EXPECT_EQ(CallSlot<unsigned>(expert, 9), 0u);
  EXPECT_STREQ(CallSlot<const char*>(expert, 10), "Borland.GlintMonitor");
  CallSlot<void>(expert, 12);
  EXPECT_EQ(CallSlot<int>(expert, 2), 3);
  EXPECT_EQ(CallSlot<int>(expert, 1), 0);
}

TEST_F(GlintExp, EntryRegistersTheExpertAndInsertsItsItemAfterProjectSource) {
  Host.MainWindowHandle = 0x1234;
  ASSERT_TRUE(Host.LoadExpert(&InitExpert));
  EXPECT_EQ(Application().Handle(), 0x1234u);
  ASSERT_EQ(Host.Experts().size(), 1u);
  EXPECT_EQ(Host.Experts()[0], GlintMonitorExpert);
  EXPECT_TRUE(Host.Errors().empty());

  TIdeMenuItem* source = Host.FindItem("ViewPrjSourceItem");
  TIdeMenuItem* item = Host.FindItem("ViewGlintMonitorItem");
  ASSERT_TRUE(item);
  EXPECT_EQ(item->Parent, source->Parent);
  EXPECT_EQ(item->IndexInParent(), source->IndexInParent() + 1);
  EXPECT_EQ(item->Caption, "Glint Monitor");
  EXPECT_EQ(item->Hint, "");
  EXPECT_EQ(item->ShortCut, 0);
  EXPECT_EQ(item->Context, 0);
  EXPECT_EQ(item->GroupIndex, 0);
  EXPECT_EQ(item->Flags, 6);
  EXPECT_EQ(item->ClickSelf, GlintMonitorExpert);
  // Only the inserted item is still held; the destructor gives it back.
  EXPECT_EQ(Host.LiveIntfs(), 1);
  Host.ReleaseExperts();
  EXPECT_EQ(Host.LiveIntfs(), 0);
  EXPECT_EQ(GlintMonitorExpert, nullptr);
}

TEST_F(GlintExp, MissingHostObjectSkipsTheMenuButRegisters) {
  for (bool TIdeHost::*missing : {&TIdeHost::NoMainMenu, &TIdeHost::NoMenuItems,
                                  &TIdeHost::NoFindItem, &TIdeHost::NoParent}) {
    TIdeHost host;
    host.*missing = true;
    ASSERT_TRUE(host.LoadExpert(&InitExpert));
    EXPECT_EQ(host.Experts().size(), 1u);
    EXPECT_EQ(host.FindItem("ViewGlintMonitorItem"), nullptr);
    EXPECT_EQ(GlintMonitorExpert->MenuItem(), nullptr);
    // Every host object obtained before the missing one was released.
    EXPECT_EQ(host.LiveIntfs(), 0);
    EXPECT_TRUE(host.Errors().empty());
  }
}

TEST_F(GlintExp, EntryHandsErrorsToTheHostAndStillSucceeds) {
  TExpertTerminateProc terminate = nullptr;
  EXPECT_TRUE(InitExpert(Host.ToolServices(), nullptr, &terminate));
  ASSERT_EQ(Host.Errors().size(), 1u);
  EXPECT_FALSE(Host.Errors()[0].empty());
  EXPECT_TRUE(Host.Experts().empty());
  EXPECT_EQ(Host.LiveIntfs(), 0);
}

TEST_F(GlintExp, FailuresOfAnyTypeGoToTheHostInsteadOfUnwindingIntoIt) {
  for (const TFailureKind& kind : kFailureKinds) {
    SCOPED_TRACE(kind.Name);
    TIdeHost host;
    // The register procedure is the host's; even an odd failure there must not escape the entry.
    gRaise = kind.Raise;
    EXPECT_TRUE(InitExpert(host.ToolServices(), &ThrowingRegister, nullptr));
    EXPECT_EQ(host.Errors(), std::vector<std::string>{kind.Text ? kind.Text : kStartFailureText});
    GlintMonitorExpert->Release();  // the host never took it

    ASSERT_TRUE(host.LoadExpert(&InitExpert));
    {
      struct TFailingBackend : THeadless {
        std::unique_ptr<TControlPeer> CreatePeer(TControl&) override {
          gRaise();
          return nullptr;
        }
      } failing;
      EXPECT_TRUE(host.PickMenuItem("ViewGlintMonitorItem"));
      delete GlintMonitor;  // before its backend goes
    }
    EXPECT_EQ(host.Errors().size(), 2u);
    EXPECT_EQ(host.Errors().back(), kind.Text ? kind.Text : "The Glint Monitor could not be shown");
    host.ReleaseExperts();
  }
}

TEST_F(GlintExp, PickingTheItemShowsOneWindowUntilItIsClosed) {
  ASSERT_TRUE(Host.LoadExpert(&InitExpert));
  ASSERT_TRUE(Host.PickMenuItem("ViewGlintMonitorItem"));
  TGlintMonitor* first = GlintMonitor;
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->Visible());
  EXPECT_EQ(first->Owner(), &Application());
  EXPECT_TRUE(Host.PickMenuItem("ViewGlintMonitorItem"));
  EXPECT_EQ(GlintMonitor, first);

  first->Exit1->Click();
  EXPECT_EQ(GlintMonitor, first);  // freed only once its handler has returned
  Application().ProcessReleased();
  EXPECT_EQ(GlintMonitor, nullptr);
  EXPECT_EQ(MonitorGrid, nullptr);
  EXPECT_TRUE(Host.PickMenuItem("ViewGlintMonitorItem"));
  EXPECT_NE(GlintMonitor, nullptr);
  EXPECT_TRUE(Host.Errors().empty());
}

}  // namespace
}  // namespace glint
