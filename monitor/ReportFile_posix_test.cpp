// File/Save As on POSIX: a real write error halfway through the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "monitor/MonitorFormTest.h"
#include "rtl/FileSizeLimitTestUtil.h"
#include "tests/support/TestSupport.h"

namespace glint {
namespace {

namespace fs = std::filesystem;

using ReportFilePosix = TMonitorFormTest;

// A file size limit makes write(2) fail with EFBIG past 4 KB: a save that
// wrote over the old file in place would leave it cut short.
TEST_F(ReportFilePosix, SaveThatFailsHalfwayLeavesTheOldFileWhole) {
  const test_support::TTempDir dir("glint-save-");
  const fs::path target = dir / "report.gln";
  std::ofstream(target, std::ios::binary) << "old report\r\n";
  std::string text = test_support::BareReport("");
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
  EXPECT_EQ(test_support::ReadFile(target), "old report\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1);
}

}  // namespace
}  // namespace glint
