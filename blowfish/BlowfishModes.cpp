// blowfish/BlowfishModes.cpp: the chaining modes, the IV and the CBC-MAC, per block through
// the working block and in bulk through the multi-block kernels.
//
// The bulk kernels give exactly the cipher text and the chaining register that the
// block-by-block path gives; ECB both ways and CBC and CFB decryption have independent
// blocks and run many of them at once in vector registers where the processor allows
// (BlowfishWide.cpp), else kLanes at once in general registers.
#include <algorithm>
#include <cstring>
#include <tuple>
#include <utility>

#include "blowfish/Blowfish.h"
#include "blowfish/BlowfishCore.h"

namespace glint {

namespace {

using bfcore::LoadBE;
using bfcore::StoreBE;
using bfcore::TSBoxes;

// Independent blocks per scalar pass: two halves each fill the sixteen general registers of
// x86-64 with eight blocks; i686 has eight registers and keeps four.
constexpr std::size_t kLanes = sizeof(void*) >= 8 ? 8 : 4;

void Xor8(std::uint8_t* dst, const std::uint8_t* src) {
  for (int i = 0; i < 8; ++i) dst[i] ^= src[i];
}

// A block's two halves as the core sees them.
struct THalves {
  std::uint32_t L;
  std::uint32_t R;
};

THalves Load(const std::uint8_t* b) { return {LoadBE(b), LoadBE(b + 4)}; }

void Store(std::uint8_t* b, std::uint32_t l, std::uint32_t r) {
  StoreBE(b, l);
  StoreBE(b + 4, r);
}

template <bool kEncrypt>
GLINT_BF_FLATTEN void Ecb(TSBoxes s, const std::uint32_t* p, const std::uint8_t* in,
                          std::uint8_t* out, std::size_t blocks) {
  std::uint8_t unused[8] = {};
  std::size_t i = bfcore::CipherWide(
      s, p, in, out, blocks,
      kEncrypt ? bfcore::TWideMode::kEcbEncrypt : bfcore::TWideMode::kEcbDecrypt, unused);
  for (; i + kLanes <= blocks; i += kLanes) {
    std::uint32_t l[kLanes], r[kLanes];
    bfcore::Lanes<kLanes>([&](std::size_t k) {
      l[k] = LoadBE(in + 8 * (i + k));
      r[k] = LoadBE(in + 8 * (i + k) + 4);
    });
    if constexpr (kEncrypt) {
      bfcore::EncipherN(s, p, l, r);
    } else {
      bfcore::DecipherN(s, p, l, r);
    }
    bfcore::Lanes<kLanes>([&](std::size_t k) { Store(out + 8 * (i + k), l[k], r[k]); });
  }
  for (; i < blocks; ++i) {
    auto [l, r] = Load(in + 8 * i);
    if constexpr (kEncrypt) {
      bfcore::Encipher(s, p, l, r);
    } else {
      bfcore::Decipher(s, p, l, r);
    }
    Store(out + 8 * i, l, r);
  }
}

// Serial modes: each block needs the one before, so one block at a time with the chain
// held in registers.
GLINT_BF_FLATTEN void CbcEncrypt(TSBoxes s, const std::uint32_t* p, const std::uint8_t* in,
                                 std::uint8_t* out, std::size_t blocks, THalves& chain) {
  std::uint32_t cl = chain.L, cr = chain.R;
  for (std::size_t i = 0; i < blocks; ++i) {
    cl ^= LoadBE(in + 8 * i);
    cr ^= LoadBE(in + 8 * i + 4);
    bfcore::Encipher(s, p, cl, cr);
    Store(out + 8 * i, cl, cr);
  }
  chain = {cl, cr};
}

GLINT_BF_FLATTEN void CfbEncrypt(TSBoxes s, const std::uint32_t* p, const std::uint8_t* in,
                                 std::uint8_t* out, std::size_t blocks, THalves& chain) {
  std::uint32_t cl = chain.L, cr = chain.R;
  for (std::size_t i = 0; i < blocks; ++i) {
    bfcore::Encipher(s, p, cl, cr);
    cl ^= LoadBE(in + 8 * i);
    cr ^= LoadBE(in + 8 * i + 4);
    Store(out + 8 * i, cl, cr);
  }
  chain = {cl, cr};
}

GLINT_BF_FLATTEN void Ofb(TSBoxes s, const std::uint32_t* p, const std::uint8_t* in,
                          std::uint8_t* out, std::size_t blocks, THalves& chain) {
  std::uint32_t cl = chain.L, cr = chain.R;
  for (std::size_t i = 0; i < blocks; ++i) {
    bfcore::Encipher(s, p, cl, cr);
    Store(out + 8 * i, LoadBE(in + 8 * i) ^ cl, LoadBE(in + 8 * i + 4) ^ cr);
  }
  chain = {cl, cr};
}

// Every input block is read before any output block of its group is written, so in and
// out may be the same buffer.
GLINT_BF_FLATTEN void CbcDecrypt(TSBoxes s, const std::uint32_t* p, const std::uint8_t* in,
                                 std::uint8_t* out, std::size_t blocks, THalves& chain) {
  std::uint8_t wideChain[8];
  Store(wideChain, chain.L, chain.R);
  std::size_t i =
      bfcore::CipherWide(s, p, in, out, blocks, bfcore::TWideMode::kCbcDecrypt, wideChain);
  std::uint32_t pl = LoadBE(wideChain), pr = LoadBE(wideChain + 4);
  for (; i + kLanes <= blocks; i += kLanes) {
    std::uint32_t cl[kLanes], cr[kLanes], l[kLanes], r[kLanes];
    bfcore::Lanes<kLanes>([&](std::size_t k) {
      l[k] = cl[k] = LoadBE(in + 8 * (i + k));
      r[k] = cr[k] = LoadBE(in + 8 * (i + k) + 4);
    });
    bfcore::DecipherN(s, p, l, r);
    bfcore::Lanes<kLanes>([&](std::size_t k) {
      const std::uint32_t xl = k == 0 ? pl : cl[k - 1];
      const std::uint32_t xr = k == 0 ? pr : cr[k - 1];
      Store(out + 8 * (i + k), l[k] ^ xl, r[k] ^ xr);
    });
    pl = cl[kLanes - 1];
    pr = cr[kLanes - 1];
  }
  for (; i < blocks; ++i) {
    auto [l, r] = Load(in + 8 * i);
    const std::uint32_t nl = l, nr = r;
    bfcore::Decipher(s, p, l, r);
    Store(out + 8 * i, l ^ pl, r ^ pr);
    pl = nl;
    pr = nr;
  }
  chain = {pl, pr};
}

GLINT_BF_FLATTEN void CfbDecrypt(TSBoxes s, const std::uint32_t* p, const std::uint8_t* in,
                                 std::uint8_t* out, std::size_t blocks, THalves& chain) {
  std::uint8_t wideChain[8];
  Store(wideChain, chain.L, chain.R);
  std::size_t i =
      bfcore::CipherWide(s, p, in, out, blocks, bfcore::TWideMode::kCfbDecrypt, wideChain);
  std::uint32_t pl = LoadBE(wideChain), pr = LoadBE(wideChain + 4);
  for (; i + kLanes <= blocks; i += kLanes) {
    std::uint32_t cl[kLanes], cr[kLanes], l[kLanes], r[kLanes];
    bfcore::Lanes<kLanes>([&](std::size_t k) {
      cl[k] = LoadBE(in + 8 * (i + k));
      cr[k] = LoadBE(in + 8 * (i + k) + 4);
    });
    bfcore::Lanes<kLanes>([&](std::size_t k) {
      l[k] = k == 0 ? pl : cl[k - 1];
      r[k] = k == 0 ? pr : cr[k - 1];
    });
    bfcore::EncipherN(s, p, l, r);
    bfcore::Lanes<kLanes>(
        [&](std::size_t k) { Store(out + 8 * (i + k), l[k] ^ cl[k], r[k] ^ cr[k]); });
    pl = cl[kLanes - 1];
    pr = cr[kLanes - 1];
  }
  for (; i < blocks; ++i) {
    const auto [nl, nr] = Load(in + 8 * i);
    bfcore::Encipher(s, p, pl, pr);
    Store(out + 8 * i, pl ^ nl, pr ^ nr);
    pl = nl;
    pr = nr;
  }
  chain = {pl, pr};
}

}  // namespace

void TBlowfish::EncryptBlockMode() {
  FLeft = &FWork[0];
  FRight = &FWork[1];
  std::uint8_t* w = WorkingBlock();
  switch (FCipherMode) {
    case CBC:
      Xor8(w, FChain);
      EncBlock();
      std::memcpy(FChain, w, 8);
      break;
    case CFB:
      std::memcpy(FSave, w, 8);
      std::memcpy(w, FChain, 8);
      EncBlock();
      std::memcpy(FChain, w, 8);
      std::memcpy(w, FSave, 8);
      Xor8(w, FChain);
      std::memcpy(FChain, w, 8);
      break;
    case OFB:
      std::memcpy(FSave, w, 8);
      std::memcpy(w, FChain, 8);
      EncBlock();
      std::memcpy(FChain, w, 8);
      std::memcpy(w, FSave, 8);
      Xor8(w, FChain);
      break;
    default:
      EncBlock();
      break;
  }
}

void TBlowfish::DecryptBlockMode() {
  FLeft = &FWork[0];
  FRight = &FWork[1];
  std::uint8_t* w = WorkingBlock();
  switch (FCipherMode) {
    case CBC:
      std::memcpy(FSave, w, 8);
      DecBlock();
      Xor8(w, FChain);
      std::memcpy(FChain, FSave, 8);
      break;
    case CFB:
      std::memcpy(FSave, w, 8);
      std::memcpy(w, FChain, 8);
      EncBlock();
      std::memcpy(FChain, w, 8);
      std::memcpy(w, FSave, 8);
      Xor8(w, FChain);
      std::memcpy(FChain, FSave, 8);
      break;
    case OFB:
      EncryptBlockMode();
      break;
    default:
      DecBlock();
      break;
  }
}

void TBlowfish::ProcessBlocks(bool encrypt, const std::uint8_t* in, std::uint8_t* out,
                              std::size_t blocks) {
  THalves chain = Load(FChain);
  switch (FCipherMode) {
    case CBC:
      (encrypt ? CbcEncrypt : CbcDecrypt)(FS, FP, in, out, blocks, chain);
      break;
    case CFB:
      (encrypt ? CfbEncrypt : CfbDecrypt)(FS, FP, in, out, blocks, chain);
      break;
    case OFB:
      Ofb(FS, FP, in, out, blocks, chain);
      break;
    default:
      (encrypt ? Ecb<true> : Ecb<false>)(FS, FP, in, out, blocks);
      return;
  }
  Store(FChain, chain.L, chain.R);
}

bool TBlowfish::PaddingChecksOut(std::uint64_t blocks, const std::uint8_t* previous,
                                 const std::uint8_t* last) const {
  auto [l, r] = Load(last);
  auto [pl, pr] = Load(previous);
  switch (FCipherMode) {
    case CBC:
      bfcore::Decipher(FS, FP, l, r);
      l ^= pl;
      r ^= pr;
      break;
    case CFB:
      bfcore::Encipher(FS, FP, pl, pr);
      l ^= pl;
      r ^= pr;
      break;
    case OFB: {
      // The key stream block for the last block lies `blocks` encipherments past the chain.
      std::tie(pl, pr) = std::pair(LoadBE(FChain), LoadBE(FChain + 4));
      for (std::uint64_t i = 0; i < blocks; ++i) bfcore::Encipher(FS, FP, pl, pr);
      l ^= pl;
      r ^= pr;
      break;
    }
    default:
      bfcore::Decipher(FS, FP, l, r);
      break;
  }
  std::uint8_t plain[8];
  Store(plain, l, r);
  const bool ok = PadLength(plain) != 0;
  bfcore::Wipe(plain, sizeof plain);
  return ok;
}

void TBlowfish::LoadIVString(std::string_view iv) {
  std::memset(FChain, 0, sizeof FChain);
  for (std::size_t i = 0; i < iv.size(); ++i) FChain[i % 8] ^= static_cast<std::uint8_t>(iv[i]);
  FIVLoaded = true;
}

void TBlowfish::LoadIVByte(std::span<const std::uint8_t> iv, int length) {
  const std::size_t used = length <= 0 ? 0 : std::min(static_cast<std::size_t>(length), iv.size());
  LoadIVString(std::string_view(reinterpret_cast<const char*>(iv.data()), used));
}

int TBlowfish::CBCMACBlock(std::span<std::uint8_t, 8> out) {
  std::fill(out.begin(), out.end(), 0);
  if (FCipherMode != CBC) return kBfNotCBC;
  if (!FInitialised) return kBfNotInitialised;
  if (!FIVLoaded) return kBfNoIV;
  std::memcpy(out.data(), FChain, 8);
  return kBfOk;
}

int TBlowfish::CBCMACString(std::string& out) {
  std::uint8_t mac[8];
  const int result = CBCMACBlock(mac);
  static constexpr char kHex[] = "0123456789ABCDEF";
  out.clear();
  for (std::uint8_t b : mac) {
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
  }
  return result;
}

}  // namespace glint
