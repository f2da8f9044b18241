// setup/Setup.h: the installer's run. It registers every add-in build lying in the
// program's directory with its IDE version (HKEY_CURRENT_USER), records the help
// file's path, flushes the registry to disk, and reports the outcome in one message
// box. Registry failures do not stop the run; they are named in the message and make
// the exit code 1.
#pragma once

#include <string>
#include <string_view>

namespace glint {

// The directory part of a program path, up to and including the last "\" or ":"
// (or "/", which only native paths contain); "" when there is none.
std::string ProgramDirectory(std::string_view programPath);

// Registers the add-in builds found in `directory` (which ends in its separator)
// and writes the help-file values; returns the message to show. `complete` (when
// given) tells whether every value was written.
std::string RegisterAddIns(const std::string& directory, bool* complete = nullptr);

// The whole program: RegisterAddIns on the running program's directory, RegFlushKey,
// then the message box. A registry that cannot be saved replaces the whole message:
// nothing it names would be registered. Returns the exit code: 0 when everything was
// written and saved, else 1.
int RunSetup();

}  // namespace glint
