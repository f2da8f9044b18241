#include "ide/IdeHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "ide/SlotCall.h"
#include "tests/support/TestSupport.h"

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

// The reserved slots keep their places between the named ones and answer 0
// without the host implementing them.
TEST(IdeHostEditor, ReservedSlotsAnswerZeroBetweenTheNamedOnes) {
  TIdeHost host;
  host.Files["Unit1.pas"] = "unit Unit1;\r\n";
  TIToolServices* services = host.ToolServices();
  for (int slot : {3,  4,  5,  6,  7,  8,  10, 11, 12, 13, 15, 16, 17, 18, 19, 20,
                   21, 23, 24, 25, 26, 27, 29, 30, 31, 32, 34, 35, 36, 37, 38, 39})
    EXPECT_EQ(CallSlot<int>(services, slot), 0) << "services slot " << slot;
  ASSERT_TRUE(CallSlot<bool>(services, 9, "Unit1.pas"));
  auto* module = CallSlot<TIModuleInterface*>(services, 28, "Unit1.pas");
  ASSERT_NE(module, nullptr);
  for (int slot = 4; slot <= 12; ++slot)
    EXPECT_EQ(CallSlot<int>(module, slot), 0) << "module slot " << slot;
  auto* editor = CallSlot<TIEditorInterface*>(module, 3);
  ASSERT_NE(editor, nullptr);
  for (int slot : {3, 4, 7, 8, 11})
    EXPECT_EQ(CallSlot<int>(editor, slot), 0) << "editor slot " << slot;
  EXPECT_STREQ(CallSlot<const char*>(editor, 5), "Unit1.pas");
  editor->Release();
  module->Release();
  EXPECT_EQ(host.LiveIntfs(), 0);
}

// The editor walk an add-in makes to jump to a line, entirely by slot numbers.
TEST(IdeHostEditor, SlotsSitWhereTheAddInCallsThemAndEveryCallIsRecorded) {
  TIdeHost host;
  host.Files["Unit1.pas"] = "unit Unit1;\r\ninterface\r\nimplementation\r\nend.\r\n";
  int changes = 0, shown = 0;
  host.OnEditorChanged = [&changes](TIdeEditorFile&) { ++changes; };
  host.OnShowSource = [&shown](TIdeEditorFile&) { ++shown; };
  TIToolServices* services = host.ToolServices();
  EXPECT_FALSE(CallSlot<bool>(services, 22, "Unit1.pas"));
  EXPECT_TRUE(CallSlot<bool>(services, 9, "Unit1.pas"));
  EXPECT_TRUE(CallSlot<bool>(services, 22, "unit1.PAS"));
  auto* module = CallSlot<TIModuleInterface*>(services, 28, "Unit1.pas");
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(CallSlot<bool>(module, 13));
  auto* editor = CallSlot<TIEditorInterface*>(module, 3);
  ASSERT_NE(editor, nullptr);
  EXPECT_STREQ(CallSlot<const char*>(editor, 5), "Unit1.pas");
  EXPECT_EQ(CallSlot<int>(editor, 6), 4);
  EXPECT_EQ(CallSlot<int>(editor, 9), 1);
  auto* view = CallSlot<TIEditView*>(editor, 10, 0);
  ASSERT_NE(view, nullptr);

  const TEditPos cursor{5, 3};
  EXPECT_TRUE(CallSlot<bool>(view, 4, epCursorPos, &cursor));
  TEditPos pos;
  EXPECT_TRUE(CallSlot<bool>(view, 3, epCursorPos, &pos));
  EXPECT_EQ(pos.Col, 5);
  EXPECT_EQ(pos.Line, 3);
  TViewSize size;
  EXPECT_TRUE(CallSlot<bool>(view, 5, &size));
  EXPECT_EQ(size.Cols, 80);
  EXPECT_EQ(size.Rows, 20);

  const TCharPos start{0, 2}, after{3, 3};
  EXPECT_TRUE(CallSlot<bool>(editor, 17, &start));
  EXPECT_TRUE(CallSlot<bool>(editor, 16, &after));
  EXPECT_TRUE(CallSlot<bool>(editor, 18, btLine));
  EXPECT_TRUE(CallSlot<bool>(editor, 19, true));
  TCharPos got;
  EXPECT_TRUE(CallSlot<bool>(editor, 13, &got));
  EXPECT_EQ(got.Line, 2);
  EXPECT_TRUE(CallSlot<bool>(editor, 12, &got));
  EXPECT_EQ(got.CharIndex, 3);
  EXPECT_EQ(got.Line, 3);
  EXPECT_EQ(CallSlot<int>(editor, 14), btLine);
  EXPECT_TRUE(CallSlot<bool>(editor, 15));

  view->Release();
  editor->Release();
  module->Release();
  EXPECT_EQ(host.LiveIntfs(), 0);
  EXPECT_EQ(changes, 7);  // opened, ShowSource, SetPos, four block setters
  EXPECT_EQ(shown, 1);
  const std::vector<std::string> expected{"IsFileOpen Unit1.pas",
                                          "OpenFile Unit1.pas",
                                          "IsFileOpen unit1.PAS",
                                          "GetModuleInterface Unit1.pas",
                                          "ShowSource",
                                          "GetEditorInterface",
                                          "FileName",
                                          "LinesInBuffer",
                                          "GetViewCount",
                                          "GetView 0",
                                          "SetPos 0 5 3",
                                          "GetPos 0",
                                          "GetViewSize",
                                          "SetBlockStart 0 2",
                                          "SetBlockAfter 3 3",
                                          "SetBlockType 1",
                                          "SetBlockVisible 1",
                                          "GetBlockStart",
                                          "GetBlockAfter",
                                          "GetBlockType",
                                          "GetBlockVisible",
                                          "Release View",
                                          "Release Editor",
                                          "Release Module"};
  EXPECT_EQ(host.EditorCalls(), expected);
}

TEST(IdeHostEditor, OpenFileTakesHostTextsBeforeTheDiskAndKeepsOpeningOrder) {
  const test_support::TTempDir dir("glint-ide-editor-");
  const std::string onDisk = (dir / "OnDisk.pas").string();
  test_support::WriteFile(onDisk, "a\r\nb\n\nc");
  TIdeHost host;
  int changes = 0;
  host.OnEditorChanged = [&changes](TIdeEditorFile&) { ++changes; };
  host.Files["Mem.pas"] = "x\ny\n";
  const struct {
    std::string Name;
    bool Opens;
    std::vector<std::string> Lines;
  } cases[] = {
      {"Mem.pas", true, {"x", "y"}},
      {onDisk, true, {"a", "b", "", "c"}},
      {"NoSuchFile.pas", false, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(host.OpenFile(c.Name), c.Opens) << c.Name;
    EXPECT_EQ(host.IsFileOpen(c.Name), c.Opens) << c.Name;
    if (c.Opens) {
      EXPECT_EQ(host.Editor(c.Name)->Lines, c.Lines) << c.Name;
    }
  }
  TIdeHost other;
  other.Files[onDisk] = "held";
  EXPECT_TRUE(other.OpenFile(onDisk));
  EXPECT_EQ(other.Editor(onDisk)->Lines, std::vector<std::string>{"held"});

  host.Editor("Mem.pas")->Cursor.Line = 2;
  EXPECT_TRUE(host.OpenFile("Mem.pas"));
  EXPECT_EQ(host.Editor("Mem.pas")->Cursor.Line, 2);
  ASSERT_EQ(host.OpenEditors().size(), 2u);
  EXPECT_EQ(host.OpenEditors()[0]->FileName, "Mem.pas");
  EXPECT_EQ(host.OpenEditors()[1]->FileName, onDisk);
  EXPECT_EQ(changes, 2);
}

// How many of module, editor and view the add-in gets for the file; all it
// got is released.
int ReachedObjects(TIdeHost& host, const char* fileName) {
  int reached = 0;
  TIModuleInterface* module = host.ToolServices()->GetModuleInterface(fileName);
  TIEditorInterface* editor = module ? module->GetEditorInterface() : nullptr;
  TIEditView* view = editor ? editor->GetView(0) : nullptr;
  for (TInterface* intf : {static_cast<TInterface*>(view), static_cast<TInterface*>(editor),
                           static_cast<TInterface*>(module)})
    if (intf) {
      ++reached;
      intf->Release();
    }
  return reached;
}

TEST(IdeHostEditor, SwitchesAndUnopenedFilesMakeEachStepReturnNil) {
  const std::pair<bool TIdeHost::*, int> cases[] = {
      {nullptr, 3}, {&TIdeHost::NoModule, 0}, {&TIdeHost::NoEditor, 1}, {&TIdeHost::NoView, 2}};
  for (const auto& [flag, reached] : cases) {
    TIdeHost host;
    host.Files.emplace("U.pas", "x");
    ASSERT_TRUE(host.OpenFile("U.pas"));
    if (flag) host.*flag = true;
    EXPECT_EQ(ReachedObjects(host, "U.pas"), reached);
    EXPECT_EQ(ReachedObjects(host, "Other.pas"), 0);
    EXPECT_EQ(host.LiveIntfs(), 0);
  }
}

TEST(IdeHostEditor, SetPosKeepsTheLineInTheBufferAndTheColumnPositive) {
  const struct {
    const char* Text;
    int Index;
    TEditPos In, Out;
  } cases[] = {
      {"a\nb\nc", epCursorPos, {4, 2}, {4, 2}},   {"a\nb\nc", epTopPos, {0, 0}, {1, 1}},
      {"a\nb\nc", epCursorPos, {-3, 99}, {1, 3}}, {"a\nb\nc", epTopPos, {7, -5}, {7, 1}},
      {"", epCursorPos, {2, 5}, {2, 1}},
  };
  for (const auto& c : cases) {
    TIdeHost host;
    host.Files["U.pas"] = c.Text;
    host.OpenFile("U.pas");
    TIModuleInterface* module = host.ToolServices()->GetModuleInterface("U.pas");
    TIEditorInterface* editor = module->GetEditorInterface();
    TIEditView* view = editor->GetView(0);
    EXPECT_TRUE(view->SetPos(c.Index, &c.In));
    TEditPos out;
    EXPECT_TRUE(view->GetPos(c.Index, &out));
    EXPECT_EQ(out.Col, c.Out.Col) << c.In.Col << "," << c.In.Line;
    EXPECT_EQ(out.Line, c.Out.Line) << c.In.Col << "," << c.In.Line;
    EXPECT_FALSE(view->SetPos(2, &c.In));
    EXPECT_FALSE(view->GetPos(2, &out));
    EXPECT_EQ(editor->GetView(1), nullptr);
    view->Release();
    editor->Release();
    module->Release();
  }
}

// Objects held on a closed file answer failures instead of touching freed
// memory, and still count until released.
TEST(IdeHostEditor, ObjectsOutliveTheirClosedFile) {
  TIdeHost host;
  host.Files["U.pas"] = "a\nb";
  host.OpenFile("U.pas");
  TIModuleInterface* module = host.ToolServices()->GetModuleInterface("U.pas");
  TIEditorInterface* editor = module->GetEditorInterface();
  TIEditView* view = editor->GetView(0);
  host.CloseFile("U.pas");
  EXPECT_FALSE(host.IsFileOpen("U.pas"));
  EXPECT_EQ(module->GetEditorInterface(), nullptr);
  EXPECT_FALSE(module->ShowSource());
  EXPECT_STREQ(editor->FileName(), "");
  EXPECT_EQ(editor->LinesInBuffer(), 0);
  EXPECT_EQ(editor->GetViewCount(), 0);
  EXPECT_EQ(editor->GetView(0), nullptr);
  TCharPos block;
  EXPECT_FALSE(editor->GetBlockStart(&block));
  EXPECT_FALSE(editor->SetBlockStart(&block));
  EXPECT_FALSE(editor->SetBlockVisible(true));
  TEditPos pos;
  EXPECT_FALSE(view->GetPos(epCursorPos, &pos));
  EXPECT_FALSE(view->SetPos(epCursorPos, &pos));
  TViewSize size;
  EXPECT_FALSE(view->GetViewSize(&size));
  EXPECT_EQ(host.LiveIntfs(), 3);
  view->Release();
  editor->Release();
  module->Release();
  EXPECT_EQ(host.LiveIntfs(), 0);
}

}  // namespace
}  // namespace glint
