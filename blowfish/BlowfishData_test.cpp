// Tests of the data operations: strings and their encoding, streams and files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <streambuf>

#include "blowfish/Blowfish.h"
#include "blowfish/BlowfishTestUtil.h"
#include "tests/support/TestSupport.h"

namespace glint {
namespace {

namespace fs = std::filesystem;

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string s(size, '\0');
  for (auto& c : s) c = static_cast<char>(random());
  return s;
}

void Prepare(TBlowfish& bf, TCipherMode mode, TStringMode stringMode = smEncode) {
  bf.SetCipherMode(mode);
  bf.SetStringMode(stringMode);
  ASSERT_EQ(bf.InitialiseString("data key"), kBfOk);
  bf.LoadIVString("data iv!");
}

using test_support::ReadFile;
using test_support::WriteFile;

// An input stream that cannot seek, like a pipe.
class TPipeBuf : public std::streambuf {
 public:
  explicit TPipeBuf(std::string data) : FData(std::move(data)) {
    setg(FData.data(), FData.data(), FData.data() + FData.size());
  }

 private:
  std::string FData;
};

TEST(BlowfishData, StringsRoundTripInEveryMode) {
  for (TCipherMode mode : {ECB, CBC, CFB, OFB}) {
    for (TStringMode stringMode : {smEncode, smNormal}) {
      for (std::size_t size : {0u, 1u, 7u, 8u, 9u, 16u, 100u}) {
        SCOPED_TRACE(testing::Message() << int{mode} << " " << int{stringMode} << " " << size);
        TBlowfish enc, dec;
        Prepare(enc, mode, stringMode);
        Prepare(dec, mode, stringMode);
        const std::string plain = RandomBytes(size, static_cast<unsigned>(size));
        std::string cipher, back;
        ASSERT_EQ(enc.EncryptString(plain, cipher), kBfOk);
        std::string raw = cipher;
        if (stringMode == smEncode) {
          ASSERT_EQ(TBlowfish::DecodeString(cipher, raw), kBfOk);
          for (char c : cipher)
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-');
        }
        EXPECT_EQ(raw.size(), (size / 8 + 1) * 8);  // always 1 to 8 pad bytes
        ASSERT_EQ(dec.DecryptString(cipher, back), kBfOk);
        EXPECT_EQ(back, plain);
      }
    }
  }
}

TEST(BlowfishData, StringCallsChainWithoutReloadingTheIV) {
  TBlowfish bf, reference;
  Prepare(bf, CBC, smNormal);
  Prepare(reference, CBC, smNormal);
  std::string first, second, both;
  ASSERT_EQ(bf.EncryptString("first", first), kBfOk);
  ASSERT_EQ(bf.EncryptString("second", second), kBfOk);
  // The second call starts from the last cipher block of the first.
  reference.LoadIVString(first.substr(first.size() - 8));
  ASSERT_EQ(reference.EncryptString("second", both), kBfOk);
  EXPECT_EQ(second, both);
}

TEST(BlowfishData, EncodingUsesItsAlphabetInOrder) {
  EXPECT_EQ(TBlowfish::EncodeString(std::string("\x00\x10\x83", 3)), "0123");
  EXPECT_EQ(TBlowfish::EncodeString("\xFF\xFF\xFF"), "----");
  EXPECT_EQ(TBlowfish::EncodeString(std::string("\xFB\xEF\xBE\x28\xA2", 5)), "++++AA8");
  for (std::size_t size = 0; size < 10; ++size) {
    const std::string data = RandomBytes(size, 7);
    std::string back;
    ASSERT_EQ(TBlowfish::DecodeString(TBlowfish::EncodeString(data), back), kBfOk);
    EXPECT_EQ(back, data);
  }
}

TEST(BlowfishData, DecodeRejectsTextItCannotHaveMade) {
  std::string out = "kept";
  EXPECT_EQ(TBlowfish::DecodeString("abc/", out), kBfInvalidData);   // outside the table
  EXPECT_EQ(TBlowfish::DecodeString("abcd ", out), kBfInvalidData);  // a length it never makes
  EXPECT_EQ(TBlowfish::DecodeString("0G", out), kBfOk);
  EXPECT_EQ(out, "\x01");
  EXPECT_EQ(TBlowfish::DecodeString("0A", out), kBfInvalidData);  // stray low bits
  EXPECT_EQ(TBlowfish::DecodeString("ab=", out), kBfInvalidData);
  std::string keep = "kept";
  EXPECT_EQ(TBlowfish::DecodeString("a", keep), kBfInvalidData);
  EXPECT_EQ(keep, "kept");
}

// A wrong key or damaged data must not come back as if it were the plain text, and the
// failed call must leave the chain where it was.
TEST(BlowfishData, BadCipherTextYieldsNothingAndKeepsTheChain) {
  for (TCipherMode mode : {ECB, CBC, CFB, OFB}) {
    SCOPED_TRACE(static_cast<int>(mode));
    TBlowfish enc, dec;
    Prepare(enc, mode);
    Prepare(dec, mode);
    std::string cipher, back = "untouched";
    ASSERT_EQ(enc.EncryptString("attack at dawn", cipher), kBfOk);
    EXPECT_EQ(dec.DecryptString(cipher.substr(0, cipher.size() - 2), back), kBfInvalidData);
    EXPECT_EQ(dec.DecryptString(cipher + "*", back), kBfInvalidData);
    dec.SetStringMode(smNormal);
    EXPECT_EQ(dec.DecryptString("", back), kBfInvalidData);
    EXPECT_EQ(dec.DecryptString("12345", back), kBfInvalidData);
    dec.SetStringMode(smEncode);
    std::string wrong;
    TBlowfish other;
    Prepare(other, mode);
    ASSERT_EQ(other.InitialiseString("another key"), kBfOk);
    // With a wrong key the padding fails to check out in all but rare cases.
    int failures = 0;
    for (int i = 0; i < 20; ++i) {
      other.LoadIVString("data iv!");
      failures += other.DecryptString(cipher, wrong) == kBfInvalidData;
    }
    EXPECT_GE(failures, 15);
    EXPECT_EQ(back, "untouched");
    ASSERT_EQ(dec.DecryptString(cipher, back), kBfOk);
    EXPECT_EQ(back, "attack at dawn");
  }
}

TEST(BlowfishData, StreamsMatchTheStringLayoutAcrossChunkEdges) {
  for (TCipherMode mode : {ECB, CBC, CFB, OFB}) {
    for (std::size_t size : {0u, 5u, 4095u, 4096u, 4097u, 4104u, 8192u, 12345u}) {
      SCOPED_TRACE(testing::Message() << int{mode} << " " << size);
      const std::string plain = RandomBytes(size, 11);
      TBlowfish streamer, stringer, dec;
      Prepare(streamer, mode, smNormal);
      Prepare(stringer, mode, smNormal);
      Prepare(dec, mode, smNormal);
      std::istringstream in(plain);
      std::ostringstream out;
      ASSERT_EQ(streamer.EncryptStream(in, out), kBfOk);
      std::string expected;
      ASSERT_EQ(stringer.EncryptString(plain, expected), kBfOk);
      ASSERT_EQ(out.str(), expected);
      std::istringstream cipherIn(out.str());
      std::ostringstream plainOut;
      ASSERT_EQ(dec.DecryptStream(cipherIn, plainOut), kBfOk);
      EXPECT_EQ(plainOut.str(), plain);
    }
  }
}

TEST(BlowfishData, FailedStreamDecryptionWritesNothing) {
  for (TCipherMode mode : {ECB, CBC, CFB, OFB}) {
    SCOPED_TRACE(static_cast<int>(mode));
    TBlowfish enc;
    Prepare(enc, mode, smNormal);
    std::string cipher;
    ASSERT_EQ(enc.EncryptString(RandomBytes(9000, 3), cipher), kBfOk);
    cipher.back() ^= 0x55;  // damages the padding of the last block
    for (bool seekable : {true, false}) {
      TBlowfish dec;
      Prepare(dec, mode, smNormal);
      std::ostringstream out;
      TPipeBuf pipe(cipher);
      std::istringstream file(cipher);
      std::istream pipeIn(&pipe);
      EXPECT_EQ(dec.DecryptStream(seekable ? static_cast<std::istream&>(file) : pipeIn, out),
                kBfInvalidData);
      EXPECT_TRUE(out.str().empty());
    }
  }
  TBlowfish dec;
  Prepare(dec, CBC, smNormal);
  std::istringstream odd("123456789");
  std::ostringstream out;
  EXPECT_EQ(dec.DecryptStream(odd, out), kBfInvalidData);
}

TEST(BlowfishData, NonSeekableStreamsDecrypt) {
  TBlowfish enc, dec;
  Prepare(enc, CFB, smNormal);
  Prepare(dec, CFB, smNormal);
  const std::string plain = RandomBytes(5000, 4);
  std::string cipher;
  ASSERT_EQ(enc.EncryptString(plain, cipher), kBfOk);
  TPipeBuf pipe(cipher);
  std::istream in(&pipe);
  std::ostringstream out;
  ASSERT_EQ(dec.DecryptStream(in, out), kBfOk);
  EXPECT_EQ(out.str(), plain);
}

class BlowfishFiles : public test_support::TTempDirTest {
 protected:
  std::size_t FileCount() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(FDir), {}));
  }
};

TEST_F(BlowfishFiles, RoundTripInPlaceAndToAnotherName) {
  const std::string plain = RandomBytes(70000, 8);
  WriteFile(Path("plain"), plain);
  TBlowfish enc, dec, reference;
  Prepare(enc, CBC);
  Prepare(dec, CBC);
  Prepare(reference, CBC, smNormal);
  ASSERT_EQ(enc.EncryptFile(Path("plain"), Path("cipher")), kBfOk);
  std::string expected;
  ASSERT_EQ(reference.EncryptString(plain, expected), kBfOk);
  EXPECT_EQ(ReadFile(Path("cipher")), expected);
  ASSERT_EQ(dec.DecryptFile(Path("cipher"), Path("cipher")), kBfOk);  // same file
  EXPECT_EQ(ReadFile(Path("cipher")), plain);
  EXPECT_EQ(FileCount(), 2u);  // no temporary left behind
}

// Final plain blocks whose padding is just valid or just not, through every padded path: a
// check that skips a pad byte or lets 0 or 9 pass, on any path, fails here.
TEST_F(BlowfishFiles, EveryPaddedPathChecksThePaddingAlike) {
  const struct {
    const char* what;
    std::string last;
    int plainSize;  // -1: invalid
  } kBlocks[] = {
      {"one pad byte", "abcdefg\x01", 15},
      {"a whole pad block", std::string(8, '\x08'), 8},
      {"two pad bytes", "abcdef\x02\x02", 14},
      {"pad 0", std::string("abcdefg\0", 8), -1},
      {"pad 9", std::string(8, '\x09'), -1},
      {"a wrong byte before the last", "abcdef\x01\x02", -1},
      {"a wrong first pad byte", "\x07" + std::string(7, '\x08'), -1},
  };
  for (TCipherMode mode : {ECB, CBC, CFB, OFB}) {
    for (const auto& b : kBlocks) {
      SCOPED_TRACE(testing::Message() << int{mode} << " " << b.what);
      // A first block of 9s would make a pad of 9 look whole to a check that reached it.
      const std::string plain = std::string(8, '\x09') + b.last;
      std::string cipher(plain.size(), '\0');
      TBlowfish enc;
      Prepare(enc, mode, smNormal);
      ASSERT_EQ(enc.EncryptBuffer(plain.data(), cipher.data(), plain.size()), kBfOk);
      const int expected = b.plainSize < 0 ? kBfInvalidData : kBfOk;
      const std::string want = b.plainSize < 0 ? "" : plain.substr(0, b.plainSize);
      TBlowfish dec;
      Prepare(dec, mode, smNormal);
      std::string out;
      EXPECT_EQ(dec.DecryptString(cipher, out), expected) << "string";
      EXPECT_EQ(out, want) << "string";
      for (bool seekable : {true, false}) {
        Prepare(dec, mode, smNormal);
        TPipeBuf pipe(cipher);
        std::istringstream file(cipher);
        std::istream pipeIn(&pipe);
        std::ostringstream streamOut;
        EXPECT_EQ(
            dec.DecryptStream(seekable ? static_cast<std::istream&>(file) : pipeIn, streamOut),
            expected)
            << "seekable " << seekable;
        EXPECT_EQ(streamOut.str(), want) << "seekable " << seekable;
      }
      WriteFile(Path("cipher"), cipher);
      Prepare(dec, mode, smNormal);
      EXPECT_EQ(dec.DecryptFile(Path("cipher"), Path("plain")), expected) << "file";
      EXPECT_EQ(ReadFile(Path("plain")), want) << "file";
      fs::remove(Path("plain"));
    }
  }
}

TEST_F(BlowfishFiles, FailureLeavesTheTargetUntouched) {
  WriteFile(Path("target"), "precious");
  WriteFile(Path("bad"), RandomBytes(64, 9));
  WriteFile(Path("odd"), "123");
  TBlowfish dec;
  Prepare(dec, CBC);
  EXPECT_EQ(dec.DecryptFile(Path("bad"), Path("target")), kBfInvalidData);
  EXPECT_EQ(dec.DecryptFile(Path("odd"), Path("target")), kBfInvalidData);
  EXPECT_EQ(dec.DecryptFile(Path("missing"), Path("target")), kBfFileError);
  EXPECT_EQ(dec.EncryptFile(Path("missing"), Path("target")), kBfFileError);
  EXPECT_EQ(dec.EncryptFile(Path("odd"), Path("no/such/dir/out")), kBfFileError);
  EXPECT_EQ(ReadFile(Path("target")), "precious");
  EXPECT_EQ(FileCount(), 3u);
  // The failures did not move the chain: a good run still decrypts from the IV.
  TBlowfish enc;
  Prepare(enc, CBC);
  ASSERT_EQ(enc.EncryptFile(Path("odd"), Path("good")), kBfOk);
  ASSERT_EQ(dec.DecryptFile(Path("good"), Path("good")), kBfOk);
  EXPECT_EQ(ReadFile(Path("good")), "123");
}

TEST_F(BlowfishFiles, ReportsProgressOnLongInputs) {
  WriteFile(Path("big"), RandomBytes(3 << 20, 10));
  TBlowfish bf;
  Prepare(bf, ECB);
  std::vector<std::uint64_t> reports;
  bf.SetOnProgress([&](TBlowfish&, std::uint64_t done) { reports.push_back(done); });
  ASSERT_EQ(bf.EncryptFile(Path("big"), Path("big.bf")), kBfOk);
  EXPECT_EQ(reports, (std::vector<std::uint64_t>{1 << 20, 2 << 20, 3 << 20}));
}

}  // namespace
}  // namespace glint
