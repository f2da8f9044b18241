#include "tests/support/ReportGenerator.h"

#include <algorithm>
#include <cstdio>

namespace glint {

namespace {

// A small counter-based generator: row k's text depends on the seed and k
// alone, so GeneratedRow needs no walk through the rows before it.
std::uint32_t Mix(std::uint32_t seed, std::uint32_t k, std::uint32_t salt) {
  std::uint32_t x = seed * 0x9E3779B9u ^ (k + 0x7F4A7C15u) * 0x85EBCA6Bu ^ salt * 0xC2B2AE35u;
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}

std::string UnitName(int unit) { return "Unit" + std::to_string(unit); }

constexpr const char* kClasses[] = {"TStringList", "TMemoryStream", "TList", "TBitmap",
                                    "TCollection"};
constexpr const char* kWords[] = {"Widget", "blue", "Customer record", "pending", "C:\\Temp"};

}  // namespace

TGeneratedRow GeneratedRow(const TReportShape& shape, int row) {
  const auto k = static_cast<std::uint32_t>(row);
  const std::uint32_t r = Mix(shape.Seed, k, 1);
  TGeneratedRow out;
  out.Unit = UnitName(static_cast<int>(r % static_cast<std::uint32_t>(std::max(shape.Units, 1))));
  out.Line = std::to_string(1 + Mix(shape.Seed, k, 2) % 9000);
  out.Bytes = std::to_string(4 * (1 + Mix(shape.Seed, k, 3) % 4096));
  switch (Mix(shape.Seed, k, 4) % 3) {
    case 0:
      out.Contents = std::string("o: ") + kClasses[Mix(shape.Seed, k, 5) % 5];
      break;
    case 1:
      out.Contents = std::string("s: ") + kWords[Mix(shape.Seed, k, 5) % 5];
      break;
    default: {
      out.Contents = "m:";
      char hex[4];
      for (std::uint32_t i = 0, n = 4 + Mix(shape.Seed, k, 5) % 8; i < n; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", Mix(shape.Seed, k, 6 + i) & 0xFF);
        out.Contents += hex;
      }
    }
  }
  return out;
}

std::string GenerateReport(const TReportShape& shape) {
  const std::string eol = shape.LineEnd;
  std::string text;
  text.reserve(static_cast<std::size_t>(shape.Rows) * 48 + 4096);
  for (const char* line :
       {"Report on     : C:\\Projects\\Generated\\Generated.exe",
        "------------------------------------------------------------",
        "Created at : 08.12.2026 14:31:07", "", "Peak  : 184300 pointers",
        "Peak memory: 20156200 bytes", "", "Leaked allocations (unit, line, size, contents):",
        "------------------------------------------------------------"})
    text.append(line).append(eol);
  for (int row = 1; row <= shape.Rows; ++row) {
    const TGeneratedRow r = GeneratedRow(shape, row);
    text.append(r.Unit).append(" ").append(r.Line).append(" ").append(r.Bytes).append(" ");
    text.append(r.Contents).append(eol);
    if (shape.DetailEvery > 0 && row % shape.DetailEvery == 0) {
      for (int d = 0; d < shape.DetailLines; ++d) {
        const auto k = static_cast<std::uint32_t>(row * 16 + d);
        text.append(" ")
            .append(UnitName(static_cast<int>(
                Mix(shape.Seed, k, 7) % static_cast<std::uint32_t>(std::max(shape.Units, 1)))))
            .append(" ")
            .append(std::to_string(1 + Mix(shape.Seed, k, 8) % 9000))
            .append(eol);
      }
      text.append(eol);
    }
  }
  text.append(eol).append("Unit Map:").append(eol);
  for (int unit = 0; unit < shape.Units; ++unit)
    text.append(UnitName(unit))
        .append(" C:\\Projects\\Generated\\")
        .append(UnitName(unit))
        .append(".pas")
        .append(eol);
  return text;
}

int RowsForBytes(std::size_t bytes, const TReportShape& shape) {
  TReportShape none = shape, sample = shape;
  none.Rows = 0;
  sample.Rows = 1000;
  const std::size_t base = GenerateReport(none).size();
  const std::size_t per = (GenerateReport(sample).size() - base) / 1000;
  return bytes <= base ? 0 : static_cast<int>((bytes - base) / std::max<std::size_t>(per, 1));
}

}  // namespace glint
