#include "tools/glint/Commands.h"

namespace glint {

// Sending a report to a monitor window needs a window system; elsewhere
// there is nothing to add.
void AddPlatformCommands(std::vector<TGlintCommand>& commands) {}

}  // namespace glint
