#include "rtl/Files.h"

#include <gtest/gtest.h>

#include <string>

#include "rtl/SysUtils.h"
#include "tests/support/TestSupport.h"

namespace glint {
namespace {

using Files = test_support::TTempDirTest;

// More than one read's worth, with the bytes a text reader would change.
TEST_F(Files, ReadWholeFileKeepsEveryByteAndNamesTheFileItCannotRead) {
  std::string bytes(200000, 'x');
  bytes[0] = '\0';
  bytes[70000] = '\r';
  bytes[199999] = '\x1A';
  test_support::WriteFile(FDir / "a.bin", bytes);
  EXPECT_EQ(ReadWholeFile((FDir / "a.bin").string()), bytes);
  test_support::WriteFile(FDir / "empty", "");
  EXPECT_EQ(ReadWholeFile((FDir / "empty").string()), "");

  const std::string missing = (FDir / "missing").string();
  try {
    ReadWholeFile(missing);
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file \"" + missing + "\"");
  }
  // A folder opens on POSIX but cannot be read; on Windows it does not open.
  EXPECT_THROW(ReadWholeFile(FDir.string()), EInOutError);
}

}  // namespace
}  // namespace glint
