#include "rtl/Files.h"

#include <filesystem>
#include <limits>
#include <system_error>

#include "rtl/SysUtils.h"

namespace glint {

std::string ReadWholeFile(const std::string& fileName) {
  TFilePtr f(std::fopen(fileName.c_str(), "rb"));
  if (!f) throw EInOutError(Format("Cannot open file \"%s\"", fileName.c_str()));
  std::string bytes;
  // Made as large as the file at once, so the text is not copied as it
  // grows; what a folder or a device reports as its size means nothing.
  std::error_code error;
  if (std::filesystem::is_regular_file(fileName, error)) {
    const auto size = std::filesystem::file_size(fileName, error);
    if (!error && size < std::numeric_limits<std::uint32_t>::max())
      bytes.reserve(static_cast<std::size_t>(size));
  }
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) bytes.append(buffer, got);
  if (std::ferror(f.get())) throw EInOutError(Format("Cannot read file \"%s\"", fileName.c_str()));
  return bytes;
}

}  // namespace glint
