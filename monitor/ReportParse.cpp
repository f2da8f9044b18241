// The monitor window's report: a text is parsed into a TReport aside, then
// shown. Everything that can fail happens before the window changes, so any
// failure, out of memory included, leaves the previous report whole.
#include <string>
#include <string_view>

#include "monitor/GlintExp.h"

namespace glint {

void TGlintMonitor::ReplaceReport(std::string_view text) { ShowReport(TReport(text)); }

void TGlintMonitor::ShowReport(TReport report) {
  PutReport(std::make_shared<const TReport>(std::move(report)));
}

void TGlintMonitor::ParseReport() { PutReport(FReport); }

void TGlintMonitor::PutReport(std::shared_ptr<const TReport> report) {
  TGridRows rows = ReportGridRows(*MonitorGrid, report);
  std::string header[4];
  for (int i = 0; i < 4; ++i) header[i] = report->Header(i);
  TStringList unitMap = report->UnitMap();

  // Nothing below fails: every piece is moved or swapped into place.
  TEdit* edits[] = {Edit1, Edit2, Edit3, Edit4};
  for (int i = 0; i < 4; ++i) edits[i]->SetText(std::move(header[i]));
  MonitorGrid->SwapRows(rows);
  MonitorGrid->SetFixedRows(1);
  UnitMap->Items().swap(unitMap.Items());
  FReport.swap(report);
}

}  // namespace glint
