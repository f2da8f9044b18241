// Interoperability with the openssl command: random data, keys and IVs, both directions,
// CBC and ECB files byte-identical. Blowfish sits in OpenSSL 3's legacy provider.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "blowfish/Blowfish.h"
#include "blowfish/BlowfishTestUtil.h"
#include "tests/support/TestSupport.h"

namespace glint {
namespace {

namespace fs = std::filesystem;
using testutil::ToHex;

using test_support::ReadFile;
using test_support::WriteFile;

// The provider options this openssl needs for Blowfish, or "none" when it cannot do Blowfish
// at all.
std::string OpensslBlowfishOptions(const fs::path& dir) {
  static const std::string options = [&] {
    if (std::system("openssl version > /dev/null 2>&1") != 0) return std::string("none");
    const std::string probe =
        "echo x | openssl enc -bf-cbc -K 00112233445566778899AABBCCDDEEFF "
        "-iv 0000000000000000 -nosalt ";
    const std::string sink = " > '" + (dir / "probe").string() + "' 2>&1";
    if (std::system((probe + "-provider legacy -provider default" + sink).c_str()) == 0) {
      return std::string("-provider legacy -provider default");
    }
    if (std::system((probe + sink).c_str()) == 0) return std::string();
    return std::string("none");
  }();
  return options;
}

class BlowfishOpenssl : public test_support::TTempDirTest {
 protected:
  void SetUp() override {
    FOptions = OpensslBlowfishOptions(FDir);
    ASSERT_NE(FOptions, "none") << "the openssl command is missing or cannot do Blowfish "
                                   "(it needs OpenSSL's legacy provider)";
  }

  bool Openssl(bool encrypt, TCipherMode mode, const std::string& keyHex, const std::string& ivHex,
               const fs::path& in, const fs::path& out) const {
    std::string command = std::string("openssl enc ") + (encrypt ? "-e" : "-d") +
                          (mode == CBC ? " -bf-cbc" : " -bf-ecb") + " -K " + keyHex +
                          (mode == CBC ? " -iv " + ivHex : "") + " -nosalt " + FOptions + " -in '" +
                          in.string() + "' -out '" + out.string() + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
  }

  std::string FOptions;
};

TEST_F(BlowfishOpenssl, FilesMatchOpensslBothWays) {
  std::mt19937 random(20);
  const std::size_t sizes[] = {0, 1, 7, 8, 9, 4095, 4096, 4097, 10000, 65536 + 3};
  for (TCipherMode mode : {CBC, ECB}) {
    for (std::size_t size : sizes) {
      SCOPED_TRACE(testing::Message() << int{mode} << " " << size);
      // OpenSSL's Blowfish takes a 16-byte key from -K; shorter hex keys are zero-padded.
      std::uint8_t key[16], iv[8];
      for (auto& b : key) b = static_cast<std::uint8_t>(random());
      for (auto& b : iv) b = static_cast<std::uint8_t>(random());
      std::string plain(size, '\0');
      for (auto& c : plain) c = static_cast<char>(random());
      WriteFile(FDir / "plain", plain);

      TBlowfish bf;
      bf.SetCipherMode(mode);
      ASSERT_EQ(bf.InitialiseByte(key, 16), kBfOk);
      bf.LoadIVByte(iv, 8);
      ASSERT_EQ(bf.EncryptFile((FDir / "plain").string(), (FDir / "ours").string()), kBfOk);
      ASSERT_TRUE(
          Openssl(true, mode, ToHex(key, 16), ToHex(iv, 8), FDir / "plain", FDir / "theirs"));
      EXPECT_EQ(ReadFile(FDir / "ours"), ReadFile(FDir / "theirs"));

      ASSERT_TRUE(Openssl(false, mode, ToHex(key, 16), ToHex(iv, 8), FDir / "ours", FDir / "back"));
      EXPECT_EQ(ReadFile(FDir / "back"), plain);
      bf.LoadIVByte(iv, 8);
      ASSERT_EQ(bf.DecryptFile((FDir / "theirs").string(), (FDir / "mine").string()), kBfOk);
      EXPECT_EQ(ReadFile(FDir / "mine"), plain);
    }
  }
}

}  // namespace
}  // namespace glint
