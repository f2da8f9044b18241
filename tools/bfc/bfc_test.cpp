// Tests of the bfc program, run as a user would run it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "blowfish/Blowfish.h"

namespace glint {
namespace {

namespace fs = std::filesystem;

constexpr char kKeyHex[] = "00112233445566778899AABBCCDDEEFF";
constexpr char kIVHex[] = "0001020304050607";

struct TRun {
  int Status;
  std::string Out;
  std::string Err;
};

class Bfc : public testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() / ("bfc_test_" + std::to_string(std::random_device{}()));
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }

  std::string Path(const std::string& name) const { return (FDir / name).string(); }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void Write(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
  }

  // Runs bfc with `args` (shell words), standard input from `input` when given.
  TRun Run(const std::string& args, const std::string* input = nullptr) const {
    std::string command = std::string("'") + GLINT_BFC_PATH + "' " + args;
    if (input) {
      Write(Path("stdin"), *input);
      command += " < '" + Path("stdin") + "'";
    }
    command += " > '" + Path("stdout") + "' 2> '" + Path("stderr") + "'";
    const int status = std::system(command.c_str());
    return {WEXITSTATUS(status), Read(Path("stdout")), Read(Path("stderr"))};
  }

  fs::path FDir;
};

std::string RandomBytes(std::size_t size) {
  std::mt19937 random(static_cast<unsigned>(size));
  std::string s(size, '\0');
  for (auto& c : s) c = static_cast<char>(random());
  return s;
}

TEST_F(Bfc, FilesRoundTripInEveryMode) {
  const std::string plain = RandomBytes(10000);
  Write(Path("plain"), plain);
  for (const char* mode : {"ecb", "cbc", "cfb", "ofb"}) {
    SCOPED_TRACE(mode);
    const std::string keys =
        std::string("--mode ") + mode + " --key-hex " + kKeyHex + " --iv-hex " + kIVHex + " ";
    ASSERT_EQ(Run("encrypt " + keys + Path("plain") + " " + Path("cipher")).Status, 0);
    EXPECT_EQ(Read(Path("cipher")).size(), 10000u + 8u);
    // Through standard input and output as well.
    const std::string cipher = Read(Path("cipher"));
    const TRun piped = Run("decrypt " + keys, &cipher);
    ASSERT_EQ(piped.Status, 0) << piped.Err;
    EXPECT_EQ(piped.Out, plain);
    ASSERT_EQ(Run("decrypt " + keys + Path("cipher") + " " + Path("cipher")).Status, 0);
    EXPECT_EQ(Read(Path("cipher")), plain);
  }
}

TEST_F(Bfc, FailedDecryptionWritesNothing) {
  Write(Path("target"), "precious");
  Write(Path("junk"), RandomBytes(64));
  const std::string keys = std::string("--key-hex ") + kKeyHex + " --iv-hex " + kIVHex + " ";
  TRun run = Run("decrypt " + keys + Path("junk") + " " + Path("target"));
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Err.find("not a valid ciphertext"), std::string::npos) << run.Err;
  EXPECT_NE(run.Err.find("-3"), std::string::npos);
  EXPECT_EQ(Read(Path("target")), "precious");
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
  EXPECT_EQ(Read(Path("target")), "precious");
}

// OUT.bfc-partial was once the fixed temporary, opened with truncation, so a link of that
// name had bfc write through it into another file. Whatever has that name stays as it is.
TEST_F(Bfc, AFileOrLinkAtTheOldTemporaryNameIsLeftAlone) {
  const std::string keys = std::string("--key-hex ") + kKeyHex + " --iv-hex " + kIVHex + " ";
  const std::string plain = RandomBytes(100);
  const std::string junk = RandomBytes(64);
  const std::string partial = Path("out.bfc-partial");
  Write(Path("victim"), "victim's data");
  for (const bool link : {true, false}) {
    SCOPED_TRACE(link ? "link" : "file");
    fs::remove(partial);
    if (link) {
      fs::create_symlink(Path("victim"), partial);
    } else {
      Write(partial, "someone's partial file");
    }
    EXPECT_EQ(Run("decrypt " + keys + "- " + Path("out"), &junk).Status, 1);
    const TRun run = Run("encrypt " + keys + "- " + Path("out"), &plain);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Read(Path("out")).size(), 104u);
    EXPECT_EQ(Read(Path("victim")), "victim's data");
    EXPECT_EQ(fs::is_symlink(partial), link);
    if (!link) {
      EXPECT_EQ(Read(partial), "someone's partial file");
    }
  }
}

TEST_F(Bfc, StringsAndMacAgreeWithTheComponent) {
  TRun run = Run(std::string("encrypt --key secret --iv salt --string 'hello, world'"));
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
  Write(Path("data"), data);
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
  TRun run = Run("encrypt --key k --mode cfb");
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
