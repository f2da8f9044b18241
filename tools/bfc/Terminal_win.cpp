// tools/bfc/Terminal_win.cpp: the C runtime opens the standard streams in text mode, which
// would turn CR LF pairs and 0x1A bytes of cipher text into something else.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "tools/bfc/Terminal.h"

namespace glint {

void SetBinaryStdio() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace glint
