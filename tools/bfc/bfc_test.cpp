// Tests of the bfc program, run as a user would run it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "blowfish/Blowfish.h"
#include "tests/support/RunProgram_posix.h"

namespace glint {
namespace {

namespace fs = std::filesystem;

constexpr char kKeyHex[] = "00112233445566778899AABBCCDDEEFF";
constexpr char kIVHex[] = "0001020304050607";

using test_support::ReadFile;
using test_support::TRunResult;
using test_support::WriteFile;

class Bfc : public test_support::TTempDirTest {
 protected:
  // Runs bfc with `args` (shell words), standard input from `input` when given.
  TRunResult Run(const std::string& args, const std::string* input = nullptr) const {
    return test_support::RunProgram(std::string("'") + GLINT_BFC_PATH + "' " + args, FDir, input);
  }
};

std::string RandomBytes(std::size_t size) {
  std::mt19937 random(static_cast<unsigned>(size));
  std::string s(size, '\0');
  for (auto& c : s) c = static_cast<char>(random());
  return s;
}

TEST_F(Bfc, FilesRoundTripInEveryMode) {
  const std::string plain = RandomBytes(10000);
  WriteFile(Path("plain"), plain);
  for (const char* mode : {"ecb", "cbc", "cfb", "ofb"}) {
    SCOPED_TRACE(mode);
    const std::string keys =
        std::string("--mode ") + mode + " --key-hex " + kKeyHex + " --iv-hex " + kIVHex + " ";
    ASSERT_EQ(Run("encrypt " + keys + Path("plain") + " " + Path("cipher")).Status, 0);
    EXPECT_EQ(ReadFile(Path("cipher")).size(), 10000u + 8u);
    // Through standard input and output as well.
    const std::string cipher = ReadFile(Path("cipher"));
    const TRunResult piped = Run("decrypt " + keys, &cipher);
    ASSERT_EQ(piped.Status, 0) << piped.Err;
    EXPECT_EQ(piped.Out, plain);
    ASSERT_EQ(Run("decrypt " + keys + Path("cipher") + " " + Path("cipher")).Status, 0);
    EXPECT_EQ(ReadFile(Path("cipher")), plain);
  }
}

TEST_F(Bfc, FailedDecryptionWritesNothing) {
  WriteFile(Path("target"), "precious");
  WriteFile(Path("junk"), RandomBytes(64));
  const std::string keys = std::string("--key-hex ") + kKeyHex + " --iv-hex " + kIVHex + " ";
  TRunResult run = Run("decrypt " + keys + Path("junk") + " " + Path("target"));
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Err.find("not a valid ciphertext"), std::string::npos) << run.Err;
  EXPECT_NE(run.Err.find("-3"), std::string::npos);
  EXPECT_EQ(ReadFile(Path("target")), "precious");
  run = Run("decrypt " + keys + Path("junk"));
  EXPECT_EQ(run.Status, 1);
  EXPECT_TRUE(run.Out.empty());
  const std::string junk = RandomBytes(64);
  run = Run("decrypt " + keys, &junk);
  EXPECT_EQ(run.Status, 1);
  EXPECT_TRUE(run.Out.empty());
  run = Run("decrypt " + keys + Path("missing") + " " + Path("target"));
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Err.find("missing"), std::string::npos) << run.Err;
  EXPECT_EQ(ReadFile(Path("target")), "precious");
}

// OUT.bfc-partial was once the fixed temporary, opened with truncation, so a link of that
// name had bfc write through it into another file. Whatever has that name stays as it is.
TEST_F(Bfc, AFileOrLinkAtTheOldTemporaryNameIsLeftAlone) {
  const std::string keys = std::string("--key-hex ") + kKeyHex + " --iv-hex " + kIVHex + " ";
  const std::string plain = RandomBytes(100);
  const std::string junk = RandomBytes(64);
  const std::string partial = Path("out.bfc-partial");
  for (const bool link : {true, false}) {
    SCOPED_TRACE(link ? "link" : "file");
    fs::remove(partial);
    if (link) {
      test_support::PlantLinkToVictim(FDir, partial);
    } else {
      WriteFile(partial, "someone's partial file");
    }
    EXPECT_EQ(Run("decrypt " + keys + "- " + Path("out"), &junk).Status, 1);
    const TRunResult run = Run("encrypt " + keys + "- " + Path("out"), &plain);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadFile(Path("out")).size(), 104u);
    EXPECT_EQ(ReadFile(Path("victim")), test_support::kVictimData);
    EXPECT_EQ(fs::is_symlink(partial), link);
    if (!link) {
      EXPECT_EQ(ReadFile(partial), "someone's partial file");
    }
  }
}

TEST_F(Bfc, StringsAndMacAgreeWithTheComponent) {
  TRunResult run = Run(std::string("encrypt --key secret --iv salt --string 'hello, world'"));
  ASSERT_EQ(run.Status, 0) << run.Err;
  TBlowfish bf;
  bf.SetCipherMode(CBC);
  ASSERT_EQ(bf.InitialiseString("secret"), kBfOk);
  bf.LoadIVString("salt");
  std::string expected;
  ASSERT_EQ(bf.EncryptString("hello, world", expected), kBfOk);
  EXPECT_EQ(run.Out, expected + "\n");
  run = Run("decrypt --key secret --iv salt --string '" + expected + "'");
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, "hello, world\n");
  EXPECT_EQ(Run("decrypt --key wrong --iv salt --string '" + expected + "'").Status, 1);

  const std::string data = RandomBytes(3000);
  WriteFile(Path("data"), data);
  run = Run("mac --key secret --iv salt " + Path("data"));
  ASSERT_EQ(run.Status, 0) << run.Err;
  std::string cipher, mac;
  bf.LoadIVString("salt");
  bf.SetStringMode(smNormal);
  ASSERT_EQ(bf.EncryptString(data, cipher), kBfOk);
  ASSERT_EQ(bf.CBCMACString(mac), kBfOk);
  EXPECT_EQ(run.Out, mac + "\n");
}

TEST_F(Bfc, UsageErrorsExplainThemselves) {
  EXPECT_EQ(Run("--help").Status, 0);
  EXPECT_NE(Run("--help").Out.find("bfc encrypt"), std::string::npos);
  TRunResult run = Run("encrypt --key k --mode cfb");
  EXPECT_EQ(run.Status, 2);
  EXPECT_NE(run.Err.find("needs an IV"), std::string::npos) << run.Err;
  EXPECT_EQ(Run("encrypt --iv x").Status, 2);
  EXPECT_EQ(Run("encrypt --key-hex 0g --mode ecb").Status, 2);
  EXPECT_EQ(Run("scramble --key k").Status, 2);
  run = Run("encrypt --key '' --mode ecb --string x");
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Err.find("-2"), std::string::npos) << run.Err;
}

}  // namespace
}  // namespace glint
