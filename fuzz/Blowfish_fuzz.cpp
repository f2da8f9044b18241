// TBlowfish's decoding and decryption on any bytes, with a fixed key. The
// first byte picks the mode, the string mode and where a split falls; the
// rest is the cipher text (or text to decode).
//
// Properties: DecodeString accepts exactly the texts EncodeString makes;
// whatever decrypts, encrypts back to the same bytes, one call or two, in
// place or not, and leaves the chain where that encryption leaves it; what
// does not decrypt (-3) writes nothing and leaves the chain as it was; a
// stream decrypts exactly as the same bytes as a string in smNormal.
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "blowfish/Blowfish.h"
#include "fuzz/FuzzCheck.h"

namespace glint {
namespace {

using fuzz::Check;

constexpr std::string_view kKey = "a fixed fuzzing key";
constexpr std::string_view kIV = "fixed iv";
constexpr const char* kUntouched = "untouched";

// Keyed instances, reused: the key schedule costs more than most inputs do.
// Reloading the IV starts an instance afresh. Each check takes them by slot.
TBlowfish* Fresh(int slot, TCipherMode mode, TStringMode stringMode) {
  static TBlowfish* const keyed = [] {
    auto* all = new TBlowfish[3];
    for (int i = 0; i < 3; ++i) Check(all[i].InitialiseString(kKey) == kBfOk, "the key is taken");
    return all;
  }();
  TBlowfish* bf = &keyed[slot];
  bf->LoadIVString(kIV);
  bf->SetCipherMode(mode);
  bf->SetStringMode(stringMode);
  return bf;
}

// Two instances hold the same chain when the same block goes the same way
// through both.
void CheckSameChain(TBlowfish& a, TBlowfish& b, const char* property) {
  std::uint8_t x[8] = {1, 2, 3, 4, 5, 6, 7, 8}, y[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  Check(a.EncryptBlock(x, x) == kBfOk && b.EncryptBlock(y, y) == kBfOk, "a block encrypts");
  Check(std::equal(x, x + 8, y), property);
}

void CheckDecode(std::string_view text) {
  std::string data = kUntouched;
  const int rc = TBlowfish::DecodeString(text, data);
  if (rc == kBfOk)
    Check(TBlowfish::EncodeString(data) == text, "a decoded text is the one its bytes encode to");
  else
    Check(rc == kBfInvalidData && data == kUntouched, "an undecodable text writes nothing");
  std::string back;
  Check(TBlowfish::DecodeString(TBlowfish::EncodeString(text), back) == kBfOk && back == text,
        "encoded bytes decode back");
}

void CheckBuffers(std::string_view cipher, TCipherMode mode, std::size_t splitBlocks) {
  const std::size_t whole = cipher.size() / 8 * 8;
  std::vector<std::uint8_t> plain(whole), back(whole);
  if (whole != cipher.size()) {
    auto bf = Fresh(0, mode, smNormal), ref = Fresh(1, mode, smNormal);
    std::vector<std::uint8_t> out(cipher.size(), 0xA5);
    Check(bf->DecryptBuffer(cipher.data(), out.data(), cipher.size()) == kBfInvalidData,
          "a part block is refused");
    Check(std::all_of(out.begin(), out.end(), [](std::uint8_t b) { return b == 0xA5; }),
          "a refused buffer writes nothing");
    CheckSameChain(*bf, *ref, "a refused buffer leaves the chain");
  }
  cipher = cipher.substr(0, whole);
  auto bf = Fresh(0, mode, smNormal), enc = Fresh(1, mode, smNormal);
  Check(bf->DecryptBuffer(cipher.data(), plain.data(), whole) == kBfOk, "whole blocks decrypt");
  Check(enc->EncryptBuffer(plain.data(), back.data(), whole) == kBfOk, "whole blocks encrypt");
  Check(std::equal(back.begin(), back.end(), cipher.begin(),
                   [](std::uint8_t b, char c) { return b == static_cast<std::uint8_t>(c); }),
        "decrypted buffers encrypt back");
  CheckSameChain(*bf, *enc, "decryption leaves the chain where encryption does");

  // In place, and in two calls.
  auto inPlace = Fresh(0, mode, smNormal), split = Fresh(1, mode, smNormal);
  std::vector<std::uint8_t> buffer(cipher.begin(), cipher.end()), parts(whole);
  Check(inPlace->DecryptBuffer(buffer.data(), buffer.data(), whole) == kBfOk && buffer == plain,
        "in place decrypts the same");
  const std::size_t first = std::min(whole, splitBlocks * 8);
  Check(split->DecryptBuffer(cipher.data(), parts.data(), first) == kBfOk &&
            split->DecryptBuffer(cipher.data() + first, parts.data() + first, whole - first) ==
                kBfOk &&
            parts == plain,
        "two calls decrypt as one");
  if (whole >= 8) {
    auto block = Fresh(2, mode, smNormal);
    std::uint8_t out[8];
    Check(
        block->DecryptBlock(cipher.data(), out) == kBfOk && std::equal(out, out + 8, plain.data()),
        "a block decrypts as the buffer's first");
  }
}

void CheckString(std::string_view cipher, TCipherMode mode, TStringMode stringMode) {
  auto bf = Fresh(0, mode, stringMode);
  std::string plain = kUntouched;
  const int rc = bf->DecryptString(cipher, plain);
  if (rc == kBfOk) {
    auto enc = Fresh(1, mode, stringMode);
    std::string back;
    Check(enc->EncryptString(plain, back) == kBfOk && back == cipher,
          "a decrypted string encrypts back");
    CheckSameChain(*bf, *enc, "a string leaves the chain where encryption does");
  } else {
    Check(rc == kBfInvalidData && plain == kUntouched, "a refused string writes nothing");
    auto ref = Fresh(1, mode, stringMode);
    CheckSameChain(*bf, *ref, "a refused string leaves the chain");
  }
  if (stringMode != smNormal) return;

  auto stream = Fresh(2, mode, smNormal);
  std::istringstream in{std::string(cipher)};
  std::ostringstream out;
  const int streamRc = stream->DecryptStream(in, out);
  Check(streamRc == rc, "a stream is refused exactly when the string is");
  Check(out.str() == (rc == kBfOk ? plain : ""), "a stream decrypts as the string");
}

}  // namespace
}  // namespace glint

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace glint;
  if (size == 0) return 0;
  const std::uint8_t control = data[0];
  const std::string_view rest = fuzz::Bytes(data + 1, size - 1);
  const auto mode = static_cast<TCipherMode>(control & 3);
  CheckDecode(rest);
  CheckBuffers(rest, mode, control >> 3);
  CheckString(rest, mode, control & 4 ? smNormal : smEncode);
  return 0;
}
