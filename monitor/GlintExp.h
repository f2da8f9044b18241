// monitor/GlintExp.h: the Glint Monitor add-in: its entry, its add-in
// object and the monitor window that shows memory-leak reports.
//
// The entry registers one TGlintMonitorExpert, which puts "Glint Monitor"
// into the IDE's View menu; picking it shows the one TGlintMonitor. A
// monitored program sends the report text with WM_COPYDATA; the window
// parses it into a TReport and shows that: the header edits, the grid
// (whose rows read their cells from the report), RowDetails and UnitMap.
// Ownership: the form belongs to Application() and owns its controls and
// lists; host objects are released as soon as they are no longer needed.
// Failures are exceptions with a readable message: the window procedure
// shows them in an error box, the entry and the menu click hand them to the
// host's error report. A rejected report leaves the window as it was.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "controls/GlintGrd.h"
#include "controls/GlintVer.h"
#include "controls/SASG.h"
#include "controls/Splitter.h"
#include "controls/widget.h"
#include "ide/ExptIntf.h"
#include "ide/ToolIntf.h"
#include "monitor/Report.h"
#include "monitor/ReportGrid.h"
#include "rtl/StringList.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"

namespace glint {

// Where the settings live, below HKEY_CURRENT_USER.
constexpr const char* kSettingsKey = "Software\\Brackenware";
constexpr const char* kSettingsSection = "Glint Monitor Expert";
constexpr const char* kExpertVersion = kGlintVersion;

// Detail lines of the data rows in report order: entry k belongs to the
// report's k-th row, and has no lines when the row has none. Each grid row
// shows one report row, so the lines stay with their row when the grid is
// sorted. Valid while the report it was taken from is shown.
class TRowDetails {
 public:
  explicit TRowDetails(const TReport& report) : FReport(&report) {}
  std::size_t size() const { return FReport->RowCount(); }
  bool empty() const { return size() == 0; }
  TReportLines operator[](std::size_t k) const {
    return FReport->Details(static_cast<std::uint32_t>(k));
  }

 private:
  const TReport* FReport;
};

class TGlintMonitor : public TForm {
 public:
  explicit TGlintMonitor(TComponent* owner);
  ~TGlintMonitor() override;

  std::string ClassName() const override { return "TGlintMonitor"; }
  bool HandleMessage(TMessage& message) override;

  // Parses the report's text and shows it. A text without the six header
  // lines raises EStringListError; on that or any other failure (out of
  // memory included) the window keeps the previous report whole.
  void ReplaceReport(std::string_view text);
  // Shows a report parsed already; fails only for want of memory, and then
  // keeps the previous report whole.
  void ShowReport(TReport report);
  // Rebuilds the header edits, the grid (rows in report order), RowDetails
  // and UnitMap from the report shown; on failure nothing changes.
  void ParseReport();

  // The report shown, and views of it.
  const TReport& Report() const { return *FReport; }
  TReportLines ReportLines() const { return FReport->Lines(); }
  TRowDetails RowDetails() const { return TRowDetails(*FReport); }

  // The detail lines of a grid row, wherever a sort has put it; no lines
  // for a row without any (and for the title row).
  TReportLines DetailsOfRow(int row) const;

  // Opens the unit's source file (from UnitMap) in the IDE's editor with
  // the cursor on `line`; a unit, module, editor or view that is missing
  // ends it quietly.
  void JumpToCode(const std::string& unitName, int line);

  // Grid and window handlers, public so tools and tests drive them as the
  // widget set does.
  void GridClick(TObject* sender);
  void GridDrawCell(TObject* sender, int col, int row, TRect rect, TGridDrawState state);
  void GridMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void GridColWidthsChanged(TObject* sender);
  void PopupHandler(TObject* sender);
  void FormResize(TObject* sender);
  void Panel1Resize(TObject* sender);
  void Open1Click(TObject* sender);
  void SaveAs1Click(TObject* sender);
  void SaveSettings1Click(TObject* sender);
  void Exit1Click(TObject* sender);
  void StayOnTop1Click(TObject* sender);
  void Font1Click(TObject* sender);
  void Widget1Click(TObject* sender);
  void Contents1Click(TObject* sender);
  void About1Click(TObject* sender);

  // Design-time controls.
  TPanel* Panel1;
  TLabel *Label1, *Label2, *Label3, *Label4;
  TEdit *Edit1, *Edit2, *Edit3, *Edit4;
  TMainMenu* MainMenu1;
  TMenuItem *File1, *Open1, *SaveAs1, *SaveSettings1, *N1, *Exit1;
  TMenuItem *Options1, *StayOnTop1, *Font1;
  TMenuItem *Help1, *Contents1, *About1, *VersionItem;
  // The caption-bar button that rolls the window up to its caption and down.
  TWidget* Widget1;

  // The report's unit map (sorted, "Name=File"), which the jump reads.
  std::unique_ptr<TStringList> UnitMap;

 protected:
  TCloseAction CloseAction() override { return TCloseAction::Free; }

 private:
  void CreateDesignControls();
  void FormCreate();
  void ReadSettings();
  void FormDestroy();
  void WMCopyData(TMessage& message);

  // A title click: sorts the data rows by `col` with that column's settings.
  void SortByColumn(int col);
  // Pops up the detail lines at a screen position; frees the menu after
  // its pick has run (or after it was dismissed).
  void PopupDetails(const TReportLines& details, TPoint screen);

  // Puts a parsed report in the header edits, the grid and UnitMap.
  void PutReport(std::shared_ptr<const TReport> report);

  // The report shown; the grid's rows share it. Never null.
  std::shared_ptr<const TReport> FReport;
};

// The caption widget's state: whether the window is rolled up, and the
// height it had before.
extern bool RolledUp;
extern int SavedHeight;
// Marlett's characters for the widget: roll up, and roll down again.
constexpr int kRollUpGlyph = 116, kRollDownGlyph = 117;

// The IDE version the add-in serves (2, 3 or 4); the library's entry sets
// it. The oldest IDE also gets the target line of a jump marked as a block.
extern int IdeVersion;

// The most detail lines a pop-up shows; "..." stands for the rest. Window
// systems build menus of many thousands of items in seconds to minutes,
// with the IDE frozen meanwhile, and nobody picks from such a list.
constexpr std::size_t kMaxPopupDetails = 1000;

// A "Line" cell or pop-up line number as an integer (decimal or "$" hex,
// as the sorter reads numbers); 0 when it is not one.
int LineNumberOf(std::string_view text);

// Report files (*.gln) hold exactly the report's lines, each ended by CR LF
// (TReport::LoadFromFile and SaveToFile). The file dialogs' filter and
// default extension, and Open's preset name.
constexpr const char* kReportFilter = "Glint Reports|*.gln|All Files|*.*";
constexpr const char* kReportDefaultExt = "gln";
constexpr const char* kReportFileMask = "*.gln";

class TGlintMonitorExpert final : public TInterfaced<TIExpert, TGlintMonitorExpert> {
 public:
  // Inserts the menu item after "ViewPrjSourceItem" through the stored
  // services; a missing host object skips that silently.
  TGlintMonitorExpert();
  // Releases the inserted menu item.
  ~TGlintMonitorExpert();

  const char* GLINT_STDCALL GetName() override { return "Glint Monitor"; }
  const char* GLINT_STDCALL GetAuthor() override { return ""; }
  const char* GLINT_STDCALL GetComment() override { return ""; }
  const char* GLINT_STDCALL GetPage() override { return ""; }
  std::uintptr_t GLINT_STDCALL GetGlyph() override { return 0; }
  int GLINT_STDCALL GetStyle() override { return esAddIn; }
  unsigned GLINT_STDCALL GetState() override { return 0; }
  const char* GLINT_STDCALL GetIDString() override { return "Borland.GlintMonitor"; }
  const char* GLINT_STDCALL GetMenuText() override { return ""; }
  void GLINT_STDCALL Execute() override {}

  // Creates the monitor window on first use and shows it.
  void ShowMonitor(TIMenuItemIntf* sender);

  TIMenuItemIntf* MenuItem() const { return FMenuItem; }

 private:
  TIMenuItemIntf* FMenuItem = nullptr;
};

// Unit-level state.
extern TIToolServices* ToolServices;
extern TGlintMonitorExpert* GlintMonitorExpert;
extern TGlintMonitor* GlintMonitor;
extern TMyGrid* MonitorGrid;
extern TMySplitter* MonitorSplitter;

// What the host is told when the add-in fails to start for a reason with no
// text of its own.
constexpr const char* kStartFailureText = "The Glint Monitor could not start";

// The add-in library's entry (exported as INITEXPERT0017): stores the
// services, adopts the IDE's main window as the application handle and
// registers the add-in object. Errors go to the host as text; always true.
bool GLINT_STDCALL InitExpert(TIToolServices* toolServices, TExpertRegisterProc registerProc,
                              TExpertTerminateProc* terminate);

}  // namespace glint
