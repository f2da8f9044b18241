// tools/glint/Commands.h: the sub-commands of `glint`. Each is a name, a
// help text and a function that gets the arguments after the name and
// returns the exit status; main.cpp dispatches on the name.
// Commands that only exist on one platform come from that platform's file
// (Commands_mem.cpp elsewhere adds none), so main.cpp stays portable.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "monitor/Report.h"

namespace glint {

// Exit statuses shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitRejected = 1;  // the report text was rejected by the parse
constexpr int kExitFailed = 2;    // bad usage, or a file that cannot be read

// What ends a command with the exit status 2: a file that cannot be read
// or is not a report (with the parse's own message), or bad usage.
struct TCommandError {
  std::string Message;
};

// Reads a report file; raises TCommandError when it cannot be read or the
// parse rejects it, naming the file.
TReport ReadReportFile(const std::string& fileName);

struct TGlintCommand {
  std::string Name;
  std::string Usage;  // one line, e.g. "glint show [--json] REPORT"
  std::string Help;   // what it does, its output and its failures
  std::function<int(const std::vector<std::string>& args)> Run;
};

TGlintCommand ShowCommand();
TGlintCommand HtmlCommand();
// summary, diff and check.
std::vector<TGlintCommand> StatsCommands();
// Adds the commands only this platform has.
void AddPlatformCommands(std::vector<TGlintCommand>& commands);

}  // namespace glint
