// help/writer/hlpwrite.cpp: hlpwrite, the help compiler of the Glint kit: turns
// a plain-text help source into a WinHelp 3.1 help file. It runs on the build
// host in every build, the Windows cross builds included.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "help/writer/HelpSource.h"
#include "help/writer/HlpWriter.h"
#include "rtl/SafeFile.h"

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
    "is left as it was. OUTPUT must be a regular file (or not exist yet) other than\n"
    "SOURCE; a link there is followed and the file it names replaced.\n"
    "Exit status: 0 written, 1 source or file error, 2 usage.\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "hlpwrite: %s\n", message.c_str());
  return 1;
}

// The whole file, or nothing when it cannot be read (a directory reads as an error).
std::optional<std::string> ReadSource(const std::string& path) {
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return text;
  } catch (const std::ios_base::failure&) {  // libstdc++ throws on a read error
    return std::nullopt;
  }
}

int Run(const std::string& sourcePath, const std::string& outputPath) {
  std::error_code ignored;
  // Links and other names of the same file count: the source must survive the run.
  if (std::filesystem::equivalent(sourcePath, outputPath, ignored))
    return Fail(outputPath + " is the source itself; write the help file elsewhere");
  const std::optional<std::string> text = ReadSource(sourcePath);
  if (!text) return Fail("cannot read " + sourcePath);

  std::vector<std::uint8_t> bytes;
  try {
    bytes = glint::help::WriteHlp(glint::help::ParseHelpSource(*text));
  } catch (const glint::help::THelpSourceError& e) {
    return Fail(sourcePath + ":" + std::to_string(e.Line()) + ": " + e.Message());
  }

  // All written or nothing: a failed run leaves the old help file as it was. TSafeFile also
  // refuses to put a file where a directory or a device is.
  glint::TSafeFile file(outputPath);
  if (!file.Open() || !file.Write(bytes.data(), bytes.size()) || !file.Commit())
    return Fail(file.Error());
  return 0;
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
  try {
    return Run(argv[1], argv[2]);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
