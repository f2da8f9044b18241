// help/writer/HlpWriter.h: turns a help source into the bytes of a help file
// in the format of WinHelp 3.1 (which WinHelp 4.0 reads too), as "The Windows
// Help File Format" (helpfile.txt of M. Winterhoff's helpdeco) describes it:
// an internal file system whose directory is a B+ tree, holding |SYSTEM,
// |FONT, |TOPIC (not compressed), |CONTEXT and |TTLBTREE. Wine's winhlp32
// opens it (tests/wine/help-viewer.sh).
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
