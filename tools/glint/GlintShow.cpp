#include "tools/glint/GlintShow.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "tools/glint/Json.h"

namespace glint {

TReportView::TReportView() : FForm(new TGlintMonitor(&Application())) {}

TReportView::~TReportView() { delete FForm; }

void TReportView::LoadFile(const std::string& fileName) {
  FForm->ReplaceReport(LoadReportFile(fileName));
}

void TReportView::LoadText(std::string_view text) {
  TCopyDataStruct data;
  data.cbData = static_cast<std::uint32_t>(text.size());
  data.lpData = text.data();
  // Straight to the handler, not through DeliverMessage: the caller wants
  // the error, not an error box.
  FForm->Perform(kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&data));
}

void TReportView::ClickTitle(int col) {
  const TRect title = MonitorGrid->CellRect(col, 0);
  FForm->GridMouseDown(MonitorGrid, TMouseButton::Left, {TShiftKey::Left}, title.Left + 1,
                       title.Top + 1);
}

int GridColumnOf(const std::string& name) {
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '3') return name[0] - '0';
  static const char* const kTitles[] = {"Unit Name", "Line", "Bytes", "Contents"};
  for (int col = 0; col < 4; ++col)
    if (CompareText(name, kTitles[col]) == 0) return col;
  return -1;
}

namespace {

const TStringList* DetailsOf(TGlintMonitor& form, int row) { return form.DetailsOfRow(row); }

void Pad(std::ostream& out, std::size_t width, std::size_t used) {
  for (; used < width; ++used) out << ' ';
}

}  // namespace

void WriteTable(TGlintMonitor& form, std::ostream& out) {
  const std::pair<TLabel*, TEdit*> header[] = {{form.Label1, form.Edit1},
                                               {form.Label2, form.Edit2},
                                               {form.Label3, form.Edit3},
                                               {form.Label4, form.Edit4}};
  std::size_t labelWidth = 0;
  for (auto& [label, edit] : header) labelWidth = std::max(labelWidth, label->Caption().size());
  for (auto& [label, edit] : header) {
    out << label->Caption();
    Pad(out, labelWidth + 2, label->Caption().size());
    out << edit->Text() << '\n';
  }
  out << '\n';

  TMyGrid& grid = *MonitorGrid;
  auto cellText = [&](int col, int row) {
    std::string text = grid.Cells(col, row);
    if (col == 0 && row > 0 && DetailsOf(form, row)) text += " ...";
    return text;
  };
  // Columns are as wide as their widest cell up to a cap; a longer cell is
  // written whole and pushes only its own row out of line, so one huge cell
  // cannot pad every other row to its width.
  std::size_t widths[3] = {0, 0, 0};
  for (int row = 0; row < grid.RowCount(); ++row)
    for (int col = 0; col < 3; ++col)
      widths[col] =
          std::max(widths[col], std::min(cellText(col, row).size(), kTableColumnWidthCap));
  for (int row = 0; row < grid.RowCount(); ++row) {
    // Built whole so an empty "Contents" leaves no trailing blanks.
    std::string line;
    for (int col = 0; col < 3; ++col) {
      std::string text = cellText(col, row);
      line += text;
      line.append(text.size() < widths[col] + 2 ? widths[col] + 2 - text.size() : 1, ' ');
    }
    line += grid.Cells(3, row);
    out << TrimRight(line) << '\n';
    if (row == 0) {
      for (int col = 0; col < 3; ++col) out << std::string(widths[col], '-') << "  ";
      out << std::string(std::max<std::size_t>(grid.Cells(3, 0).size(), 8), '-') << '\n';
    } else if (const TStringList* details = DetailsOf(form, row)) {
      for (const std::string& detail : details->Items()) out << "    " << detail << '\n';
    }
  }

  out << "\nUnit map:\n";
  if (form.UnitMap->Count() == 0) out << "  (empty)\n";
  for (const std::string& entry : form.UnitMap->Items()) out << "  " << entry << '\n';
}

std::string JsonString(std::string_view text) {
  std::ostringstream out;
  WriteJsonLine(Latin1ToUtf8(text), out);
  return out.str();
}

void WriteJson(TGlintMonitor& form, std::ostream& out) {
  const TJson head = {{"reportOn", Latin1ToUtf8(form.Edit1->Text())},
                      {"createdAt", Latin1ToUtf8(form.Edit2->Text())},
                      {"peakPointers", Latin1ToUtf8(form.Edit3->Text())},
                      {"peakBytes", Latin1ToUtf8(form.Edit4->Text())}};
  std::ostringstream start;
  WriteJsonLine(head, start);
  out << start.view().substr(0, start.view().size() - 1) << ", \"rows\": [";
  // One row at a time: a report of a million rows is never held as a JSON
  // document beside the grid.
  TMyGrid& grid = *MonitorGrid;
  TJson item = {{"unit", ""}, {"line", ""}, {"bytes", ""}, {"contents", ""}, {"details", nullptr}};
  TJson& cells = item;  // reused: its strings keep their buffers from row to row
  for (int row = 1; row < grid.RowCount(); ++row) {
    static const char* const kNames[] = {"unit", "line", "bytes", "contents"};
    for (int col = 0; col < 4; ++col) cells[kNames[col]] = Latin1ToUtf8(grid.Cells(col, row));
    TJson& details = item["details"];
    details = nullptr;
    if (const TStringList* lines = DetailsOf(form, row)) {
      details = TJson::array();
      for (const std::string& line : lines->Items()) details.push_back(Latin1ToUtf8(line));
    }
    if (row > 1) out << ", ";
    WriteJsonLine(item, out);
  }
  TJson unitMap = TJson::array();
  for (const std::string& entry : form.UnitMap->Items()) unitMap.push_back(Latin1ToUtf8(entry));
  out << "], \"unitMap\": ";
  WriteJsonLine(unitMap, out);
  out << "}\n";
}

}  // namespace glint
