#include "ide/IdeHost.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <iterator>

#include "rtl/Ascii.h"

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

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.push_back(text.substr(start, stop - start));
    start = end + 1;
  }
  return lines;
}

// A recorded call: its name and numbers, separated by spaces.
std::string CallText(std::string call, std::initializer_list<long> numbers) {
  for (const long number : numbers) {
    call += ' ';
    call += std::to_string(number);
  }
  return call;
}

std::string CallText(std::string call, const TCharPos* pos) {
  return pos ? CallText(std::move(call), {pos->CharIndex, pos->Line}) : call;
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

  bool GLINT_STDCALL OpenFile(const char* fileName) override {
    FHost.RecordEditorCall(std::string("OpenFile ") + (fileName ? fileName : ""));
    return fileName && FHost.OpenFile(fileName);
  }
  std::uintptr_t GLINT_STDCALL GetParentHandle() override { return FHost.MainWindowHandle; }
  bool GLINT_STDCALL IsFileOpen(const char* fileName) override {
    FHost.RecordEditorCall(std::string("IsFileOpen ") + (fileName ? fileName : ""));
    return fileName && FHost.IsFileOpen(fileName);
  }
  TIModuleInterface* GLINT_STDCALL GetModuleInterface(const char* fileName) override;
  TIMainMenuIntf* GLINT_STDCALL GetMainMenu() override {
    return FHost.NoMainMenu ? nullptr : FHost.NewMainMenuIntf();
  }
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

// The editor objects refer to their file by name, so a file closed while the
// add-in still holds one makes the calls fail instead of reading freed
// memory. Each records its calls (see EditorCalls) before answering.
class TIdeHost::TModule final : public TInterfaced<TIModuleInterface, TModule> {
 public:
  TModule(TIdeHost& host, std::string fileName) : FHost(host), FName(std::move(fileName)) {
    ++FHost.FLiveIntfs;
  }
  ~TModule() {
    FHost.RecordEditorCall("Release Module");
    --FHost.FLiveIntfs;
  }

  TIEditorInterface* GLINT_STDCALL GetEditorInterface() override;
  bool GLINT_STDCALL ShowSource() override {
    FHost.RecordEditorCall("ShowSource");
    TIdeEditorFile* file = FHost.Editor(FName);
    if (!file) return false;
    if (FHost.OnShowSource) FHost.OnShowSource(*file);
    FHost.EditorChanged(*file);
    return true;
  }

 private:
  TIdeHost& FHost;
  std::string FName;
};

class TIdeHost::TEditor final : public TInterfaced<TIEditorInterface, TEditor> {
 public:
  TEditor(TIdeHost& host, std::string fileName) : FHost(host), FName(std::move(fileName)) {
    ++FHost.FLiveIntfs;
  }
  ~TEditor() {
    FHost.RecordEditorCall("Release Editor");
    --FHost.FLiveIntfs;
  }

  const char* GLINT_STDCALL FileName() override {
    FHost.RecordEditorCall("FileName");
    TIdeEditorFile* file = File();
    return file ? file->FileName.c_str() : "";
  }
  int GLINT_STDCALL LinesInBuffer() override {
    FHost.RecordEditorCall("LinesInBuffer");
    TIdeEditorFile* file = File();
    return file ? static_cast<int>(file->Lines.size()) : 0;
  }
  int GLINT_STDCALL GetViewCount() override {
    FHost.RecordEditorCall("GetViewCount");
    return File() ? 1 : 0;
  }
  TIEditView* GLINT_STDCALL GetView(int index) override;
  bool GLINT_STDCALL GetBlockAfter(TCharPos* pos) override {
    FHost.RecordEditorCall("GetBlockAfter");
    return GetBlockPos(&TIdeEditorFile::BlockAfter, pos);
  }
  bool GLINT_STDCALL GetBlockStart(TCharPos* pos) override {
    FHost.RecordEditorCall("GetBlockStart");
    return GetBlockPos(&TIdeEditorFile::BlockStart, pos);
  }
  int GLINT_STDCALL GetBlockType() override {
    FHost.RecordEditorCall("GetBlockType");
    TIdeEditorFile* file = File();
    return file ? file->BlockType : btUnknown;
  }
  bool GLINT_STDCALL GetBlockVisible() override {
    FHost.RecordEditorCall("GetBlockVisible");
    TIdeEditorFile* file = File();
    return file && file->BlockVisible;
  }
  bool GLINT_STDCALL SetBlockAfter(const TCharPos* pos) override {
    FHost.RecordEditorCall(CallText("SetBlockAfter", pos));
    return SetBlockPos(&TIdeEditorFile::BlockAfter, pos);
  }
  bool GLINT_STDCALL SetBlockStart(const TCharPos* pos) override {
    FHost.RecordEditorCall(CallText("SetBlockStart", pos));
    return SetBlockPos(&TIdeEditorFile::BlockStart, pos);
  }
  bool GLINT_STDCALL SetBlockType(int blockType) override {
    FHost.RecordEditorCall(CallText("SetBlockType", {blockType}));
    TIdeEditorFile* file = File();
    if (!file || blockType < btInclusive || blockType > btNonInclusive) return false;
    file->BlockType = blockType;
    FHost.EditorChanged(*file);
    return true;
  }
  bool GLINT_STDCALL SetBlockVisible(bool visible) override {
    FHost.RecordEditorCall(visible ? "SetBlockVisible 1" : "SetBlockVisible 0");
    TIdeEditorFile* file = File();
    if (!file) return false;
    file->BlockVisible = visible;
    FHost.EditorChanged(*file);
    return true;
  }

 private:
  TIdeEditorFile* File() { return FHost.Editor(FName); }
  bool GetBlockPos(TCharPos TIdeEditorFile::*field, TCharPos* pos) {
    TIdeEditorFile* file = File();
    if (!file || !pos) return false;
    *pos = file->*field;
    return true;
  }
  bool SetBlockPos(TCharPos TIdeEditorFile::*field, const TCharPos* pos) {
    TIdeEditorFile* file = File();
    if (!file || !pos) return false;
    file->*field = *pos;
    FHost.EditorChanged(*file);
    return true;
  }

  TIdeHost& FHost;
  std::string FName;
};

class TIdeHost::TView final : public TInterfaced<TIEditView, TView> {
 public:
  TView(TIdeHost& host, std::string fileName) : FHost(host), FName(std::move(fileName)) {
    ++FHost.FLiveIntfs;
  }
  ~TView() {
    FHost.RecordEditorCall("Release View");
    --FHost.FLiveIntfs;
  }

  bool GLINT_STDCALL GetPos(int index, TEditPos* pos) override {
    FHost.RecordEditorCall(CallText("GetPos", {index}));
    TEditPos* field = Field(index);
    if (!field || !pos) return false;
    *pos = *field;
    return true;
  }
  bool GLINT_STDCALL SetPos(int index, const TEditPos* pos) override {
    FHost.RecordEditorCall(pos ? CallText("SetPos", {index, pos->Col, pos->Line})
                               : CallText("SetPos", {index}));
    TEditPos* field = Field(index);
    if (!field || !pos) return false;
    TIdeEditorFile& file = *FHost.Editor(FName);
    const int lastLine = std::max(1, static_cast<int>(file.Lines.size()));
    field->Col = std::max<std::int16_t>(1, pos->Col);
    field->Line = std::clamp<std::int32_t>(pos->Line, 1, lastLine);
    FHost.EditorChanged(file);
    return true;
  }
  bool GLINT_STDCALL GetViewSize(TViewSize* size) override {
    FHost.RecordEditorCall("GetViewSize");
    TIdeEditorFile* file = FHost.Editor(FName);
    if (!file || !size) return false;
    size->Cols = file->ViewCols;
    size->Rows = file->ViewRows;
    return true;
  }

 private:
  TEditPos* Field(int index) {
    TIdeEditorFile* file = FHost.Editor(FName);
    if (!file) return nullptr;
    if (index == epCursorPos) return &file->Cursor;
    if (index == epTopPos) return &file->Top;
    return nullptr;
  }

  TIdeHost& FHost;
  std::string FName;
};

TIModuleInterface* GLINT_STDCALL TIdeHost::TServices::GetModuleInterface(const char* fileName) {
  FHost.RecordEditorCall(std::string("GetModuleInterface ") + (fileName ? fileName : ""));
  TIdeEditorFile* file = fileName ? FHost.Editor(fileName) : nullptr;
  if (FHost.NoModule || !file) return nullptr;
  return new TModule(FHost, file->FileName);
}

TIEditorInterface* GLINT_STDCALL TIdeHost::TModule::GetEditorInterface() {
  FHost.RecordEditorCall("GetEditorInterface");
  if (FHost.NoEditor || !FHost.Editor(FName)) return nullptr;
  return new TEditor(FHost, FName);
}

TIEditView* GLINT_STDCALL TIdeHost::TEditor::GetView(int index) {
  FHost.RecordEditorCall(CallText("GetView", {index}));
  if (FHost.NoView || index != 0 || !File()) return nullptr;
  return new TView(FHost, FName);
}

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

bool TIdeHost::OpenFile(const std::string& fileName) {
  if (Editor(fileName)) return true;
  auto file = std::make_unique<TIdeEditorFile>();
  const auto known = std::find_if(Files.begin(), Files.end(), [&fileName](const auto& entry) {
    return SameTextAscii(entry.first, fileName);
  });
  if (known != Files.end()) {
    file->Lines = SplitLines(known->second);
  } else {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return false;
    file->Lines = SplitLines(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  }
  file->FileName = fileName;
  FEditors.push_back(std::move(file));
  EditorChanged(*FEditors.back());
  return true;
}

void TIdeHost::CloseFile(std::string_view fileName) {
  std::erase_if(FEditors,
                [fileName](const auto& file) { return SameTextAscii(file->FileName, fileName); });
}

TIdeEditorFile* TIdeHost::Editor(std::string_view fileName) {
  for (auto& file : FEditors)
    if (SameTextAscii(file->FileName, fileName)) return file.get();
  return nullptr;
}

void TIdeHost::EditorChanged(TIdeEditorFile& file) {
  if (OnEditorChanged) OnEditorChanged(file);
}

TIMainMenuIntf* TIdeHost::NewMainMenuIntf() { return new TMainMenu(*this); }

TIMenuItemIntf* TIdeHost::NewMenuItemIntf(TIdeMenuItem& item) {
  return new TMenuItem(*this, item.Id);
}

}  // namespace glint
