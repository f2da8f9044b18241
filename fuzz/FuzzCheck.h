// fuzz/FuzzCheck.h: what every fuzz target shares. A broken property aborts
// with its description, which libFuzzer reports as a crash and keeps the
// input for; an input whose run ends normally passed every check.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace glint::fuzz {

inline void Check(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "fuzz property broken: %s\n", property);
  std::abort();
}

inline std::string_view Bytes(const unsigned char* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace glint::fuzz
