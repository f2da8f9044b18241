// help/writer/hlpwrite.cpp: hlpwrite, the help compiler of the Glint kit: turns
// a plain-text help source into a WinHelp 3.1 help file. It runs on the build
// host in every build, the Windows cross builds included.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>

#include "help/writer/HelpSource.h"
#include "help/writer/HlpWriter.h"

namespace {

constexpr char kHelp[] =
    "usage: hlpwrite SOURCE OUTPUT\n"
    "\n"
    "Writes the WinHelp help file OUTPUT (.hlp, the format of WinHelp 3.1, also read\n"
    "by WinHelp 4.0 and Wine's winhlp32) from the help source SOURCE, a text file\n"
    "whose format help/Glint.txt describes at its top. The first topic is the\n"
    "contents page.\n"
    "\n"
    "An error in the source is reported as SOURCE:LINE: what is wrong, and OUTPUT\n"
    "is left as it was. Exit status: 0 written, 1 source or file error, 2 usage.\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "hlpwrite: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (argc != 3) {
    std::fputs("hlpwrite: expected SOURCE and OUTPUT (see hlpwrite --help)\n", stderr);
    return 2;
  }
  const std::string sourcePath = argv[1];
  const std::filesystem::path outputPath = argv[2];

  std::ifstream in(sourcePath, std::ios::binary);
  if (!in) return Fail("cannot read " + sourcePath);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return Fail("cannot read " + sourcePath);

  std::vector<std::uint8_t> bytes;
  try {
    bytes = glint::help::WriteHlp(glint::help::ParseHelpSource(text));
  } catch (const glint::help::THelpSourceError& e) {
    return Fail(sourcePath + ":" + std::to_string(e.Line()) + ": " + e.Message());
  }

  // Written beside the target and renamed over it, so a failed run leaves
  // no half-written help file behind.
  std::filesystem::path temporary = outputPath;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return Fail("cannot write " + temporary.string());
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, outputPath, error);
  if (error) return Fail("cannot write " + outputPath.string() + ": " + error.message());
  return 0;
}
