// gen_report: writes a generated leak report, for the browser tests and
// benchmarks that drive the built tools on reports too large to keep.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/ReportGenerator.h"

int main(int argc, char** argv) {
  glint::TReportShape shape;
  const char* out = nullptr;
  for (int i = 1; i < argc; ++i) {
    const bool value = i + 1 < argc;
    if (std::strcmp(argv[i], "--rows") == 0 && value) {
      shape.Rows = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--seed") == 0 && value) {
      shape.Seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (std::strcmp(argv[i], "--detail-every") == 0 && value) {
      shape.DetailEvery = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--units") == 0 && value) {
      shape.Units = std::atoi(argv[++i]);
    } else if (argv[i][0] != '-' && !out) {
      out = argv[i];
    } else {
      out = nullptr;
      break;
    }
  }
  if (!out || shape.Rows < 0) {
    std::fprintf(stderr,
                 "usage: gen_report [--rows N] [--seed S] [--detail-every K] [--units U] OUT\n");
    return 2;
  }
  const std::string text = glint::GenerateReport(shape);
  std::FILE* file = std::fopen(out, "wb");
  const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (!file || std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "gen_report: cannot write %s\n", out);
    return 1;
  }
  return 0;
}
