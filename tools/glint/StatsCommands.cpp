// `glint summary`, `glint diff` and `glint check`: reports read by the
// monitor's own parse (the report model), counted for unattended runs.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <new>
#include <string>

#include "monitor/Report.h"
#include "rtl/SysUtils.h"
#include "tools/glint/Commands.h"
#include "tools/glint/Json.h"
#include "tools/glint/ReportStats.h"
#include "ui/Forms.h"

namespace glint {

namespace {

using json = TJson;

// Reads a report and hands it to `use`; one report at a time, each gone
// before the next is read.
template <class Use>
void WithReport(const std::string& fileName, Use use) {
  use(ReadReportFile(fileName));
}

TReportDiff DiffFiles(const std::string& oldFile, const std::string& newFile) {
  TDiffBuilder builder;
  WithReport(oldFile, [&builder](const TReport& report) { builder.Add(report, false); });
  WithReport(newFile, [&builder](const TReport& report) { builder.Add(report, true); });
  return builder.Finish();
}

json CountJson(const TLeakCount& count) {
  json out = {{"allocations", count.Allocations},
              {"bytes", count.Bytes},
              {"unknownSize", count.UnknownSize}};
  if (count.BytesOverflow) out["bytesOverflow"] = true;
  return out;
}

std::string SiteText(const std::string& unit, const std::string& line) {
  return line.empty() ? unit : unit + " " + line;
}

// Runs `parse` over the command's arguments; a usage error is reported the
// way every glint command reports one.
template <class Run>
int WithOptions(const char* name, CLI::App& app, const std::vector<std::string>& args, Run run) {
  app.set_help_flag();  // glint's dispatcher answers --help
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    std::cerr << "glint " << name << ": " << e.what() << " (see glint " << name << " --help)\n";
    return kExitFailed;
  }
  try {
    const int status = run();
    std::cout.flush();
    if (!std::cout) {
      std::cerr << "glint " << name << ": cannot write to standard output\n";
      return kExitFailed;
    }
    return status;
  } catch (const TCommandError& e) {
    std::cerr << "glint " << name << ": " << e.Message << '\n';
    return kExitFailed;
  }
}

int RunSummary(const std::vector<std::string>& args) {
  CLI::App app;
  std::string file, by = "unit";
  bool asJson = false;
  app.add_option("REPORT", file)->required();
  app.add_option("--by", by)->check(CLI::IsMember({"unit", "line"}));
  app.add_flag("--json", asJson);
  return WithOptions("summary", app, args, [&] {
    std::string header[4];
    const bool byLine = by == "line";
    std::vector<TSiteSummary> sites;
    WithReport(file, [&](const TReport& report) {
      for (int i = 0; i < 4; ++i) header[i] = report.Header(i);
      sites = Summarize(report, byLine);
    });
    TLeakCount total;
    for (const TSiteSummary& site : sites) total.Add(site.Count);
    if (asJson) {
      json out = {{"reportOn", Latin1ToUtf8(header[0])},
                  {"createdAt", Latin1ToUtf8(header[1])},
                  {"peakPointers", Latin1ToUtf8(header[2])},
                  {"peakBytes", Latin1ToUtf8(header[3])},
                  {"by", by},
                  {"sites", json::array()},
                  {"total", CountJson(total)}};
      for (const TSiteSummary& site : sites) {
        json entry = {{"unit", Latin1ToUtf8(site.Unit)}};
        if (byLine) entry["line"] = Latin1ToUtf8(site.Line);
        entry.update(CountJson(site.Count));
        out["sites"].push_back(std::move(entry));
      }
      std::cout << out.dump(2) << '\n';
      return kExitOk;
    }
    std::cout << "Report on    " << header[0] << "\ncreated at   " << header[1] << "\npeak # ptrs  "
              << header[2] << "\npeak bytes   " << header[3] << "\n\n";
    std::size_t width = 4;
    for (const TSiteSummary& site : sites)
      width = std::max(width, SiteText(site.Unit, site.Line).size());
    for (const TSiteSummary& site : sites) {
      const std::string name = SiteText(site.Unit, site.Line);
      std::cout << name << std::string(width + 2 - name.size(), ' ') << CountText(site.Count)
                << '\n';
    }
    std::cout << "Total" << std::string(width - 3, ' ') << CountText(total) << '\n';
    return kExitOk;
  });
}

json DiffJson(const TReportDiff& diff) {
  json out = {{"old", CountJson(diff.Old)},
              {"new", CountJson(diff.New)},
              {"added", CountJson(diff.Added)},
              {"gone", CountJson(diff.Gone)},
              {"sites", json::array()}};
  for (const TSiteDiff& site : diff.Sites)
    out["sites"].push_back({{"unit", Latin1ToUtf8(site.Unit)},
                            {"line", Latin1ToUtf8(site.Line)},
                            {"status", site.Status()},
                            {"old", CountJson(site.Old)},
                            {"new", CountJson(site.New)},
                            {"added", CountJson(site.Added)},
                            {"gone", CountJson(site.Gone)}});
  return out;
}

void WriteDiffText(const TReportDiff& diff) {
  std::size_t width = 4;
  for (const TSiteDiff& site : diff.Sites)
    width = std::max(width, SiteText(site.Unit, site.Line).size());
  for (const TSiteDiff& site : diff.Sites) {
    const std::string name = SiteText(site.Unit, site.Line);
    std::cout << site.Status() << std::string(8 - std::string(site.Status()).size(), ' ') << name
              << std::string(width + 2 - name.size(), ' ');
    if (!site.Added.Empty()) std::cout << "added " << CountText(site.Added);
    if (!site.Added.Empty() && !site.Gone.Empty()) std::cout << "; ";
    if (!site.Gone.Empty()) std::cout << "gone " << CountText(site.Gone);
    std::cout << '\n';
  }
  if (diff.Sites.empty()) std::cout << "No changes.\n";
  std::cout << "\nAdded: " << CountText(diff.Added) << "\nGone:  " << CountText(diff.Gone)
            << "\nOld:   " << CountText(diff.Old) << "\nNew:   " << CountText(diff.New) << '\n';
}

int RunDiff(const std::vector<std::string>& args) {
  CLI::App app;
  std::string oldFile, newFile;
  bool asJson = false;
  app.add_option("OLD", oldFile)->required();
  app.add_option("NEW", newFile)->required();
  app.add_flag("--json", asJson);
  return WithOptions("diff", app, args, [&] {
    const TReportDiff diff = DiffFiles(oldFile, newFile);
    if (asJson)
      std::cout << DiffJson(diff).dump(2) << '\n';
    else
      WriteDiffText(diff);
    return diff.HasNewLeaks() ? kExitRejected : kExitOk;
  });
}

// A limit's text as a whole decimal number of 0 or more; anything else
// (an empty text included, which would otherwise read as 0) is bad usage.
std::int64_t LimitOf(const char* option, const std::string& text) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end)
    throw TCommandError{std::string(option) + " wants a whole number, not '" + text +
                        "' (see glint check --help)"};
  if (value < 0) throw TCommandError{"a limit cannot be negative (see glint check --help)"};
  return value;
}

int RunCheck(const std::vector<std::string>& args) {
  CLI::App app;
  std::string file, baseline, maxBytesText, maxAllocationsText;
  app.add_option("REPORT", file)->required();
  CLI::Option* maxBytesOption = app.add_option("--max-bytes", maxBytesText);
  CLI::Option* maxAllocationsOption = app.add_option("--max-allocations", maxAllocationsText);
  app.add_option("--baseline", baseline);
  return WithOptions("check", app, args, [&] {
    const bool limitBytes = maxBytesOption->count() > 0;
    const bool limitAllocations = maxAllocationsOption->count() > 0;
    // A gate without a limit would pass everything.
    if (!limitBytes && !limitAllocations)
      throw TCommandError{"give --max-bytes or --max-allocations (see glint check --help)"};
    const std::int64_t maxBytesValue = limitBytes ? LimitOf("--max-bytes", maxBytesText) : 0;
    const std::int64_t maxAllocationsValue =
        limitAllocations ? LimitOf("--max-allocations", maxAllocationsText) : 0;
    TLeakCount leaks;
    std::string what = "leaked";
    if (baseline.empty()) {
      WithReport(file, [&leaks](const TReport& report) {
        for (const TAllocation& a : AllocationsOf(report)) leaks.Add(a);
      });
    } else {
      leaks = DiffFiles(baseline, file).Added;
      what = "new";
    }
    std::string reason;
    if (limitAllocations && leaks.Allocations > maxAllocationsValue)
      reason = std::to_string(leaks.Allocations) + " " + what + " allocations, more than " +
               "--max-allocations " + std::to_string(maxAllocationsValue);
    else if (limitBytes && leaks.BytesAbove(maxBytesValue))
      reason = BytesText(leaks) + " " + what + " bytes, more than --max-bytes " +
               std::to_string(maxBytesValue);
    else if (limitBytes && leaks.UnknownSize)
      reason = std::to_string(leaks.UnknownSize) + " " + what +
               " allocations of unknown size: --max-bytes cannot be checked";
    if (reason.empty()) {
      std::cout << "glint check: passed (" << CountText(leaks) << (baseline.empty() ? ")" : " new)")
                << '\n';
      return kExitOk;
    }
    std::cout << "glint check: failed: " << reason << '\n';
    return kExitRejected;
  });
}

}  // namespace

TReport ReadReportFile(const std::string& fileName) {
  try {
    return TReport::LoadFromFile(fileName);
  } catch (const EInOutError& e) {
    throw TCommandError{e.Message()};
  } catch (const EStringListError& e) {
    throw TCommandError{fileName + ": " + e.Message()};
  } catch (const std::bad_alloc&) {
    throw TCommandError{fileName + ": " + kOutOfMemoryText};
  }
}

std::vector<TGlintCommand> StatsCommands() {
  return {
      {"summary", "glint summary [--by unit|line] [--json] REPORT",
       "Where the leaked memory goes: per unit (or per unit and line with --by line),\n"
       "the number of leaked allocations and their bytes, largest first, after the\n"
       "report's header fields, with the totals. A row whose Bytes cell is not a whole\n"
       "number is an allocation of unknown size: counted, shown as unknown, never as 0.\n"
       "--json prints {reportOn, createdAt, peakPointers, peakBytes, by, sites: [{unit,\n"
       "[line,] allocations, bytes, unknownSize}], total: {allocations, bytes,\n"
       "unknownSize}}; a count whose bytes are beyond 64-bit counting shows them as\n"
       "\"more than 9223372036854775807\" and in JSON adds bytesOverflow: true.\n"
       "Exit status: 0 shown; 2 the file cannot be read or is not a report (the\n"
       "monitor's own message), or bad usage.",
       RunSummary},
      {"diff", "glint diff [--json] OLD NEW",
       "What changed from the report OLD to the report NEW, by site (unit and line).\n"
       "Matching: two allocations match when they have the same site, the same size\n"
       "(or both an unknown size) and the same kind of contents (o:, s:, m: or other);\n"
       "at each site they match one to one, and only the surplus counts: allocations\n"
       "of NEW left over are added, those of OLD left over are gone. Each site with\n"
       "added or gone allocations is listed once: \"new\" (only in NEW), \"gone\" (only\n"
       "in OLD) or \"changed\", most added bytes first; then the totals. A site's line\n"
       "is its text: \"07\" and \"7\" are two sites.\n"
       "--json prints {old, new, added, gone, sites: [{unit, line, status, old, new,\n"
       "added, gone}]}, each count as {allocations, bytes, unknownSize}.\n"
       "Exit status: 0 NEW has no added allocations; 1 it has; 2 a file cannot be read\n"
       "or is not a report, or bad usage.",
       RunDiff},
      {"check", "glint check [--max-bytes N] [--max-allocations N] [--baseline OLD] REPORT",
       "A leak gate for build pipelines: fails when REPORT leaks more than allowed.\n"
       "At least one limit must be given, each a whole number of 0 or more. With\n"
       "--baseline OLD the limits apply to what is added since OLD (as glint diff\n"
       "counts it). With --max-bytes, allocations of unknown size fail the check, since\n"
       "their bytes cannot be counted, and so does a byte total beyond 64-bit counting.\n"
       "Prints one line: \"glint check: passed (...)\" or\n"
       "\"glint check: failed: <reason>\".\n"
       "Exit status: 0 within the limits; 1 a limit is passed; 2 a file cannot be read\n"
       "or is not a report, or bad usage.",
       RunCheck},
  };
}

}  // namespace glint
