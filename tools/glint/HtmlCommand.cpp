// `glint html`: a report as one self-contained web page.
#include <CLI/CLI.hpp>
#include <memory>
#include <iostream>
#include <new>

#include "monitor/Report.h"
#include "rtl/SafeFile.h"
#include "rtl/SysUtils.h"
#include "tools/glint/Commands.h"
#include "tools/glint/HtmlPage.h"
#include "ui/Forms.h"

namespace glint {

namespace {

// The baseline is held only while its rows are counted.
THtmlBaseline BaselineOf(const std::string& oldFile, const TReport& report) {
  THtmlBaseline baseline;
  baseline.Name = oldFile;
  TDiffBuilder builder;
  builder.Add(ReadReportFile(oldFile), false);
  builder.Add(report, true);
  baseline.Diff = builder.Finish(&baseline.AddedRows);
  return baseline;
}

int RunHtml(const std::vector<std::string>& args) {
  CLI::App app;
  app.set_help_flag();  // glint's dispatcher answers --help
  std::string file, baselineFile, output;
  app.add_option("REPORT", file)->required();
  app.add_option("--baseline", baselineFile);
  app.add_option("-o,--output", output);
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    std::cerr << "glint html: " << e.what() << " (see glint html --help)\n";
    return kExitFailed;
  }
  std::unique_ptr<THtmlBaseline> baseline;
  TReport report;
  try {
    report = ReadReportFile(file);
    if (!baselineFile.empty())
      baseline = std::make_unique<THtmlBaseline>(BaselineOf(baselineFile, report));
  } catch (const TCommandError& e) {
    std::cerr << "glint html: " << e.Message << '\n';
    return kExitFailed;
  }

  try {
    if (output.empty() || output == "-") {
      const bool written = WriteHtmlPage(report, baseline.get(), [](std::string_view piece) {
        std::cout.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        return static_cast<bool>(std::cout);
      });
      std::cout.flush();
      if (!written || !std::cout) {
        std::cerr << "glint html: cannot write to standard output\n";
        return kExitRejected;
      }
      return kExitOk;
    }
    // Through a temporary beside OUT: a page that could not be written
    // whole leaves what was there before.
    TSafeFile page(output);
    bool written = page.Open() && WriteHtmlPage(report, baseline.get(), [&](std::string_view piece) {
                     return page.Write(piece.data(), piece.size());
                   });
    written = written && page.Commit();
    if (!written) {
      std::cerr << "glint html: cannot write \"" << output << "\": " << page.Error() << '\n';
      return kExitRejected;
    }
  } catch (const std::bad_alloc&) {
    std::cerr << "glint html: " << kOutOfMemoryText << '\n';
    return kExitRejected;
  }
  return kExitOk;
}

}  // namespace

TGlintCommand HtmlCommand() {
  return {"html", "glint html [--baseline OLD] [-o OUT.html] REPORT",
          "Writes REPORT as one web page that opens in a browser from the file, offline\n"
          "(styles, script and data are all in it):\n"
          "  - the header fields, and where the memory goes: leaked bytes and allocations\n"
          "    by unit as a chart, largest first, the largest sites (unit and line) beside\n"
          "    it, counted as glint summary counts them;\n"
          "  - the rows as the monitor window shows them (\"o: \" contents red, \"s: \" blue,\n"
          "    \" ...\" after the unit name of a row with detail lines); a click on a column\n"
          "    title sorts as the window's title click does; a click on a row (or the\n"
          "    arrow keys, Page Up/Down, Home and End) shows its detail lines and its\n"
          "    unit's source file; a filter box narrows the rows by unit name or\n"
          "    contents; the unit map.\n"
          "With --baseline OLD the page also gives what glint diff OLD REPORT counts\n"
          "(added and gone) and marks the rows of the added allocations.\n"
          "The page goes to OUT.html (replaced whole, or left as it was when the page\n"
          "cannot be written), or to standard output without -o.\n"
          "Exit status: 0 written; 1 the page cannot be written; 2 a file cannot be read or\n"
          "is not a report (the monitor's own message), or bad usage.",
          RunHtml};
}

}  // namespace glint
