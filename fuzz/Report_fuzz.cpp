// The report parse as the monitor runs it. Each input is delivered as
// WM_COPYDATA (its bytes as sent, cut at the first zero) to one long-lived
// monitor window, then opened again through File/Open from a file holding
// the same bytes. Both must give the same window; a rejected report (fewer
// than six header lines) must leave the window exactly as it was.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "monitor/GlintExp.h"
#include "ui/headless/Headless.h"

namespace glint {
namespace {

using fuzz::Check;

// Everything the window shows of a report, and the lines it keeps.
struct TShown {
  std::vector<std::string> Lines, Header, Cells, UnitMap;
  std::vector<std::vector<std::string>> Details;
  bool operator==(const TShown&) const = default;
};

struct TRig {
  THeadless Backend;
  TGlintMonitor* Form = new TGlintMonitor(&Application());
  std::filesystem::path File = std::filesystem::temp_directory_path() /
                               ("glint-report-fuzz-" + std::to_string(::getpid()) + ".gln");

  TRig() {
    static const std::filesystem::path* file = &File;
    std::atexit([] { std::filesystem::remove(*file); });
  }

  TShown Shown() const {
    TShown s;
    s.Lines = Form->ReportLines->Items();
    for (TEdit* edit : {Form->Edit1, Form->Edit2, Form->Edit3, Form->Edit4})
      s.Header.push_back(edit->Text());
    for (int row = 0; row < MonitorGrid->RowCount(); ++row) {
      for (int col = 0; col < MonitorGrid->ColCount(); ++col)
        s.Cells.push_back(MonitorGrid->Cells(col, row));
      const TStringList* details = Form->DetailsOfRow(row);
      s.Details.push_back(details ? details->Items() : std::vector<std::string>{});
    }
    s.UnitMap = Form->UnitMap->Items();
    return s;
  }

  // True when the window took the report.
  bool Deliver(std::string_view bytes) {
    TCopyDataStruct data;
    data.cbData = static_cast<std::uint32_t>(bytes.size());
    data.lpData = bytes.data();
    Backend.ErrorBoxes.clear();
    const auto result =
        DeliverMessage(*Form, kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&data));
    Check(Backend.ErrorBoxes.size() == (result == 1 ? 0u : 1u), "a failure shows one error box");
    return result == 1;
  }

  bool Open(std::string_view bytes) {
    std::ofstream(File, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Backend.QueueFileName(File.string());
    Backend.FileDialogs.clear();
    try {
      Form->Open1->Click();
      return true;
    } catch (const EStringListError&) {
      return false;
    }
  }
};

// What any accepted report must look like, whatever its text.
void CheckAccepted(const TRig& rig, std::string_view bytes) {
  TStringList expected;
  expected.SetText(bytes.substr(0, bytes.find('\0')));
  Check(rig.Form->ReportLines->Items() == expected.Items(), "the window keeps the text's lines");
  const int rows = MonitorGrid->RowCount() - 1;
  const auto& details = *rig.Form->RowDetails;
  Check(rows >= 1 && MonitorGrid->FixedRows() == 1, "a title row and at least one row");
  Check(details.size() == static_cast<std::size_t>(rows) || (details.empty() && rows == 1),
        "one detail entry per data row");
  for (std::size_t k = 0; k < details.size(); ++k)
    Check(rig.Form->DetailsOfRow(static_cast<int>(k) + 1) == details[k].get(),
          "each row carries its own details");
  const auto& units = rig.Form->UnitMap->Items();
  for (std::size_t k = 1; k < units.size(); ++k)
    Check(units[k - 1] < units[k], "the unit map is sorted without duplicates");
}

}  // namespace
}  // namespace glint

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace glint;
  static TRig& rig = *new TRig;
  const std::string_view bytes = fuzz::Bytes(data, size);

  const TShown before = rig.Shown();
  const bool delivered = rig.Deliver(bytes);
  const TShown afterDelivery = rig.Shown();
  if (delivered)
    CheckAccepted(rig, bytes);
  else
    Check(afterDelivery == before, "a rejected report leaves the window as it was");

  const bool opened = rig.Open(bytes);
  Check(opened == delivered, "a file is accepted exactly when the same text delivered is");
  Check(rig.Shown() == afterDelivery, "a file shows what the same text delivered shows");
  return 0;
}
