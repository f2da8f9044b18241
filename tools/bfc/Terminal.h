// tools/bfc/Terminal.h: the two things bfc needs to know or change about its standard
// streams that differ between platforms. Terminal_win.cpp is the Windows side,
// Terminal_posix.cpp every other build's.
#pragma once

namespace glint {

// Puts standard input and output in binary mode, so cipher text passes through unchanged.
void SetBinaryStdio();
// True when standard error is a terminal, where progress lines make sense.
bool StderrIsTerminal();

}  // namespace glint
