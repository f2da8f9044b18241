// setup/Setup.h: the installer's run. It registers every add-in build lying in the
// program's directory with its IDE version (HKEY_CURRENT_USER), records the help
// file's path, and reports the outcome in one message box. Registry failures do
// not stop the run; they are named in the message.
#pragma once

#include <string>
#include <string_view>

namespace glint {

// The directory part of a program path, up to and including the last "\" or ":"
// (or "/", which only native paths contain); "" when there is none.
std::string ProgramDirectory(std::string_view programPath);

// Registers the add-in builds found in `directory` (which ends in its separator)
// and writes the help-file values; returns the message to show.
std::string RegisterAddIns(const std::string& directory);

// The whole program: RegisterAddIns on the running program's directory, then the
// message box. Returns the message shown.
std::string RunSetup();

}  // namespace glint
