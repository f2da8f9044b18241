// The portable part of TSafeFile: construction, commit and cleanup order, and the default
// temporary names.
#include "rtl/SafeFile.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <random>
#include <utility>

namespace glint {
namespace {

unsigned Seed() {
  const auto ticks =
      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
  // random_device may have no source to draw from; the names then only need to differ.
  try {
    return std::random_device{}() ^ ticks;
  } catch (const std::exception&) {
    return ticks;
  }
}

}  // namespace

std::string TSafeFile::RandomTempName(const std::string& target, unsigned) {
  thread_local std::mt19937 random(Seed());
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
  return target + suffix;
}

TSafeFile::TSafeFile(std::string target, TTempNamer namer)
    : FTarget(std::move(target)), FNamer(namer) {}

TSafeFile::~TSafeFile() { Discard(); }

bool TSafeFile::Commit() {
  if (FHandle == -1 || FWriteFailed) {
    if (FError.empty()) FError = "'" + FTarget + "' is not open for writing";
    Discard();
    return false;
  }
  if (!FlushCloseAndRename()) {
    Discard();
    return false;
  }
  FTempName.clear();
  return true;
}

}  // namespace glint
