// blowfish/BlowfishTables.h: the standard initial P-array and S-boxes of Blowfish (the
// hexadecimal digits of pi), which every key schedule starts from. Internal to the unit.
#pragma once

#include <cstdint>

namespace glint {

extern const std::uint32_t kBlowfishInitialP[18];
extern const std::uint32_t kBlowfishInitialS[4][256];

}  // namespace glint
