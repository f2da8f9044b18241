// ide/Palette.cpp: the recording palette.
#include "ide/Palette.h"

namespace glint {

namespace {

std::vector<TPaletteEntry>& Entries() {
  static std::vector<TPaletteEntry> entries;
  return entries;
}

}  // namespace

void RegisterComponents(const std::string& page, const std::vector<std::string>& classNames) {
  for (const std::string& name : classNames) Entries().push_back({page, name});
}

const std::vector<TPaletteEntry>& RegisteredComponents() { return Entries(); }

void ClearRegisteredComponents() { Entries().clear(); }

}  // namespace glint
