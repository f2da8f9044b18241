// ide/IdeHost.h: TIdeHost, a stand-in for the IDE side of the add-in
// interfaces: a services object, a main menu tree, the registration
// procedure and the error report.
//
// Tests use it headless: call an add-in entry through LoadExpert, then look at
// the menu tree, pick items (PickMenuItem fires the click handler) and read
// the recorded errors. GlintHost.exe puts a real window and menu bar on top of
// the same object. The switches make the host return nil where an IDE might,
// so an add-in's handling of a missing menu or editor can be tested.
// Host objects handed to the add-in (main menu, menu items, modules, editors,
// views) count in LiveIntfs() until the add-in releases them. Nothing here
// throws into the add-in; an exception from a click handler is recorded as an
// error text.
//
// The editor: files open by name (from Files, else from the disk) with one
// view each. Every editor-service call the add-in makes is recorded in
// EditorCalls() as one line: "IsFileOpen <name>", "OpenFile <name>",
// "GetModuleInterface <name>", "ShowSource", "GetEditorInterface",
// "FileName", "LinesInBuffer", "GetViewCount", "GetView <index>",
// "GetPos <index>", "SetPos <index> <col> <line>", "GetViewSize",
// "GetBlockStart", "GetBlockAfter", "GetBlockType", "GetBlockVisible",
// "SetBlockStart <charIndex> <line>", "SetBlockAfter <charIndex> <line>",
// "SetBlockType <type>", "SetBlockVisible <0|1>" (a nil position leaves out
// its numbers), and "Release Module", "Release Editor", "Release View" when
// the add-in lets go of its last reference to one.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ide/ExptIntf.h"
#include "ide/ToolIntf.h"

namespace glint {

// One item of the host's menu tree; the menu bar is the root.
struct TIdeMenuItem {
  int Id = 0;  // unique, never reused: a real menu's command identifier
  std::string Name, Caption, Hint;
  int ShortCut = 0, Context = 0, GroupIndex = 0, Flags = mfEnabled | mfVisible;
  TIMenuClickProc OnClick = nullptr;
  void* ClickSelf = nullptr;
  TIdeMenuItem* Parent = nullptr;
  std::vector<std::unique_ptr<TIdeMenuItem>> Items;

  int IndexInParent() const;
};

// A file open in the host's editor, with the state of its one view.
struct TIdeEditorFile {
  std::string FileName;
  std::vector<std::string> Lines;
  TEditPos Cursor;
  TEditPos Top;
  int ViewRows = 20, ViewCols = 80;
  TCharPos BlockStart, BlockAfter;
  int BlockType = btInclusive;
  bool BlockVisible = false;
};

class TIdeHost {
 public:
  // Builds the default menu: "File", "View" (with "ViewPrjSourceItem",
  // captioned "Project Source", followed by other items) and "Help".
  TIdeHost();
  // Releases the experts still held.
  ~TIdeHost();
  TIdeHost(const TIdeHost&) = delete;
  TIdeHost& operator=(const TIdeHost&) = delete;

  // The object passed to every entry; it lives as long as the host.
  TIToolServices* ToolServices();

  // Calls an add-in library's entry as the IDE does and returns its result.
  // Experts it registers are kept (see Experts) until ReleaseExperts.
  bool LoadExpert(TExpertInitProc entry);
  // The registration procedure passed to entries: records the expert with
  // the host whose LoadExpert is running; false (and nothing kept) otherwise.
  static bool GLINT_STDCALL RegisterProc(TIExpert* expert);
  const std::vector<TIExpert*>& Experts() const { return FExperts; }
  // Releases the experts, newest first, as the IDE does on shut-down.
  void ReleaseExperts();
  // Termination procedures the entries stored (called by ReleaseExperts).
  const std::vector<TExpertTerminateProc>& TerminateProcs() const { return FTerminateProcs; }

  // The error texts reported through slot 40, oldest first.
  const std::vector<std::string>& Errors() const { return FErrors; }
  // Records an error text and passes it to OnError.
  void ReportError(std::string text);

  TIdeMenuItem& MenuBar() { return *FMenuBar; }
  TIdeMenuItem* FindItem(std::string_view name);
  TIdeMenuItem* FindItemById(int id);
  // Fires the click handler of the named item; false when there is no such
  // item or it has no handler.
  bool PickMenuItem(std::string_view name);
  bool Pick(TIdeMenuItem& item);
  // Inserts a child (index clipped; -1 appends) and tells OnMenuChanged.
  TIdeMenuItem& InsertItem(TIdeMenuItem& parent, int index, std::string name, std::string caption);
  // Removes an item and its children and tells OnMenuChanged.
  void DeleteItem(TIdeMenuItem& item);
  // Tells OnMenuChanged that an item's caption, flags or the like changed.
  void MenuChanged();

  // Main window handle returned by slot 14.
  std::uintptr_t MainWindowHandle = 0;
  // Switches that make slot 33 (main menu), main menu slot 3 (item list),
  // main menu slot 4 (find) and item slot 8 (parent) return nil.
  bool NoMainMenu = false, NoMenuItems = false, NoFindItem = false, NoParent = false;
  // Called with every reported error text (GlintHost shows a message box).
  std::function<void(const std::string&)> OnError;
  // Called after every change to the menu tree.
  std::function<void()> OnMenuChanged;

  // Texts the editor opens by file name before it looks on the disk.
  std::map<std::string, std::string> Files;
  // Opens a file (lines split at CR LF or LF) and tells OnEditorChanged;
  // true when it is already open (then nothing changes), false when it is
  // neither in Files nor readable. File names match without regard to ASCII
  // case, as on the IDE's file system.
  bool OpenFile(const std::string& fileName);
  bool IsFileOpen(std::string_view fileName) { return Editor(fileName) != nullptr; }
  // Closes an open file; objects the add-in holds on it then fail their calls.
  void CloseFile(std::string_view fileName);
  // The open file of that name, or nullptr.
  TIdeEditorFile* Editor(std::string_view fileName);
  // The open files, in the order they were opened.
  const std::vector<std::unique_ptr<TIdeEditorFile>>& OpenEditors() const { return FEditors; }
  // Tells OnEditorChanged that an open file's cursor, top or block changed.
  void EditorChanged(TIdeEditorFile& file);
  // The add-in's editor-service calls, oldest first (formats above).
  const std::vector<std::string>& EditorCalls() const { return FEditorCalls; }
  void ClearEditorCalls() { FEditorCalls.clear(); }
  // Switches that make services slot 28 (module), module slot 3 (editor) and
  // editor slot 10 (view) return nil.
  bool NoModule = false, NoEditor = false, NoView = false;
  // Called after a file is opened, after a change to its cursor, top or
  // block, and after ShowSource (GlintHost repaints the file's window).
  std::function<void(TIdeEditorFile&)> OnEditorChanged;
  // Called by ShowSource before OnEditorChanged (GlintHost brings the file's
  // window to the front).
  std::function<void(TIdeEditorFile&)> OnShowSource;

  // Host objects handed out and not yet released.
  int LiveIntfs() const { return FLiveIntfs; }

  // Makes the interface objects for the host's own use (each carries one
  // reference for the caller).
  TIMainMenuIntf* NewMainMenuIntf();
  TIMenuItemIntf* NewMenuItemIntf(TIdeMenuItem& item);

 private:
  class TServices;
  class TMainMenu;
  class TMenuItem;
  class TModule;
  class TEditor;
  class TView;
  friend class TMainMenu;
  friend class TMenuItem;
  friend class TModule;
  friend class TEditor;
  friend class TView;

  void RecordEditorCall(std::string call) { FEditorCalls.push_back(std::move(call)); }

  std::unique_ptr<TServices> FServices;
  std::unique_ptr<TIdeMenuItem> FMenuBar;
  std::vector<TIExpert*> FExperts;
  std::vector<TExpertTerminateProc> FTerminateProcs;
  std::vector<std::string> FErrors;
  std::vector<std::unique_ptr<TIdeEditorFile>> FEditors;
  std::vector<std::string> FEditorCalls;
  int FNextId = 100;
  int FLiveIntfs = 0;
};

}  // namespace glint
