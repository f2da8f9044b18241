// blowfish/Blowfish.cpp: TBlowfish's state, key schedule and single-block core.
#include "blowfish/Blowfish.h"

#include <algorithm>
#include <cstring>

#include "blowfish/BlowfishCore.h"
#include "blowfish/BlowfishTables.h"

namespace glint {

namespace {

// The core keeps halves as native words; a block stores each half big-endian.
DoublWord ByteSwap(DoublWord v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

// A schedule never reads past the first 72 key bytes: 18 words of 4 bytes.
constexpr int kScheduleBytes = 72;

}  // namespace

const char* BlowfishResultText(int code) {
  switch (code) {
    case kBfOk:
      return "success";
    case kBfNotInitialised:
      return "the cipher has no key";
    case kBfBadKey:
      return "the key is empty or its length is out of range";
    case kBfInvalidData:
      return "the data is not a valid ciphertext (wrong key, wrong IV or mode, or corrupted data)";
    case kBfNoIV:
      return "this mode needs an IV and none is loaded";
    case kBfFileError:
      return "a file or stream could not be read or written";
    case kBfNotCBC:
      return "the CBC-MAC needs CBC mode";
    default:
      return "unknown result";
  }
}

TBlowfish::TBlowfish(TComponent* owner) : TComponent(owner), FLeft(&FWork[0]), FRight(&FWork[1]) {}

TBlowfish::~TBlowfish() {
  Burn();
  bfcore::Wipe(FData, sizeof FData);
}

int TBlowfish::InitialiseString(std::string_view key) {
  if (key.empty()) return kBfBadKey;
  bfcore::Wipe(FSave, sizeof FSave);
  bfcore::Wipe(FWork, sizeof FWork);
  bfcore::Wipe(FS, sizeof FS);
  bfcore::Wipe(FP, sizeof FP);
  InitialiseCore(key, static_cast<int>(std::min<std::size_t>(key.size(), kScheduleBytes)));
  FInitialised = true;
  return kBfOk;
}

int TBlowfish::InitialiseByte(std::span<const std::uint8_t> key, int keyLength) {
  if (keyLength < 1 || static_cast<std::size_t>(keyLength) > key.size()) return kBfBadKey;
  const auto used = static_cast<std::size_t>(std::min(keyLength, kScheduleBytes));
  char copy[kScheduleBytes];
  std::memcpy(copy, key.data(), used);
  const int result = InitialiseString(std::string_view(copy, used));
  bfcore::Wipe(copy, sizeof copy);
  return result;
}

void TBlowfish::InitArray() {
  std::memcpy(FP, kBlowfishInitialP, sizeof FP);
  std::memcpy(FS, kBlowfishInitialS, sizeof FS);
}

void TBlowfish::InitialiseCore(std::string_view key, int keyLength) {
  InitArray();
  const auto length = static_cast<std::size_t>(keyLength);
  std::size_t j = 0;
  for (DoublWord& p : FP) {
    DoublWord word = 0;
    for (int b = 0; b < 4; ++b) {
      word = (word << 8) | static_cast<std::uint8_t>(key[j]);
      j = (j + 1 == length) ? 0 : j + 1;
    }
    p ^= word;
  }
  // The schedule enciphers a native pair, so no byte reversal happens here. The halves
  // live in registers for the 521 serial encipherments; the half pointers go back to
  // the working block so nothing refers to this frame once the call returns.
  DoublWord l = 0;
  DoublWord r = 0;
  for (int i = 0; i < 18; i += 2) {
    bfcore::Encipher(FS, FP, l, r);
    FP[i] = l;
    FP[i + 1] = r;
  }
  for (auto& box : FS) {
    for (int i = 0; i < 256; i += 2) {
      bfcore::Encipher(FS, FP, l, r);
      box[i] = l;
      box[i + 1] = r;
    }
  }
  FLeft = &FWork[0];
  FRight = &FWork[1];
}

void TBlowfish::DoRound(DoublWord& a, DoublWord b, std::uint8_t n) const {
  a ^= bfcore::F(FS, b) ^ FP[n];
}

void TBlowfish::Core_Encipher() { bfcore::Encipher(FS, FP, *FLeft, *FRight); }

void TBlowfish::Core_Decipher() { bfcore::Decipher(FS, FP, *FLeft, *FRight); }

void TBlowfish::EncBlock() {
  *FLeft = ByteSwap(*FLeft);
  *FRight = ByteSwap(*FRight);
  Core_Encipher();
  *FLeft = ByteSwap(*FLeft);
  *FRight = ByteSwap(*FRight);
}

void TBlowfish::DecBlock() {
  *FLeft = ByteSwap(*FLeft);
  *FRight = ByteSwap(*FRight);
  Core_Decipher();
  *FLeft = ByteSwap(*FLeft);
  *FRight = ByteSwap(*FRight);
}

void TBlowfish::Burn() {
  FInitialised = false;
  FIVLoaded = false;
  bfcore::Wipe(FChain, sizeof FChain);
  bfcore::Wipe(FSave, sizeof FSave);
  bfcore::Wipe(FS, sizeof FS);
  bfcore::Wipe(FP, sizeof FP);
  bfcore::Wipe(FWork, sizeof FWork);
  FLeft = &FWork[0];
  FRight = &FWork[1];
}

}  // namespace glint
