// The Windows build's own command: `glint send REPORT`, the report sender.
// It finds the monitor window by its class name "TGlintMonitor" and hands it
// the file's text, zero-terminated, in one WM_COPYDATA. SendMessage blocks
// until the window has parsed the report, so on return it is on screen.
#include <windows.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/glint/Commands.h"

namespace glint {

namespace {

constexpr int kDefaultTimeoutSeconds = 300;

int SendReport(const std::vector<std::string>& args) {
  CLI::App app;
  app.set_help_flag();  // glint's dispatcher answers --help
  app.allow_extras();
  std::vector<std::string> files;
  std::string timeout;
  int timeoutSeconds = kDefaultTimeoutSeconds;
  app.add_option("--timeout", timeout)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option("REPORT", files);
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError&) {
    // "--timeout" as the last word: a report file of that name, as before.
    files.push_back("--timeout");
  }
  for (const std::string& extra : app.remaining()) files.push_back(extra);
  if (!timeout.empty() || app.count("--timeout")) {
    char* end = nullptr;
    const long seconds = std::strtol(timeout.c_str(), &end, 10);
    if (timeout.empty() || *end != '\0' || seconds <= 0 || seconds > 86400) {
      std::fprintf(stderr, "glint send: --timeout takes 1 to 86400 seconds, not '%s'\n",
                   timeout.c_str());
      return kExitFailed;
    }
    timeoutSeconds = static_cast<int>(seconds);
  }
  if (files.size() != 1) {
    std::fputs("glint send: expected one report file (see glint send --help)\n", stderr);
    return kExitFailed;
  }
  const std::string& fileName = files[0];
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "glint send: cannot read '%s'\n", fileName.c_str());
    return kExitFailed;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    std::fprintf(stderr, "glint send: error reading '%s'\n", fileName.c_str());
    return kExitFailed;
  }

  HWND monitor = FindWindowA("TGlintMonitor", nullptr);
  if (!monitor) {
    std::fputs(
        "glint send: no Glint Monitor window is open (no window of class TGlintMonitor); "
        "open it from the IDE's View menu first\n",
        stderr);
    return kExitFailed;
  }
  // cbData counts the terminating zero that std::string keeps after the text,
  // so the copy the receiver gets is zero-terminated.
  COPYDATASTRUCT data{};
  data.cbData = static_cast<DWORD>(text.size() + 1);
  data.lpData = text.data();
  // Bounded: a receiver that never answers (Wine cannot deliver a report
  // larger than the receiving thread's stack) must not hold the sender.
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(monitor, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                           static_cast<UINT>(timeoutSeconds) * 1000, &answer)) {
    std::fprintf(stderr,
                 "glint send: the monitor did not answer within %d s; the report '%s' may not "
                 "be shown\n",
                 timeoutSeconds, fileName.c_str());
    return kExitRejected;
  }
  if (answer == 1) return kExitOk;
  std::fprintf(stderr, "glint send: the monitor rejected the report '%s'\n", fileName.c_str());
  return kExitRejected;
}

}  // namespace

void AddPlatformCommands(std::vector<TGlintCommand>& commands) {
  commands.push_back({"send", "glint send [--timeout SECONDS] REPORT",
                      "  Sends the report file to the open Glint Monitor window (window class\n"
                      "  TGlintMonitor) in one WM_COPYDATA and waits until the window shows it,\n"
                      "  at most SECONDS (default 300).\n"
                      "  Exit status: 0 shown; 1 the monitor rejected the report (it shows why)\n"
                      "  or did not answer in time; 2 not sent: no monitor window is open, or\n"
                      "  the file cannot be read.",
                      SendReport});
}

}  // namespace glint
