// monitor/FaultHook.h: a test-only way to make a report fail part way, as
// running out of memory would. FaultAfterRows() rows into a parse, the
// parse throws std::bad_alloc; -1 (the default) never. The real add-in in
// another process takes the number from GLINT_FAULT_AFTER_ROWS.
#pragma once

#include <cstdlib>
#include <new>

namespace glint {

inline long& FaultAfterRows() {
  static long rows = [] {
    const char* text = std::getenv("GLINT_FAULT_AFTER_ROWS");
    return text && *text ? std::atol(text) : -1L;
  }();
  return rows;
}

class TFaultHook {
 public:
  // Called once per row, before the row is made.
  void Row() {
    if (FLeft >= 0 && FLeft-- == 0) throw std::bad_alloc();
  }

 private:
  long FLeft = FaultAfterRows();
};

}  // namespace glint
