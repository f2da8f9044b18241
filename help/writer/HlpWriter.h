// help/writer/HlpWriter.h: turns a help source into the bytes of a WinHelp 3.1
// help file (readable by WinHelp 3.1 and 4.0 and by Wine's winhlp32), in the
// format described in "The Windows Help File Format" (helpfile.txt of
// M. Winterhoff's helpdeco): an internal file system whose directory is a
// B+ tree, holding |SYSTEM, |FONT, |TOPIC (uncompressed), |CONTEXT and
// |TTLBTREE.
#pragma once

#include <cstdint>
#include <vector>

#include "help/writer/HelpSource.h"

namespace glint::help {

// The help file; the first topic is its contents page. Throws
// THelpSourceError for a source that cannot be laid out (ParseHelpSource
// already rejects those it can recognise).
std::vector<std::uint8_t> WriteHlp(const THelpSource& source);

}  // namespace glint::help
