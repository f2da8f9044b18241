// Linked into GlintMonExpertFault.dll only, a test build of the IDE 4 add-in:
// every report parse in it runs out of memory GLINT_FAULT_AFTER_ROWS rows in
// (read when the library loads; unset, never). The kit's add-ins lack it.
#include <cstdlib>

#include "tests/support/FaultAfterRows.h"

namespace glint {
namespace {

long RowsFromEnvironment() {
  const char* text = std::getenv("GLINT_FAULT_AFTER_ROWS");
  return text && *text ? std::atol(text) : -1L;
}

const TFaultAfterRows gFault(RowsFromEnvironment());

}  // namespace
}  // namespace glint
