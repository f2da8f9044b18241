#include "setup/Setup.h"

#include <string>
#include <vector>

#include "setup/MyRegistry.h"
#include "win32api/LittleWin.h"

namespace glint {

using namespace win32;

namespace {

// One add-in build per IDE version, tried in this order. The base name is also
// the value name under the IDE key's "Experts" subkey.
struct TInstallStep {
  const char* BaseName;
  const char* IdeKey;
  const char* FirstText;   // message when this is the first build registered
  const char* AppendText;  // appended when an earlier one was registered
  const char* Version;     // names the version in a failure line
};

constexpr TInstallStep kSteps[] = {
    {"GlintMonExpert2", "Software\\Borland\\Delphi\\2.0", "Glint Monitor for D2", "", "D2"},
    {"GlintMonExpert3", "Software\\Borland\\Delphi\\3.0", "Glint Monitor for D3", " and D3", "D3"},
    {"GlintMonExpert4", "Software\\Borland\\Delphi\\4.0", "Glint Monitor for D4 registered!",
     " and D4 registered!", "D4"},
};

constexpr const char* kSettingsKey = "Software\\Brackenware";
constexpr const char* kHelpSections[] = {"Glint Monitor", "Glint Monitor Expert"};
constexpr const char* kTitle = "Glint Monitor Registration";
constexpr const char* kNothing = "Nothing to register";

// FindFirstFileA rather than a file-only test: a directory of that name counts too.
bool Exists(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

std::string ModulePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::string ProgramDirectory(std::string_view programPath) {
  std::size_t cut = programPath.find_last_of("\\:/");
  return cut == std::string_view::npos ? std::string()
                                       : std::string(programPath.substr(0, cut + 1));
}

std::string RegisterAddIns(const std::string& directory, bool* complete) {
  std::string registered;
  std::vector<std::string> failures;
  bool found = false;
  for (const TInstallStep& step : kSteps) {
    std::string addIn = directory + step.BaseName + ".dll";
    if (!Exists(addIn)) continue;
    found = true;
    bool written = TRegIniFile(HKEY_CURRENT_USER, step.IdeKey)
                       .PutSectionString("Experts", step.BaseName, addIn);
    if (!written) {
      failures.push_back(std::string("Could not register the add-in for ") + step.Version + ".");
      continue;
    }
    registered += registered.empty() ? step.FirstText : step.AppendText;
  }

  {
    TRegIniFile settings(HKEY_CURRENT_USER, kSettingsKey);
    for (const char* section : kHelpSections) {
      if (!settings.PutSectionString(section, "HelpFile", directory + "Glint.hlp"))
        failures.push_back(std::string("Could not record the help file under \"") + section +
                           "\".");
    }
  }

  std::string message = found ? registered : kNothing;
  for (const std::string& line : failures) message += (message.empty() ? "" : "\n") + line;
  if (complete) *complete = failures.empty();
  return message;
}

int RunSetup() {
  bool complete = false;
  std::string message = RegisterAddIns(ProgramDirectory(ModulePath()), &complete);
  // Written values are only safe once the registry has them on disk; the in-memory
  // registry saves its file here, or says why it cannot. When it cannot, nothing was
  // registered, whatever the writes said.
  if (const LONG rc = RegFlushKey(HKEY_CURRENT_USER); rc != ERROR_SUCCESS) {
    message = "Could not save the registry (error " + std::to_string(rc) + ").";
    complete = false;
  }
  MessageBoxA(nullptr, message.c_str(), kTitle, MB_OK);
  return complete ? 0 : 1;
}

}  // namespace glint
