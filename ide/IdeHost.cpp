#include "ide/IdeHost.h"

#include <algorithm>
#include <exception>

namespace glint {

namespace {

// The host whose LoadExpert is running; the registration procedure has no
// argument to say which host it belongs to.
TIdeHost* gLoadingHost = nullptr;

TIdeMenuItem* FindIn(TIdeMenuItem& item, std::string_view name) {
  if (item.Name == name) return &item;
  for (auto& child : item.Items)
    if (TIdeMenuItem* found = FindIn(*child, name)) return found;
  return nullptr;
}

TIdeMenuItem* FindIdIn(TIdeMenuItem& item, int id) {
  if (item.Id == id) return &item;
  for (auto& child : item.Items)
    if (TIdeMenuItem* found = FindIdIn(*child, id)) return found;
  return nullptr;
}

}  // namespace

int TIdeMenuItem::IndexInParent() const {
  if (!Parent) return -1;
  for (std::size_t i = 0; i < Parent->Items.size(); ++i)
    if (Parent->Items[i].get() == this) return static_cast<int>(i);
  return -1;
}

// The services object lives as long as the host: its count is kept for the
// add-in's sake but never frees it.
class TIdeHost::TServices final : public TIToolServices {
 public:
  explicit TServices(TIdeHost& host) : FHost(host) {}

  int GLINT_STDCALL AddRef() override { return ++FRefCount; }
  int GLINT_STDCALL Release() override { return FRefCount > 1 ? --FRefCount : 1; }
  int GLINT_STDCALL GetVersion() override { return kInterfaceVersion; }

  int GLINT_STDCALL Reserved03() override { return 0; }
  int GLINT_STDCALL Reserved04() override { return 0; }
  int GLINT_STDCALL Reserved05() override { return 0; }
  int GLINT_STDCALL Reserved06() override { return 0; }
  int GLINT_STDCALL Reserved07() override { return 0; }
  int GLINT_STDCALL Reserved08() override { return 0; }
  bool GLINT_STDCALL OpenFile(const char*) override { return false; }
  int GLINT_STDCALL Reserved10() override { return 0; }
  int GLINT_STDCALL Reserved11() override { return 0; }
  int GLINT_STDCALL Reserved12() override { return 0; }
  int GLINT_STDCALL Reserved13() override { return 0; }
  std::uintptr_t GLINT_STDCALL GetParentHandle() override { return FHost.MainWindowHandle; }
  int GLINT_STDCALL Reserved15() override { return 0; }
  int GLINT_STDCALL Reserved16() override { return 0; }
  int GLINT_STDCALL Reserved17() override { return 0; }
  int GLINT_STDCALL Reserved18() override { return 0; }
  int GLINT_STDCALL Reserved19() override { return 0; }
  int GLINT_STDCALL Reserved20() override { return 0; }
  int GLINT_STDCALL Reserved21() override { return 0; }
  bool GLINT_STDCALL IsFileOpen(const char*) override { return false; }
  int GLINT_STDCALL Reserved23() override { return 0; }
  int GLINT_STDCALL Reserved24() override { return 0; }
  int GLINT_STDCALL Reserved25() override { return 0; }
  int GLINT_STDCALL Reserved26() override { return 0; }
  int GLINT_STDCALL Reserved27() override { return 0; }
  TIModuleInterface* GLINT_STDCALL GetModuleInterface(const char*) override { return nullptr; }
  int GLINT_STDCALL Reserved29() override { return 0; }
  int GLINT_STDCALL Reserved30() override { return 0; }
  int GLINT_STDCALL Reserved31() override { return 0; }
  int GLINT_STDCALL Reserved32() override { return 0; }
  TIMainMenuIntf* GLINT_STDCALL GetMainMenu() override {
    return FHost.NoMainMenu ? nullptr : FHost.NewMainMenuIntf();
  }
  int GLINT_STDCALL Reserved34() override { return 0; }
  int GLINT_STDCALL Reserved35() override { return 0; }
  int GLINT_STDCALL Reserved36() override { return 0; }
  int GLINT_STDCALL Reserved37() override { return 0; }
  int GLINT_STDCALL Reserved38() override { return 0; }
  int GLINT_STDCALL Reserved39() override { return 0; }
  void GLINT_STDCALL RaiseException(const char* message) override {
    FHost.ReportError(message ? message : "");
  }

 private:
  TIdeHost& FHost;
  int FRefCount = 1;
};

class TIdeHost::TMainMenu final : public TInterfaced<TIMainMenuIntf, TMainMenu> {
 public:
  explicit TMainMenu(TIdeHost& host) : FHost(host) { ++FHost.FLiveIntfs; }
  ~TMainMenu() { --FHost.FLiveIntfs; }

  TIMenuItemIntf* GLINT_STDCALL GetMenuItems() override {
    return FHost.NoMenuItems ? nullptr : FHost.NewMenuItemIntf(*FHost.FMenuBar);
  }
  TIMenuItemIntf* GLINT_STDCALL FindMenuItem(const char* name) override {
    if (FHost.NoFindItem || !name) return nullptr;
    TIdeMenuItem* item = FHost.FindItem(name);
    return item ? FHost.NewMenuItemIntf(*item) : nullptr;
  }

 private:
  TIdeHost& FHost;
};

// Refers to its item by identifier, so an item deleted while the add-in
// still holds the object makes the calls fail instead of reading freed
// memory.
class TIdeHost::TMenuItem final : public TInterfaced<TIMenuItemIntf, TMenuItem> {
 public:
  TMenuItem(TIdeHost& host, int id) : FHost(host), FId(id) { ++FHost.FLiveIntfs; }
  ~TMenuItem() { --FHost.FLiveIntfs; }

  bool GLINT_STDCALL DestroyMenuItem() override {
    TIdeMenuItem* item = Item();
    if (!item || !item->Parent) return false;
    FHost.DeleteItem(*item);
    return true;
  }
  int GLINT_STDCALL GetIndex() override {
    TIdeMenuItem* item = Item();
    return item ? item->IndexInParent() : -1;
  }
  int GLINT_STDCALL GetItemCount() override {
    TIdeMenuItem* item = Item();
    return item ? static_cast<int>(item->Items.size()) : 0;
  }
  TIMenuItemIntf* GLINT_STDCALL GetItem(int index) override {
    TIdeMenuItem* item = Item();
    if (!item || index < 0 || index >= static_cast<int>(item->Items.size())) return nullptr;
    return FHost.NewMenuItemIntf(*item->Items[static_cast<std::size_t>(index)]);
  }
  const char* GLINT_STDCALL GetName() override { return Text(&TIdeMenuItem::Name); }
  TIMenuItemIntf* GLINT_STDCALL GetParent() override {
    TIdeMenuItem* item = Item();
    if (FHost.NoParent || !item || !item->Parent) return nullptr;
    return FHost.NewMenuItemIntf(*item->Parent);
  }
  const char* GLINT_STDCALL GetCaption() override { return Text(&TIdeMenuItem::Caption); }
  bool GLINT_STDCALL SetCaption(const char* caption) override {
    return SetText(&TIdeMenuItem::Caption, caption);
  }
  int GLINT_STDCALL GetShortCut() override { return Number(&TIdeMenuItem::ShortCut); }
  bool GLINT_STDCALL SetShortCut(int value) override {
    return SetNumber(&TIdeMenuItem::ShortCut, value);
  }
  int GLINT_STDCALL GetFlags() override { return Number(&TIdeMenuItem::Flags); }
  bool GLINT_STDCALL SetFlags(int mask, int flags) override {
    TIdeMenuItem* item = Item();
    if (!item) return false;
    item->Flags = (item->Flags & ~mask) | (flags & mask);
    FHost.MenuChanged();
    return true;
  }
  int GLINT_STDCALL GetGroupIndex() override { return Number(&TIdeMenuItem::GroupIndex); }
  bool GLINT_STDCALL SetGroupIndex(int value) override {
    return SetNumber(&TIdeMenuItem::GroupIndex, value);
  }
  const char* GLINT_STDCALL GetHint() override { return Text(&TIdeMenuItem::Hint); }
  bool GLINT_STDCALL SetHint(const char* hint) override {
    return SetText(&TIdeMenuItem::Hint, hint);
  }
  int GLINT_STDCALL GetContext() override { return Number(&TIdeMenuItem::Context); }
  bool GLINT_STDCALL SetContext(int value) override {
    return SetNumber(&TIdeMenuItem::Context, value);
  }
  bool GLINT_STDCALL GetOnClick(TIMenuClickProc* proc, void** self) override {
    TIdeMenuItem* item = Item();
    if (!item || !proc || !self) return false;
    *proc = item->OnClick;
    *self = item->ClickSelf;
    return true;
  }
  bool GLINT_STDCALL SetOnClick(TIMenuClickProc proc, void* self) override {
    TIdeMenuItem* item = Item();
    if (!item) return false;
    item->OnClick = proc;
    item->ClickSelf = self;
    return true;
  }
  TIMenuItemIntf* GLINT_STDCALL InsertItem(int index, const char* caption, const char* name,
                                           const char* hint, int shortCut, int context,
                                           int groupIndex, int flags, TIMenuClickProc onClick,
                                           void* clickSelf) override {
    TIdeMenuItem* item = Item();
    if (!item) return nullptr;
    TIdeMenuItem& added = FHost.InsertItem(*item, index, name ? name : "", caption ? caption : "");
    added.Hint = hint ? hint : "";
    added.ShortCut = shortCut;
    added.Context = context;
    added.GroupIndex = groupIndex;
    added.Flags = flags;
    added.OnClick = onClick;
    added.ClickSelf = clickSelf;
    FHost.MenuChanged();
    return FHost.NewMenuItemIntf(added);
  }

 private:
  TIdeMenuItem* Item() { return FHost.FindItemById(FId); }
  const char* Text(std::string TIdeMenuItem::*field) {
    TIdeMenuItem* item = Item();
    return item ? (item->*field).c_str() : "";
  }
  bool SetText(std::string TIdeMenuItem::*field, const char* value) {
    TIdeMenuItem* item = Item();
    if (!item) return false;
    item->*field = value ? value : "";
    FHost.MenuChanged();
    return true;
  }
  int Number(int TIdeMenuItem::*field) {
    TIdeMenuItem* item = Item();
    return item ? item->*field : 0;
  }
  bool SetNumber(int TIdeMenuItem::*field, int value) {
    TIdeMenuItem* item = Item();
    if (!item) return false;
    item->*field = value;
    FHost.MenuChanged();
    return true;
  }

  TIdeHost& FHost;
  int FId;
};

TIdeHost::TIdeHost() : FServices(std::make_unique<TServices>(*this)) {
  FMenuBar = std::make_unique<TIdeMenuItem>();
  FMenuBar->Id = FNextId++;
  FMenuBar->Name = "MainMenu1";
  struct TEntry {
    const char *Name, *Caption;
  };
  const auto addMenu = [this](const char* name, const char* caption,
                              std::initializer_list<TEntry> entries) {
    TIdeMenuItem& menu = InsertItem(*FMenuBar, -1, name, caption);
    for (const TEntry& e : entries) InsertItem(menu, -1, e.Name, e.Caption);
  };
  addMenu("FileMenu", "&File",
          {{"FileNewItem", "&New..."}, {"FileOpenItem", "&Open..."}, {"FileExitItem", "E&xit"}});
  addMenu("ViewsMenu", "&View",
          {{"ViewPrjMgrItem", "Project &Manager"},
           {"ViewPrjSourceItem", "Project &Source"},
           {"ViewObjInspItem", "&Object Inspector"},
           {"ViewAlignItem", "&Alignment Palette"}});
  addMenu("HelpMenu", "&Help", {{"HelpAboutItem", "&About..."}});
}

TIdeHost::~TIdeHost() { ReleaseExperts(); }

TIToolServices* TIdeHost::ToolServices() { return FServices.get(); }

bool TIdeHost::LoadExpert(TExpertInitProc entry) {
  if (!entry) return false;
  TIdeHost* const previous = gLoadingHost;
  gLoadingHost = this;
  TExpertTerminateProc terminate = nullptr;
  bool result = false;
  try {
    result = entry(FServices.get(), &TIdeHost::RegisterProc, &terminate);
  } catch (const std::exception& e) {
    // Only reachable when the entry is linked into this program; an entry
    // must catch its own failures.
    ReportError(e.what());
  }
  gLoadingHost = previous;
  if (terminate) FTerminateProcs.push_back(terminate);
  return result;
}

bool GLINT_STDCALL TIdeHost::RegisterProc(TIExpert* expert) {
  if (!gLoadingHost || !expert) return false;
  gLoadingHost->FExperts.push_back(expert);
  return true;
}

void TIdeHost::ReleaseExperts() {
  while (!FExperts.empty()) {
    TIExpert* expert = FExperts.back();
    FExperts.pop_back();
    expert->Release();
  }
  while (!FTerminateProcs.empty()) {
    TExpertTerminateProc proc = FTerminateProcs.back();
    FTerminateProcs.pop_back();
    proc();
  }
}

void TIdeHost::ReportError(std::string text) {
  FErrors.push_back(text);
  if (OnError) OnError(FErrors.back());
}

TIdeMenuItem* TIdeHost::FindItem(std::string_view name) {
  return name.empty() ? nullptr : FindIn(*FMenuBar, name);
}

TIdeMenuItem* TIdeHost::FindItemById(int id) { return FindIdIn(*FMenuBar, id); }

bool TIdeHost::PickMenuItem(std::string_view name) {
  TIdeMenuItem* item = FindItem(name);
  return item && Pick(*item);
}

bool TIdeHost::Pick(TIdeMenuItem& item) {
  if (!item.OnClick) return false;
  TIMenuItemIntf* sender = NewMenuItemIntf(item);
  try {
    item.OnClick(item.ClickSelf, sender);
  } catch (const std::exception& e) {
    ReportError(e.what());
  }
  sender->Release();
  return true;
}

TIdeMenuItem& TIdeHost::InsertItem(TIdeMenuItem& parent, int index, std::string name,
                                   std::string caption) {
  auto item = std::make_unique<TIdeMenuItem>();
  item->Id = FNextId++;
  item->Name = std::move(name);
  item->Caption = std::move(caption);
  item->Parent = &parent;
  const int count = static_cast<int>(parent.Items.size());
  const int at = index < 0 || index > count ? count : index;
  TIdeMenuItem& added = *item;
  parent.Items.insert(parent.Items.begin() + at, std::move(item));
  MenuChanged();
  return added;
}

void TIdeHost::DeleteItem(TIdeMenuItem& item) {
  TIdeMenuItem* parent = item.Parent;
  if (!parent) return;
  auto& items = parent->Items;
  items.erase(std::remove_if(items.begin(), items.end(),
                             [&item](const auto& p) { return p.get() == &item; }),
              items.end());
  MenuChanged();
}

void TIdeHost::MenuChanged() {
  if (OnMenuChanged) OnMenuChanged();
}

TIMainMenuIntf* TIdeHost::NewMainMenuIntf() { return new TMainMenu(*this); }

TIMenuItemIntf* TIdeHost::NewMenuItemIntf(TIdeMenuItem& item) {
  return new TMenuItem(*this, item.Id);
}

}  // namespace glint
