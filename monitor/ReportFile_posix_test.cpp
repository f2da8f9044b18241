// File/Save As on POSIX: a real write error halfway through the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "monitor/MonitorFormTest.h"
#include "rtl/FileSizeLimitTestUtil.h"

namespace glint {
namespace {

namespace fs = std::filesystem;

using ReportFilePosix = TMonitorFormTest;

// A file size limit makes write(2) fail with EFBIG past 4 KB: a save that
// wrote over the old file in place would leave it cut short.
TEST_F(ReportFilePosix, SaveThatFailsHalfwayLeavesTheOldFileWhole) {
  const fs::path dir =
      fs::temp_directory_path() / ("glint-save-" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  const fs::path target = dir / "report.gln";
  std::ofstream(target, std::ios::binary) << "old report\r\n";
  std::string text = "Report on     : x\n\n\n\n\n\n\n\n\n";
  for (int row = 0; row < 2000; ++row) text += "Unit " + std::to_string(row) + " 16 s: data\n";
  Send(text);
  std::string error;
  {
    const TFileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Active());
    Backend.QueueFileName(target.string());
    try {
      Form->SaveAs1->Click();
    } catch (const EInOutError& e) {
      error = e.Message();
    }
  }
  EXPECT_NE(error.find(target.string()), std::string::npos) << error;
  std::ifstream in(target, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old report\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace glint
