// ide/Palette.h: the IDE's component palette as a package sees it. A package's Register
// procedure calls RegisterComponents to put its component classes on a named page; this
// stand-in records the calls in order so a host (or a test) can read them back.
#pragma once

#include <string>
#include <vector>

namespace glint {

struct TPaletteEntry {
  std::string Page;
  std::string ClassName;
};

// Puts each class on `page`, after those already there.
void RegisterComponents(const std::string& page, const std::vector<std::string>& classNames);
// Every class registered so far, in registration order.
const std::vector<TPaletteEntry>& RegisteredComponents();
void ClearRegisteredComponents();

}  // namespace glint
