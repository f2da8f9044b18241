// ui/FailureTest.h: one failure of each kind a handler may raise, with the
// text it must reach the user as, for the tests of every path that reports
// failures (ui/Failure.h).
#pragma once

#include <new>
#include <stdexcept>

#include "rtl/SysUtils.h"
#include "ui/Failure.h"

namespace glint {

struct TFailureKind {
  const char* Name;
  void (*Raise)();
  const char* Text;  // null: the path's own text for a failure without one
};

inline constexpr TFailureKind kFailureKinds[] = {
    {"Exception", [] { throw Exception("handler failed"); }, "handler failed"},
    {"bad_alloc", [] { throw std::bad_alloc(); }, kOutOfMemoryText},
    {"std::exception", [] { throw std::runtime_error("runtime failed"); }, "runtime failed"},
    {"other", [] { throw 42; }, nullptr},
};

}  // namespace glint
