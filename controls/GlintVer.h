// controls/GlintVer.h: unit GlintVer, the kit's version text, shown in the
// monitor's Help menu and its About box.
#pragma once

namespace glint {

constexpr const char* kGlintVersion = "v. 2.08";

}  // namespace glint
