#include <iostream>

#include "rtl/SysUtils.h"
#include "tools/glint/Commands.h"
#include "tools/glint/GlintShow.h"

namespace glint {

namespace {

int RunShow(const std::vector<std::string>& args) {
  bool json = false;
  std::vector<std::string> files;
  bool optionsDone = false;
  for (const std::string& arg : args) {
    if (!optionsDone && arg == "--json") {
      json = true;
    } else if (!optionsDone && arg == "--") {
      optionsDone = true;
    } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
      std::cerr << "glint show: unknown option '" << arg << "' (see glint --help)\n";
      return kExitFailed;
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 1) {
    std::cerr << "glint show: expected one report file (see glint --help)\n";
    return kExitFailed;
  }
  TReportView view;
  try {
    view.LoadFile(files[0]);
  } catch (const EInOutError& e) {
    std::cerr << "glint show: " << e.Message() << '\n';
    return kExitFailed;
  } catch (const EStringListError& e) {
    std::cerr << e.Message() << '\n';
    return kExitRejected;
  }
  if (json) {
    WriteJson(view.Form(), std::cout);
  } else {
    WriteTable(view.Form(), std::cout);
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "glint show: cannot write to standard output\n";
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

TGlintCommand ShowCommand() {
  return {"show", "glint show [--json] REPORT",
          "Reads REPORT (a .gln file, or any report text) with the monitor's own parse\n"
          "and prints what the monitor window would show:\n"
          "  - the four header fields (report on, created at, peak # ptrs, peak bytes);\n"
          "  - the grid as an aligned table under the titles Unit Name, Line, Bytes and\n"
          "    Contents; a row with detail lines has \" ...\" after its unit name and its\n"
          "    detail lines indented under it;\n"
          "  - the unit map entries, as stored (Name=File, sorted).\n"
          "With --json it prints one JSON object instead:\n"
          "  {\"reportOn\": S, \"createdAt\": S, \"peakPointers\": S, \"peakBytes\": S,\n"
          "   \"rows\": [{\"unit\": S, \"line\": S, \"bytes\": S, \"contents\": S,\n"
          "             \"details\": [S, ...] or null}, ...],\n"
          "   \"unitMap\": [S, ...]}\n"
          "  rows are the grid's data rows in order (a report without rows gives one empty\n"
          "  row); bytes 0x80-0xFF are written as \\u0080-\\u00FF, control characters escaped.\n"
          "Exit status: 0 shown; 1 the text was rejected (fewer than six lines: the\n"
          "parse's message, e.g. \"List index out of bounds (5)\", goes to standard error);\n"
          "2 the file cannot be read, or bad usage.",
          RunShow};
}

}  // namespace glint
