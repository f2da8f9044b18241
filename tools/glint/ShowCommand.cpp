#include <CLI/CLI.hpp>
#include <iostream>
#include <new>

#include "rtl/SysUtils.h"
#include "tools/glint/Commands.h"
#include "tools/glint/GlintShow.h"
#include "ui/Forms.h"

namespace glint {

namespace {

int RunShow(const std::vector<std::string>& args) {
  CLI::App app;
  app.set_help_flag();  // glint's dispatcher answers --help
  app.allow_extras();   // reported below in glint's own words
  bool json = false;
  std::vector<std::string> sortNames, files;
  app.add_flag("--json", json);
  // One column per --sort; repeated, they are clicked in order.
  app.add_option("--sort", sortNames)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  app.add_option("REPORT", files);
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError&) {
    std::cerr << "glint show: --sort needs a column (see glint --help)\n";
    return kExitFailed;
  }
  bool filesOnly = false;
  for (const std::string& extra : app.remaining()) {
    if (!filesOnly && extra == "--") {
      filesOnly = true;
    } else if (!filesOnly && extra.size() > 1 && extra[0] == '-') {
      std::cerr << "glint show: unknown option '" << extra << "' (see glint --help)\n";
      return kExitFailed;
    } else {
      files.push_back(extra);
    }
  }
  std::vector<int> sorts;
  for (const std::string& name : sortNames) {
    const int col = GridColumnOf(name);
    if (col < 0) {
      std::cerr << "glint show: no column '" << name
                << "': give 0 to 3 or Unit Name, Line, Bytes, Contents\n";
      return kExitFailed;
    }
    sorts.push_back(col);
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
  // Title clicks, in order, sorted as the window's handler sorts; what the
  // window would put in its error box ends the run.
  try {
    for (int col : sorts) view.ClickTitle(col);
  } catch (const Exception& e) {
    std::cerr << e.Message() << '\n';
    return kExitRejected;
  } catch (const std::bad_alloc&) {
    std::cerr << kOutOfMemoryText << '\n';
    return kExitRejected;
  }
  if (json) {
    WriteJson(view, std::cout);
  } else {
    WriteTable(view, std::cout);
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
  return {"show", "glint show [--json] [--sort COLUMN]... REPORT",
          "Reads REPORT (a .gln file, or any report text) with the monitor's own parse\n"
          "and prints what the monitor window would show:\n"
          "  - the four header fields (report on, created at, peak # ptrs, peak bytes);\n"
          "  - the grid as an aligned table under the titles Unit Name, Line, Bytes and\n"
          "    Contents; a row with detail lines has \" ...\" after its unit name and its\n"
          "    detail lines indented under it;\n"
          "  - the unit map entries, as stored (Name=File, sorted).\n"
          "--sort COLUMN clicks that column's title first, as in the monitor window\n"
          "(COLUMN: 0 to 3, or the title: Unit Name, Line, Bytes, Contents; any case).\n"
          "Repeat it to click several titles in order. Unit Name and Contents sort as\n"
          "text A-Z, Line by number upwards, Bytes by number, largest first; a column\n"
          "that is not all numbers sorts as text. Details stay with their rows.\n"
          "With --json it prints one JSON object instead:\n"
          "  {\"reportOn\": S, \"createdAt\": S, \"peakPointers\": S, \"peakBytes\": S,\n"
          "   \"rows\": [{\"unit\": S, \"line\": S, \"bytes\": S, \"contents\": S,\n"
          "             \"details\": [S, ...] or null}, ...],\n"
          "   \"unitMap\": [S, ...]}\n"
          "  rows are the grid's data rows in order (a report without rows gives one empty\n"
          "  row); bytes 0x80-0xFF are written as \\u0080-\\u00FF, control characters escaped.\n"
          "Exit status: 0 shown; 1 the text was rejected (fewer than six lines: the\n"
          "parse's message, e.g. \"List index out of bounds (5)\", goes to standard error),\n"
          "or a title click failed as the window would report it in its error box (e.g. a\n"
          "hexadecimal number in a numeric column: the message goes to standard error);\n"
          "2 the file cannot be read, or bad usage.",
          RunShow};
}

}  // namespace glint
