// The Windows build's own command: `glint send REPORT`, the report sender.
// It finds the monitor window by its class name "TGlintMonitor" and hands it
// the file's text, zero-terminated, in one WM_COPYDATA. SendMessage blocks
// until the window has parsed the report, so on return it is on screen.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/glint/Commands.h"

namespace glint {

namespace {

int SendReport(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fputs("glint send: expected one report file (see glint send --help)\n", stderr);
    return kExitFailed;
  }
  const std::string& fileName = args[0];
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
  const LRESULT answer = SendMessageA(monitor, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  if (answer == 1) return kExitOk;
  std::fprintf(stderr, "glint send: the monitor rejected the report '%s'\n", fileName.c_str());
  return kExitRejected;
}

}  // namespace

void AddPlatformCommands(std::vector<TGlintCommand>& commands) {
  commands.push_back({"send", "glint send REPORT",
                      "  Sends the report file to the open Glint Monitor window (window class\n"
                      "  TGlintMonitor) in one WM_COPYDATA and waits until the window shows it.\n"
                      "  Exit status: 0 shown; 1 the monitor rejected the report (it shows why);\n"
                      "  2 not sent: no monitor window is open, or the file cannot be read.",
                      SendReport});
}

}  // namespace glint
