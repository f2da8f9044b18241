// glint: reads Glint Monitor report files from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "tools/glint/Commands.h"

namespace {

void PrintHelp(const std::vector<glint::TGlintCommand>& commands, std::ostream& out) {
  out << "Usage:\n";
  for (const auto& command : commands) out << "  " << command.Usage << '\n';
  out << "  glint --help\n\n"
         "glint reads memory-leak reports in the Glint Monitor's text format (the text a\n"
         "monitored program sends to the monitor window, or a saved .gln file).\n";
  for (const auto& command : commands) out << '\n' << command.Usage << '\n' << command.Help << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<glint::TGlintCommand> commands{glint::ShowCommand()};
  for (auto& command : glint::StatsCommands()) commands.push_back(std::move(command));
  commands.push_back(glint::HtmlCommand());
  glint::AddPlatformCommands(commands);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintHelp(commands, std::cerr);
    return glint::kExitFailed;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintHelp(commands, std::cout);
    return glint::kExitOk;
  }
  for (const auto& command : commands) {
    if (command.Name != args[0]) continue;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const std::string& arg : rest)
      if (arg == "--help" || arg == "-h") {
        std::cout << command.Usage << '\n' << command.Help << '\n';
        return glint::kExitOk;
      }
    return command.Run(rest);
  }
  std::cerr << "glint: unknown command '" << args[0] << "' (see glint --help)\n";
  return glint::kExitFailed;
}
