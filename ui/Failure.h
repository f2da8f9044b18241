// ui/Failure.h: how a failure leaves code that the window system or the host
// calls.
//
// Nothing may unwind into user32's frames or into the IDE. RunReported runs a
// handler and hands whatever it throws to a reporter as one text: an
// Exception's message, kOutOfMemoryText for std::bad_alloc, what() of any
// other std::exception, and the caller's text for anything else. A reporter
// that fails in turn is ignored: there is nowhere left to report to.
#pragma once

#include <utility>

namespace glint {

// What the user is shown when a handler ran out of memory.
constexpr const char* kOutOfMemoryText = "Not enough memory to complete the operation.";
// What the user is shown for a failure that carries no text of its own.
constexpr const char* kUnexpectedFailureText = "Unexpected failure";

// The text of the exception being handled; call only inside a catch block.
// The text lives as long as that exception.
const char* CurrentFailureText(const char* otherText) noexcept;

// Runs `handler()`; true if it returned, false if it threw and the failure
// went to `report(const char* text)`.
template <class Handler, class Reporter>
bool RunReported(Handler&& handler, Reporter&& report,
                 const char* otherText = kUnexpectedFailureText) noexcept {
  try {
    std::forward<Handler>(handler)();
    return true;
  } catch (...) {
    try {
      report(CurrentFailureText(otherText));
    } catch (...) {
    }
  }
  return false;
}

}  // namespace glint
