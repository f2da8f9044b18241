// tests/support/FaultAfterRows.h: makes every report parse run out of memory
// part way, for tests of how a failed parse is shown and what it leaves.
//
// While a TFaultAfterRows(n) lives, a parse raises std::bad_alloc before it
// makes row n + 1 (0 fails the first row); a parse of fewer rows succeeds.
// One at a time: it owns the parse's row hook.
#pragma once

#include <cstdint>
#include <new>

#include "monitor/Report.h"

namespace glint {

class TFaultAfterRows {
 public:
  explicit TFaultAfterRows(long rows) {
    Rows() = rows;
    ParseRowHook = &Row;
  }
  ~TFaultAfterRows() { ParseRowHook = nullptr; }
  TFaultAfterRows(const TFaultAfterRows&) = delete;
  TFaultAfterRows& operator=(const TFaultAfterRows&) = delete;

 private:
  static long& Rows() {
    static long rows = -1;
    return rows;
  }
  static void Row(std::uint32_t row) {
    if (static_cast<long>(row) == Rows()) throw std::bad_alloc();
  }
};

}  // namespace glint
