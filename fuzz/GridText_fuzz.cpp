// The texts the monitor's grid reads back from a report: the hint that
// decodes a memory dump ("m: 48 65 ...") in the contents column, and the
// pop-up's detail lines, each split into a unit and a line number for the
// jump into the IDE's editor. The first byte picks the IDE version (the
// oldest marks the target line as a block) and the pop-up item; the rest
// is the cell text and, line by line, the detail lines of one row.
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "ide/IdeHost.h"
#include "monitor/GlintExp.h"
#include "rtl/SysUtils.h"
#include "ui/headless/Headless.h"

namespace glint {
namespace {

using fuzz::Check;

constexpr std::string_view kHeader =
    "Report on     : C:\\App\\App.exe\r\n--------\r\nCreated at : 08.12.2026 14:31:07\r\n\r\n"
    "Peak  : 1843 pointers\r\nPeak memory: 201562 bytes\r\n\r\nLeaked allocations:\r\n"
    "--------\r\nMain 12 64 o: TStringList\r\n";

struct TRig {
  THeadless Backend;
  TIdeHost Host;
  TGlintMonitor* Form = new TGlintMonitor(&Application());
  TRig() {
    ToolServices = Host.ToolServices();
    Host.Files["Main.pas"] = "unit Main;\r\n\r\ninterface\r\n";
  }
};

void CheckHint(std::string_view cell, bool lowerCase) {
  const std::string text = DecodeContentsHint(cell);
  Check(text.find('\0') == std::string::npos, "a hint stops at a zero byte");
  Check(text.size() * 3 <= cell.size(), "a hint has at most a byte per group");

  const std::string_view bytes = cell.substr(0, std::min<std::size_t>(cell.find('\0'), 200));
  std::string dump = "m: ";
  for (char c : bytes) dump += Format(lowerCase ? "%02x " : "%02X ", static_cast<unsigned char>(c));
  Check(DecodeContentsHint(dump) == bytes, "a dump's hint is the bytes it dumps");
  dump.pop_back();
  Check(DecodeContentsHint(dump) == bytes, "the last group needs no separator");

  TMyGrid grid(nullptr);
  grid.SetColCount(4);
  grid.SetRowCount(2);
  grid.SetFixedRows(1);
  grid.SetCells(kContentsCol, 1, std::string(cell));
  const TRect rect = grid.CellRect(kContentsCol, 1);
  grid.DoMouseMove({}, (rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2);
  Check(grid.Hint() == (cell.starts_with('m') ? DecodeContentsHint(cell) : ""),
        "the pointer over a dump shows its hint");
}

// The row's detail lines are the text's lines; a right click on the row
// pops them up and the pick jumps to its unit and line.
void CheckPopup(TRig& rig, std::string_view text, unsigned pick) {
  TStringList lines;
  lines.SetText(text.substr(0, text.find('\0')));
  std::string report(kHeader);
  for (const std::string& line : lines.Items())
    if (!line.empty()) report += " " + line + "\r\n";
  report += "\r\nUnit Map:\r\nMain Main.pas\r\n";
  TCopyDataStruct data;
  data.cbData = static_cast<std::uint32_t>(report.size());
  data.lpData = report.data();
  Check(DeliverMessage(*rig.Form, kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&data)) == 1,
        "the report is taken");

  // The pop-up holds the lines (at most kMaxPopupDetails and "..."), "-" and "Cancel".
  const std::size_t count = rig.Form->DetailsOfRow(1).Count();
  const std::size_t items =
      std::min(count, kMaxPopupDetails) + (count > kMaxPopupDetails ? 1 : 0) + 2;
  if (count > 0) rig.Backend.QueuePopupPick(static_cast<int>(pick % items));
  rig.Backend.Popups.clear();
  const TRect rect = MonitorGrid->CellRect(0, 1);
  rig.Form->GridMouseDown(MonitorGrid, TMouseButton::Right, {}, (rect.Left + rect.Right) / 2,
                          (rect.Top + rect.Bottom) / 2);
  Check(rig.Backend.Popups.size() == (count > 0 ? 1u : 0u), "a row with details pops them up");
  for (const auto& editor : rig.Host.OpenEditors())
    Check(editor->Cursor.Line >= 1 && editor->Top.Line >= 1, "the editor stays on a line");
}

// A unit and a line number written as the report writes them, in decimal or
// "$" hex, land the editor's cursor on that line, or on the file's first or
// last line when the number lies beyond them.
void CheckJump(TRig& rig, std::int32_t line, bool hex) {
  TMenuItem item(nullptr);
  item.SetCaption("Main " +
                  (hex ? Format("$%X", static_cast<unsigned>(line)) : std::to_string(line)));
  rig.Host.ClearEditorCalls();
  rig.Form->UnitMap->Clear();
  rig.Form->UnitMap->Add("Main=Main.pas");
  rig.Form->PopupHandler(&item);
  Check(rig.Host.OpenEditors().size() == 1, "the unit's file is open");
  const auto lines = static_cast<std::int32_t>(rig.Host.OpenEditors()[0]->Lines.size());
  const std::string set = "SetPos 0 1 " + std::to_string(std::clamp(line, 1, lines));
  bool found = false;
  for (const std::string& call : rig.Host.EditorCalls()) found = found || call == set;
  Check(found, "the jump goes to the line the detail names");
}

}  // namespace
}  // namespace glint

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace glint;
  static TRig& rig = *new TRig;
  if (size < 5) return 0;
  const std::uint8_t control = data[0];
  std::int32_t line = 0;
  for (int i = 1; i <= 4; ++i)
    line = static_cast<std::int32_t>(static_cast<std::uint32_t>(line) << 8 | data[i]);
  const std::string_view text = fuzz::Bytes(data + 5, size - 5);
  IdeVersion = control & 1 ? 2 : 4;
  CheckHint(text, control & 2);
  CheckPopup(rig, text, control >> 2);
  CheckJump(rig, line, control & 2);
  return 0;
}
