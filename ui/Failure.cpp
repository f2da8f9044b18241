#include "ui/Failure.h"

#include <exception>
#include <new>

#include "rtl/SysUtils.h"

namespace glint {

const char* CurrentFailureText(const char* otherText) noexcept {
  // Rethrown, the exception is the same object the caller's handler holds, so
  // a message taken from it stays valid there.
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return kOutOfMemoryText;
  } catch (const Exception& e) {
    return e.Message().c_str();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return otherText;
  }
}

}  // namespace glint
