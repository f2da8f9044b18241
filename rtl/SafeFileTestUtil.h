// rtl/SafeFileTestUtil.h: what both TSafeFile test files need besides the shared test
// support: a predictable temporary-name generator.
#pragma once

#include <string>

#include "tests/support/TestSupport.h"

namespace glint::safefile_test {

// Names target.t0, target.t1, ... in the order TSafeFile tries them.
inline std::string Numbered(const std::string& target, unsigned attempt) {
  return target + ".t" + std::to_string(attempt);
}

}  // namespace glint::safefile_test
