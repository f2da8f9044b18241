// The registry file loader (what GLINT_REGISTRY_FILE is read with) on any
// bytes. The first byte picks how the rest arrives: as it is, or widened to
// UTF-16LE behind a byte order mark, the way "Windows Registry Editor
// Version 5.00" files are written, so mutations reach that parse too.
//
// Properties: a refused file changes nothing in the registry (a checked
// file the registry then refuses leaves it empty); a loaded file saved in
// its own style (which only a single-byte file may refuse) loads again as
// the same registry, and saves to the same bytes once more.
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "win32api/MemRegistry.h"

namespace glint::win32 {
namespace {

using fuzz::Check;

// What the registry holds when a file arrives.
constexpr std::string_view kBefore =
    "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brackenware\\Glint Monitor Expert]\r\n"
    "\"Font\"=\"Arial\"\r\n\"Size\"=dword:0000000a\r\n";

std::string Widened(std::string_view bytes) {
  std::string wide = "\xFF\xFE";
  for (char c : bytes) wide.append({c, '\0'});
  return wide;
}

}  // namespace
}  // namespace glint::win32

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace glint::win32;
  if (size == 0) return 0;
  const std::string_view rest = glint::fuzz::Bytes(data + 1, size - 1);
  const std::string file = data[0] & 1 ? Widened(rest) : std::string(rest);

  static const std::string empty = [] {
    MemRegistryReset();
    return MemRegistryExport();
  }();
  Check(MemRegistryImport(kBefore), "the starting registry loads");
  const std::string before = MemRegistryExport();
  std::string error;
  TRegFileStyle style;
  if (!MemRegistryImport(file, &error, &style)) {
    Check(!error.empty(), "a refused file says why");
    const bool refusedByRegistry = error.find("the registry refused it") != std::string::npos;
    Check(MemRegistryExport() == (refusedByRegistry ? empty : before),
          "a refused file changes nothing");
    return 0;
  }
  const std::string loaded = MemRegistryExport();
  std::string saved, again;
  if (!MemRegistryExport(style, &saved, &error)) {
    Check(style.Encoding == TRegEncoding::Ansi, "only a single-byte file can refuse a save");
    return 0;
  }
  TRegFileStyle reloaded;
  Check(MemRegistryImport(saved, &error, &reloaded), "a saved registry file loads again");
  Check(MemRegistryExport() == loaded, "a saved file loads as the same registry");
  Check(MemRegistryExport(reloaded, &again) && again == saved,
        "a reloaded file saves to the same bytes");
  return 0;
}
