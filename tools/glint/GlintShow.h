// tools/glint/GlintShow.h: `glint show`: a report file read into a headless
// monitor form, and that form's content written as a table or as JSON.
//
// Reading raises EInOutError when the file cannot be read and
// EStringListError (the monitor's own message) when the parse rejects it.
// Rendering reads the form only and does not throw.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "monitor/GlintExp.h"
#include "ui/headless/Headless.h"

namespace glint {

// A monitor form on the headless backend, as the IDE would show it.
class TReportView {
 public:
  TReportView();
  ~TReportView();
  TReportView(const TReportView&) = delete;
  TReportView& operator=(const TReportView&) = delete;

  // Loads the file as the monitor's File/Open does and parses it.
  void LoadFile(const std::string& fileName);
  // Parses a report text as the monitor's WM_COPYDATA intake does.
  void LoadText(std::string_view text);

  // Clicks the title of grid column `col` as the user would: the monitor's
  // own handler sorts the rows. Raises what the window would show in its
  // error box.
  void ClickTitle(int col);

  TGlintMonitor& Form() { return *FForm; }

 private:
  THeadless FBackend;
  TGlintMonitor* FForm;
};

// A grid column named by its index ("0" to "3") or its title, any case;
// -1 for anything else.
int GridColumnOf(const std::string& name);

// The widest a table column gets; longer cells are written whole.
constexpr std::size_t kTableColumnWidthCap = 40;

// Header fields, the grid as an aligned table (rows with details marked
// " ..." and followed by their detail lines, indented), then the unit map.
void WriteTable(TGlintMonitor& form, std::ostream& out);
// One JSON object: reportOn, createdAt, peakPointers, peakBytes, rows, unitMap.
void WriteJson(TGlintMonitor& form, std::ostream& out);
// A JSON string literal; bytes 0x80-0xFF become \u0080-\u00FF.
std::string JsonString(std::string_view text);

}  // namespace glint
