// show_memory [GLINT]: the peak resident set of `glint show --json --sort
// Bytes` on a generated report of 1,000,000 rows, above that of an idle
// run (`glint --help`), against the report's bytes. GLINT defaults to the
// glint built beside this program. Exits 1 when a run fails.
//
// Each run is a child, its peak taken from wait4. A child's peak also counts
// what its parent held when it was started, so the report is generated in
// a child of its own and this process stays small.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/ReportGenerator.h"

extern char** environ;

namespace {

constexpr int kRows = 1000000;

// Writes the report in a child, so its text never counts in this process.
bool GenerateFile(const std::string& fileName) {
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    glint::TReportShape shape;
    shape.Rows = kRows;
    std::ofstream out(fileName, std::ios::binary);
    out << glint::GenerateReport(shape);
    out.close();
    _exit(out ? 0 : 1);
  }
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The peak resident set of the program run with `args`, its output thrown
// away, in bytes; -1 when it could not be started or did not exit 0.
long long PeakOf(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return -1;
  return static_cast<long long>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
}

double MiB(long long bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
  const std::string glint = argc > 1 ? argv[1] : GLINT_EXE;
  const std::string file = (std::filesystem::temp_directory_path() /
                            ("glint-show-memory-" + std::to_string(getpid()) + ".gln"))
                               .string();
  if (!GenerateFile(file)) {
    std::fprintf(stderr, "show_memory: cannot write %s\n", file.c_str());
    return 1;
  }
  const long long reportBytes = static_cast<long long>(std::filesystem::file_size(file));
  const long long idle = PeakOf({glint, "--help"});
  const long long shown = PeakOf({glint, "show", "--json", "--sort", "Bytes", file});
  std::filesystem::remove(file);
  if (idle < 0 || shown < 0) {
    std::fprintf(stderr, "show_memory: %s failed\n", glint.c_str());
    return 1;
  }
  std::printf(
      "glint show --json --sort Bytes of a %d-row report (%.1f MiB): peak resident set %.1f "
      "MiB, idle %.1f MiB; %.2f times the report above idle (aim: at most 3)\n",
      kRows, MiB(reportBytes), MiB(shown), MiB(idle),
      static_cast<double>(shown - idle) / static_cast<double>(reportBytes));
  return 0;
}
