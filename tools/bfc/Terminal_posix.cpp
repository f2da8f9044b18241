// tools/bfc/Terminal_posix.cpp: POSIX streams are always binary.
#include <unistd.h>

#include "tools/bfc/Terminal.h"

namespace glint {

void SetBinaryStdio() {}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace glint
