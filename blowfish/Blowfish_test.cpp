// Tests of the Blowfish core, key schedule, modes, IV and CBC-MAC.
#include "blowfish/Blowfish.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "blowfish/BlowfishCore.h"
#include "blowfish/BlowfishTestUtil.h"
#include "ide/Palette.h"

namespace glint {
namespace {

using testutil::Hex;
using testutil::ToHex;

// Published Blowfish ECB vectors (Eric Young's set): key, plaintext, ciphertext.
constexpr struct {
  const char *key, *plain, *cipher;
} kEcb[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};
// Published variable-key-length set: the first N bytes of one key, plaintext FEDCBA9876543210.
constexpr char kSetKeyPlain[] = "FEDCBA9876543210";
constexpr struct {
  int n;
  const char *key, *cipher;
} kSetKey[] = {
    {1, "F0", "F9AD597C49DB005E"},
    {8, "F0E1D2C3B4A59687", "E87A244E2CC85E82"},
    {17, "F0E1D2C3B4A5968778695A4B3C2D1E0F00", "03429E838CE2D14B"},
    {24, "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "05044B62FA52D080"},
};
// Published chaining-mode set: key, IV, 32 bytes of plain text and the three cipher texts.
constexpr char kChainKey[] = "0123456789ABCDEFF0E1D2C3B4A59687";
constexpr char kChainIV[] = "FEDCBA9876543210";
constexpr char kChainPlain[] = "37363534333231204E6F77206973207468652074696D6520666F722000000000";
constexpr char kChainCbc[] = "6B77B4D63006DEE605B156E27403979358DEB9E7154616D959F1652BD5FF92CC";
constexpr char kChainCfb[] = "E73214A2822139CAF26ECF6D2EB9E76E3DA3DE04D1517200519D57A6C3384ECE";
constexpr char kChainOfb[] = "E73214A2822139CA62B343CC5B65587310DD908D0C241B2263C2CF80DA46FBB8";

void Key(TBlowfish& bf, const std::string& hex) {
  const auto key = Hex(hex);
  ASSERT_EQ(bf.InitialiseByte(key, static_cast<int>(key.size())), kBfOk);
}

std::string EncryptHex(TBlowfish& bf, const std::string& plainHex) {
  auto data = Hex(plainHex);
  EXPECT_EQ(bf.EncryptBuffer(data.data(), data.data(), data.size()), kBfOk);
  return ToHex(data);
}

std::string DecryptHex(TBlowfish& bf, const std::string& cipherHex) {
  auto data = Hex(cipherHex);
  EXPECT_EQ(bf.DecryptBuffer(data.data(), data.data(), data.size()), kBfOk);
  return ToHex(data);
}

// Checks one ECB vector both ways, through a single block and through the bulk path.
void CheckEcb(const std::string& key, const std::string& plain, const std::string& cipher) {
  SCOPED_TRACE(key + " " + plain);
  TBlowfish bf;
  Key(bf, key);
  EXPECT_EQ(EncryptHex(bf, plain), cipher);
  EXPECT_EQ(DecryptHex(bf, cipher), plain);
  auto block = Hex(plain);
  ASSERT_EQ(bf.EncryptBlock(block.data(), block.data()), kBfOk);
  EXPECT_EQ(ToHex(block), cipher);
}

void CheckChain(const std::string& key, const std::string& iv, const std::string& plain,
                TCipherMode mode, const std::string& cipher) {
  SCOPED_TRACE(static_cast<int>(mode));
  TBlowfish bf;
  Key(bf, key);
  bf.SetCipherMode(mode);
  const auto ivBytes = Hex(iv);
  bf.LoadIVByte(ivBytes, 8);
  EXPECT_EQ(EncryptHex(bf, plain), cipher);
  bf.LoadIVByte(ivBytes, 8);
  EXPECT_EQ(DecryptHex(bf, cipher), plain);
  // Block by block through the working block gives the same.
  bf.LoadIVByte(ivBytes, 8);
  auto data = Hex(plain);
  for (std::size_t i = 0; i < data.size(); i += 8) {
    ASSERT_EQ(bf.EncryptBlock(&data[i], &data[i]), kBfOk);
  }
  EXPECT_EQ(ToHex(data), cipher);
}

TEST(Blowfish, MatchesPublishedEcbVectors) {
  for (const auto& v : kEcb) CheckEcb(v.key, v.plain, v.cipher);
  for (const auto& v : kSetKey) CheckEcb(v.key, kSetKeyPlain, v.cipher);
}

TEST(Blowfish, MatchesPublishedChainingVectors) {
  CheckChain(kChainKey, kChainIV, kChainPlain, CBC, kChainCbc);
  CheckChain(kChainKey, kChainIV, kChainPlain, CFB, kChainCfb);
  CheckChain(kChainKey, kChainIV, kChainPlain, OFB, kChainOfb);
}

// The whole published set, kept verbatim in testdata/blowfish-vectors.txt; the counts catch
// a truncated or misread file.
TEST(Blowfish, MatchesThePublishedVectorFile) {
  const auto ecb = testutil::VectorSection("ecb");
  EXPECT_EQ(ecb.size(), 34u);
  for (const auto& row : ecb) CheckEcb(row.at(0), row.at(1), row.at(2));
  const auto setKey = testutil::VectorSection("set_key");
  EXPECT_EQ(setKey.size(), 24u);
  for (const auto& row : setKey) CheckEcb(row.at(1), kSetKeyPlain, row.at(2));
  const auto chain = testutil::VectorSection("chain");
  EXPECT_EQ(chain.size(), 4u);
  std::string plain;
  for (const auto& row : chain) {
    if (row.at(0) == "plain") plain = row.at(1);
    if (row.at(0) == "cbc") CheckChain(kChainKey, kChainIV, plain, CBC, row.at(1));
    if (row.at(0) == "cfb64") CheckChain(kChainKey, kChainIV, plain, CFB, row.at(1));
    if (row.at(0) == "ofb64") CheckChain(kChainKey, kChainIV, plain, OFB, row.at(1));
  }
}

TEST(Blowfish, KeyScheduleCyclesTheFirst72Bytes) {
  TBlowfish one, repeated, longA, longB;
  ASSERT_EQ(one.InitialiseString("k"), kBfOk);
  ASSERT_EQ(repeated.InitialiseString(std::string(72, 'k')), kBfOk);
  std::string a(100, 'x'), b(100, 'x');
  for (int i = 0; i < 72; ++i) a[i] = b[i] = static_cast<char>('A' + i % 26);
  a[80] = 'Q';
  ASSERT_EQ(longA.InitialiseString(a), kBfOk);
  ASSERT_EQ(longB.InitialiseString(b), kBfOk);
  const std::string plain = "0011223344556677";
  EXPECT_EQ(EncryptHex(one, plain), EncryptHex(repeated, plain));
  EXPECT_EQ(EncryptHex(longA, plain), EncryptHex(longB, plain));
  // No 56-byte cap: byte 60 still counts.
  TBlowfish c;
  b[60] = '!';
  ASSERT_EQ(c.InitialiseString(b), kBfOk);
  EXPECT_NE(EncryptHex(c, plain), EncryptHex(longB, plain));
}

TEST(Blowfish, RejectedKeysLeaveTheEarlierKeyInForce) {
  TBlowfish bf, reference;
  Key(bf, "0123456789ABCDEF");
  Key(reference, "0123456789ABCDEF");
  const std::array<std::uint8_t, 4> key = {1, 2, 3, 4};
  EXPECT_EQ(bf.InitialiseString(""), kBfBadKey);
  EXPECT_EQ(bf.InitialiseByte(key, 0), kBfBadKey);
  EXPECT_EQ(bf.InitialiseByte(key, 5), kBfBadKey);  // past the end of the array
  EXPECT_EQ(bf.InitialiseByte(key, -1), kBfBadKey);
  EXPECT_EQ(bf.InitialiseByte(std::span(key).first(2), 3), kBfBadKey);
  EXPECT_EQ(EncryptHex(bf, "1111111111111111"), EncryptHex(reference, "1111111111111111"));
  TBlowfish fresh;
  EXPECT_EQ(fresh.InitialiseString(""), kBfBadKey);
  std::uint8_t block[8] = {};
  EXPECT_EQ(fresh.EncryptBlock(block, block), kBfNotInitialised);
}

TEST(Blowfish, RekeyingKeepsTheIVAndChain) {
  TBlowfish bf, reference;
  bf.SetCipherMode(CBC);
  reference.SetCipherMode(CBC);
  bf.LoadIVString("initvect");
  reference.LoadIVString("initvect");
  ASSERT_EQ(bf.InitialiseString("first key"), kBfOk);
  ASSERT_EQ(reference.InitialiseString("first key"), kBfOk);
  EncryptHex(bf, "0001020304050607");
  EncryptHex(reference, "0001020304050607");
  ASSERT_EQ(bf.InitialiseString("second key"), kBfOk);
  ASSERT_EQ(reference.InitialiseString("second key"), kBfOk);
  // Rekeying with no IV loaded again still chains on.
  EXPECT_EQ(EncryptHex(bf, "0001020304050607"), EncryptHex(reference, "0001020304050607"));
  TBlowfish noIV;
  noIV.SetCipherMode(CBC);
  ASSERT_EQ(noIV.InitialiseString("k"), kBfOk);
  std::uint8_t block[8] = {};
  EXPECT_EQ(noIV.EncryptBlock(block, block), kBfNoIV);
}

TEST(Blowfish, BurnForgetsKeyAndIV) {
  TBlowfish bf;
  bf.SetCipherMode(CFB);
  bf.SetStringMode(smNormal);
  ASSERT_EQ(bf.InitialiseString("key"), kBfOk);
  bf.LoadIVString("iv");
  bf.Burn();
  std::uint8_t block[8] = {};
  std::string out;
  EXPECT_EQ(bf.EncryptBlock(block, block), kBfNotInitialised);
  EXPECT_EQ(bf.DecryptBuffer(block, block, 8), kBfNotInitialised);
  EXPECT_EQ(bf.EncryptString("x", out), kBfNotInitialised);
  EXPECT_EQ(bf.DecryptString("x", out), kBfNotInitialised);
  EXPECT_EQ(bf.CipherMode(), CFB);
  EXPECT_EQ(bf.StringMode(), smNormal);
  ASSERT_EQ(bf.InitialiseString("key"), kBfOk);
  EXPECT_EQ(bf.EncryptBlock(block, block), kBfNoIV);  // the IV went too
}

// A destructor's clearing is a dead store the optimiser may drop unless it is forced.
TEST(Blowfish, DestructorWipesKeyMaterial) {
  alignas(TBlowfish) unsigned char memory[sizeof(TBlowfish)];
  auto* bf = new (memory) TBlowfish();
  ASSERT_EQ(bf->InitialiseString("a secret key"), kBfOk);
  bf->SetStringMode(smNormal);
  std::string out;
  ASSERT_EQ(bf->EncryptString(std::string(3000, 'p'), out), kBfOk);
  const auto nonZero = [&] {
    return std::count_if(memory, memory + sizeof memory, [](unsigned char c) { return c != 0; });
  };
  EXPECT_GT(nonZero(), 4000);
  bf->~TBlowfish();
  EXPECT_LT(nonZero(), 200);  // what is left: the component's own bookkeeping
}

// After CBC the chain is the last cipher block; a burnt component must not keep it.
TEST(Blowfish, BurnWipesTheChainingRegister) {
  alignas(TBlowfish) unsigned char memory[sizeof(TBlowfish)];
  auto* bf = new (memory) TBlowfish();
  bf->SetCipherMode(CBC);
  ASSERT_EQ(bf->InitialiseString("a secret key"), kBfOk);
  bf->LoadIVString("an IV");
  std::uint8_t data[16] = "fifteen bytes!!";
  ASSERT_EQ(bf->EncryptBuffer(data, data, sizeof data), kBfOk);
  bf->Burn();
  EXPECT_EQ(std::search(memory, memory + sizeof memory, data + 8, data + 16),
            memory + sizeof memory);
  bf->~TBlowfish();
}

class TProbe : public TBlowfish {
 public:
  using TBlowfish::LeftHalf;
  using TBlowfish::RightHalf;
  using TBlowfish::WorkingBlock;
};

TEST(Blowfish, HalfPointersReturnToTheWorkingBlock) {
  TProbe bf;
  ASSERT_EQ(bf.InitialiseString("key"), kBfOk);
  EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(bf.LeftHalf()), bf.WorkingBlock());
  EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(bf.RightHalf()), bf.WorkingBlock() + 4);
}

TEST(BlowfishModes, IVIsFoldedAndPadded) {
  const auto cbcOf = [](auto load) {
    TBlowfish bf;
    bf.SetCipherMode(CBC);
    EXPECT_EQ(bf.InitialiseString("key"), kBfOk);
    load(bf);
    return EncryptHex(bf, "0000000000000000");
  };
  const std::array<std::uint8_t, 16> longIV = {1,  2,  3,  4,  5,  6,  7,   8,
                                               16, 32, 48, 64, 80, 96, 112, 128};
  std::array<std::uint8_t, 8> folded;
  for (int i = 0; i < 8; ++i) folded[i] = longIV[i] ^ longIV[i + 8];
  EXPECT_EQ(cbcOf([&](TBlowfish& b) { b.LoadIVByte(longIV, 16); }),
            cbcOf([&](TBlowfish& b) { b.LoadIVByte(folded, 8); }));
  const std::array<std::uint8_t, 8> shortIV = {'a', 'b', 'c', 0, 0, 0, 0, 0};
  EXPECT_EQ(cbcOf([](TBlowfish& b) { b.LoadIVString("abc"); }),
            cbcOf([&](TBlowfish& b) { b.LoadIVByte(shortIV, 8); }));
  // A length past the array uses the whole array; none gives the zero IV.
  EXPECT_EQ(cbcOf([&](TBlowfish& b) { b.LoadIVByte(std::span(longIV).first(3), 1000); }),
            cbcOf([](TBlowfish& b) { b.LoadIVString(std::string("\x01\x02\x03", 3)); }));
  EXPECT_EQ(cbcOf([&](TBlowfish& b) { b.LoadIVByte(longIV, -5); }),
            cbcOf([](TBlowfish& b) { b.LoadIVString(""); }));
  EXPECT_NE(cbcOf([](TBlowfish& b) { b.LoadIVString("abc"); }),
            cbcOf([](TBlowfish& b) { b.LoadIVString("abd"); }));
}

TEST(BlowfishModes, CbcMacIsTheLastCipherBlock) {
  TBlowfish bf;
  std::string mac;
  EXPECT_EQ(bf.CBCMACString(mac), kBfNotCBC);  // the mode test comes first
  EXPECT_EQ(mac, "0000000000000000");
  bf.SetCipherMode(CBC);
  EXPECT_EQ(bf.CBCMACString(mac), kBfNotInitialised);
  ASSERT_EQ(bf.InitialiseString("key"), kBfOk);
  std::array<std::uint8_t, 8> block;
  block.fill(0xAA);
  EXPECT_EQ(bf.CBCMACBlock(block), kBfNoIV);
  EXPECT_EQ(ToHex(block.data(), 8), "0000000000000000");
  Key(bf, kChainKey);
  bf.LoadIVByte(Hex(kChainIV), 8);
  EncryptHex(bf, kChainPlain);
  ASSERT_EQ(bf.CBCMACString(mac), kBfOk);
  EXPECT_EQ(mac, std::string(kChainCbc).substr(48));
  bf.SetCipherMode(ECB);
  EXPECT_EQ(bf.CBCMACString(mac), kBfNotCBC);
  EXPECT_EQ(mac, "0000000000000000");
}

TEST(BlowfishModes, OfbEncryptionAndDecryptionAreOneOperation) {
  TBlowfish a, b;
  for (TBlowfish* bf : {&a, &b}) {
    bf->SetCipherMode(OFB);
    ASSERT_EQ(bf->InitialiseString("key"), kBfOk);
    bf->LoadIVString("iv");
  }
  EXPECT_EQ(EncryptHex(a, kChainPlain), DecryptHex(b, kChainPlain));
}

// The multi-block kernels must give the block-by-block results and leave the same chain:
// lengths around the group size, in place and not, each mode both ways, split or whole.
TEST(BlowfishModes, BulkPathEqualsBlockByBlock) {
  std::mt19937 random(5);
  for (TCipherMode mode : {ECB, CBC, CFB, OFB}) {
    for (bool encrypt : {true, false}) {
      for (std::size_t blocks : {1u, 3u, 4u, 5u, 8u, 9u, 16u, 37u, 70u}) {
        SCOPED_TRACE(testing::Message() << int{mode} << " " << encrypt << " " << blocks);
        std::vector<std::uint8_t> data(blocks * 8);
        for (auto& b : data) b = static_cast<std::uint8_t>(random());
        TBlowfish bulk, single;
        for (TBlowfish* bf : {&bulk, &single}) {
          bf->SetCipherMode(mode);
          ASSERT_EQ(bf->InitialiseString("bulk key"), kBfOk);
          bf->LoadIVString("chain iv");
        }
        std::vector<std::uint8_t> bulkOut(data.size()), singleOut = data;
        const std::size_t split = (blocks / 2) * 8;
        if (encrypt) {
          ASSERT_EQ(bulk.EncryptBuffer(data.data(), bulkOut.data(), split), kBfOk);
          ASSERT_EQ(bulk.EncryptBuffer(&data[split], &bulkOut[split], data.size() - split), kBfOk);
        } else {
          ASSERT_EQ(bulk.DecryptBuffer(data.data(), bulkOut.data(), split), kBfOk);
          ASSERT_EQ(bulk.DecryptBuffer(&data[split], &bulkOut[split], data.size() - split), kBfOk);
        }
        for (std::size_t i = 0; i < data.size(); i += 8) {
          const auto* in = &singleOut[i];
          ASSERT_EQ(encrypt ? single.EncryptBlock(in, &singleOut[i])
                            : single.DecryptBlock(in, &singleOut[i]),
                    kBfOk);
        }
        EXPECT_EQ(bulkOut, singleOut);
        // The chains agree when the next block does.
        std::uint8_t nextA[8] = {1, 2, 3}, nextB[8] = {1, 2, 3};
        ASSERT_EQ(bulk.EncryptBlock(nextA, nextA), kBfOk);
        ASSERT_EQ(single.EncryptBlock(nextB, nextB), kBfOk);
        EXPECT_EQ(ToHex(nextA, 8), ToHex(nextB, 8));
        // In place gives the same as out of place.
        for (TBlowfish* bf : {&bulk}) bf->LoadIVString("chain iv");
        std::vector<std::uint8_t> inPlace = data;
        TBlowfish fresh;
        fresh.SetCipherMode(mode);
        ASSERT_EQ(fresh.InitialiseString("bulk key"), kBfOk);
        fresh.LoadIVString("chain iv");
        ASSERT_EQ(encrypt ? fresh.EncryptBuffer(inPlace.data(), inPlace.data(), inPlace.size())
                          : fresh.DecryptBuffer(inPlace.data(), inPlace.data(), inPlace.size()),
                  kBfOk);
        EXPECT_EQ(inPlace, singleOut);
      }
    }
  }
}

struct TRestoreKernels {
  ~TRestoreKernels() { bfcore::LimitWideKernels(bfcore::TWideKernels::kAll); }
};

// Each limit takes the best kernel the processor has within it, in every build: the Windows
// builds once had no vector kernel at all.
TEST(BlowfishModes, EachLimitTakesTheBestKernelTheProcessorHas) {
  TRestoreKernels restore;
  __builtin_cpu_init();
  const bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  const bool vbmi = avx512 && __builtin_cpu_supports("avx512vbmi");
  const std::pair<const char*, const char*> expected[] = {{"none", "scalar"},
                                                          {"avx512", avx512 ? "avx512" : "scalar"},
                                                          {"all", vbmi     ? "avx512-vbmi"
                                                                  : avx512 ? "avx512"
                                                                           : "scalar"}};
  for (const auto& [limit, kernel] : expected) {
    ASSERT_TRUE(bfcore::LimitWideKernels(limit));
    EXPECT_STREQ(bfcore::WideKernelName(), kernel) << limit;
  }
  EXPECT_FALSE(bfcore::LimitWideKernels("sse2"));
}

// Every kernel this processor can run (the scalar ones, the gathers, the byte slices), each
// against the block-by-block path: counts that leave tails after 4, 8, 16 and 64 blocks,
// a chain carried from one call into the next, odd addresses, in place and not.
TEST(BlowfishModes, EveryKernelMatchesBlockByBlock) {
  TRestoreKernels restore;
  std::mt19937 random(9);
  std::vector<std::uint8_t> data(8 * 300 + 1);
  for (auto& b : data) b = static_cast<std::uint8_t>(random());
  for (auto kernels :
       {bfcore::TWideKernels::kNone, bfcore::TWideKernels::kAvx512, bfcore::TWideKernels::kAll}) {
    bfcore::LimitWideKernels(kernels);
    for (TCipherMode mode : {ECB, CBC, CFB}) {
      for (bool encrypt : {true, false}) {
        for (std::size_t blocks : {7u, 21u, 64u, 79u, 130u, 300u}) {
          SCOPED_TRACE(testing::Message() << bfcore::WideKernelName() << " " << int{mode} << " "
                                          << encrypt << " " << blocks);
          TBlowfish bulk, inPlace, single;
          for (TBlowfish* bf : {&bulk, &inPlace, &single}) {
            bf->SetCipherMode(mode);
            ASSERT_EQ(bf->InitialiseString("kernel key"), kBfOk);
            bf->LoadIVString("kernel iv");
          }
          const std::uint8_t* in = data.data() + 1;  // odd address
          const std::size_t first = 8 * (blocks - blocks / 3), size = 8 * blocks;
          std::vector<std::uint8_t> out(size + 1), expected(in, in + size);
          std::vector<std::uint8_t> same(data.begin(), data.begin() + size + 1);
          const auto run = [&](TBlowfish& bf, const std::uint8_t* from, std::uint8_t* to,
                               std::size_t length) {
            return encrypt ? bf.EncryptBuffer(from, to, length)
                           : bf.DecryptBuffer(from, to, length);
          };
          ASSERT_EQ(run(bulk, in, &out[1], first), kBfOk);
          ASSERT_EQ(run(bulk, in + first, &out[1] + first, size - first), kBfOk);
          ASSERT_EQ(run(inPlace, &same[1], &same[1], size), kBfOk);
          for (std::size_t i = 0; i < size; i += 8) {
            ASSERT_EQ(encrypt ? single.EncryptBlock(&expected[i], &expected[i])
                              : single.DecryptBlock(&expected[i], &expected[i]),
                      kBfOk);
          }
          EXPECT_EQ(ToHex(&out[1], size), ToHex(expected));
          EXPECT_EQ(ToHex(&same[1], size), ToHex(expected));
          // The chains agree.
          std::string mac[3];
          int k = 0;
          for (TBlowfish* bf : {&bulk, &inPlace, &single}) {
            bf->SetCipherMode(CBC);
            ASSERT_EQ(bf->CBCMACString(mac[k++]), kBfOk);
          }
          EXPECT_EQ(mac[0], mac[2]);
          EXPECT_EQ(mac[1], mac[2]);
        }
      }
    }
  }
}

TEST(BlowfishModes, BuffersMustBeWholeBlocks) {
  TBlowfish bf;
  ASSERT_EQ(bf.InitialiseString("key"), kBfOk);
  std::uint8_t data[12] = {1, 2, 3};
  std::uint8_t copy[12];
  std::memcpy(copy, data, sizeof data);
  EXPECT_EQ(bf.EncryptBuffer(data, data, 12), kBfInvalidData);
  EXPECT_EQ(bf.DecryptBuffer(data, data, 7), kBfInvalidData);
  EXPECT_EQ(std::memcmp(data, copy, sizeof data), 0);
}

TEST(Blowfish, RegistersOnTheCryptoPage) {
  ClearRegisteredComponents();
  Register();
  ASSERT_EQ(RegisteredComponents().size(), 1u);
  EXPECT_EQ(RegisteredComponents()[0].Page, "Crypto");
  EXPECT_EQ(RegisteredComponents()[0].ClassName, "TBlowfish");
}

}  // namespace
}  // namespace glint
