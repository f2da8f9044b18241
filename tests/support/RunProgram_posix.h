// tests/support/RunProgram_posix.h: runs a program as a user would, through the
// shell, and keeps its exit status and both outputs.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/TestSupport.h"

namespace glint::test_support {

struct TRunResult {
  int Status;  // the exit status, -1 when the program did not exit by itself
  std::string Out, Err;
};

// Runs `command` (shell words) with standard input from `input` when given; the
// outputs pass through files in `scratch`.
inline TRunResult RunProgram(const std::string& command, const fs::path& scratch,
                             const std::string* input = nullptr) {
  const fs::path in = scratch / "stdin", out = scratch / "stdout", err = scratch / "stderr";
  std::string line = command;
  if (input) {
    WriteFile(in, *input);
    line += " < '" + in.string() + "'";
  }
  line += " > '" + out.string() + "' 2> '" + err.string() + "'";
  const int status = std::system(line.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
}

}  // namespace glint::test_support
