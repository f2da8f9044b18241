// blowfish/Blowfish.h: TBlowfish, a non-visual component holding one keyed instance of the
// Blowfish block cipher (64-bit block, 16 rounds) with the ECB, CBC, CFB (64-bit) and OFB
// (64-bit) modes, a CBC-MAC, and operations on blocks, buffers, strings, streams and files.
//
// Failure: the cipher never throws; every operation returns one of the result codes below.
// A data operation that fails writes no output (streams: see DecryptStream) and leaves the
// chaining register as it found it. Key material lives inside the object; Burn and the
// destructor wipe it. One instance, one thread at a time.
//
// Padded layout (strings, streams, files): the data, then 1 to 8 pad bytes each holding the
// pad length, in every mode, no length prefix. A CBC file is byte-identical to what
// `openssl enc -bf-cbc -K <key> -iv <iv> -nosalt` writes (ECB: `-bf-ecb`).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "rtl/Component.h"

// Set by the build to export the class from the d4_bfc / c3_bfc packages (and to import
// it in their users); empty in the static library.
#ifndef GLINT_BFC_API
#define GLINT_BFC_API
#endif

namespace glint {

// Result codes shared by every operation of TBlowfish.
inline constexpr int kBfOk = 0;
inline constexpr int kBfNotInitialised = -1;
inline constexpr int kBfBadKey = -2;       // empty key, or a key length outside the array
inline constexpr int kBfInvalidData = -3;  // not a whole number of blocks, or bad padding
inline constexpr int kBfNoIV = -4;         // a mode other than ECB without a loaded IV
inline constexpr int kBfFileError = -5;    // a file or stream could not be read or written
inline constexpr int kBfNotCBC = -6;       // CBC-MAC asked for outside CBC mode

// A short text naming what a result code means ("the data is not a valid ciphertext").
GLINT_BFC_API const char* BlowfishResultText(int code);

enum TCipherMode : std::uint8_t { ECB = 0, CBC = 1, CFB = 2, OFB = 3 };
enum TStringMode : std::uint8_t { smEncode = 0, smNormal = 1 };

// A 32-bit half of a block; byte 0 is the least significant (native little-endian).
using DoublWord = std::uint32_t;

// Where the stream and file operations read and write their chunks (BlowfishData.cpp).
class TByteSource;
class TByteSink;

class GLINT_BFC_API TBlowfish : public TComponent {
 public:
  static constexpr std::size_t kBlockSize = 8;
  static constexpr std::size_t kChunkSize = 4096;  // bytes per data-buffer pass
  // Called by stream and file operations about once per MiB with the input bytes so far.
  using TProgressEvent = std::function<void(TBlowfish& sender, std::uint64_t bytesDone)>;

  explicit TBlowfish(TComponent* owner = nullptr);
  ~TBlowfish() override;

  // Keys the cipher. An empty key returns -2 and changes nothing. Of a key longer than
  // 72 bytes only the first 72 count. The IV and the modes are left as they are.
  [[nodiscard]] int InitialiseString(std::string_view key);
  // The same with the first `keyLength` bytes of `key`; a length outside 1..key.size()
  // returns -2 and changes nothing.
  [[nodiscard]] int InitialiseByte(std::span<const std::uint8_t> key, int keyLength);
  // Wipes the key, the IV and the working state; the modes stay. Initialise again after.
  void Burn();
  std::string GetVersion() const { return "1.11"; }

  TCipherMode CipherMode() const { return FCipherMode; }
  void SetCipherMode(TCipherMode mode) { FCipherMode = mode; }
  TStringMode StringMode() const { return FStringMode; }
  void SetStringMode(TStringMode mode) { FStringMode = mode; }
  const TProgressEvent& OnProgress() const { return FOnProgress; }
  void SetOnProgress(TProgressEvent handler) { FOnProgress = std::move(handler); }

  // Loads the IV: zero-padded to 8 bytes, longer ones folded in by XOR. The chain then
  // runs on across calls until the IV is loaded again.
  void LoadIVString(std::string_view iv);
  // The first `length` bytes of `iv`; a length past its size uses the whole array, a
  // length <= 0 gives the all-zero IV.
  void LoadIVByte(std::span<const std::uint8_t> iv, int length);
  // The chaining register after CBC encryption (the last cipher block). `out` is zeroed
  // first; -6 outside CBC, then -1 and -4.
  [[nodiscard]] int CBCMACBlock(std::span<std::uint8_t, 8> out);
  // The same as 16 upper-case hex digits ("0000000000000000" on failure).
  [[nodiscard]] int CBCMACString(std::string& out);

  // One 8-byte block in the current mode, no padding. `in` and `out` may be the same.
  [[nodiscard]] int EncryptBlock(const void* in, void* out);
  [[nodiscard]] int DecryptBlock(const void* in, void* out);
  // `length` bytes, a whole number of blocks (else -3, nothing written), no padding.
  // `in` and `out` are the same buffer or do not overlap.
  [[nodiscard]] int EncryptBuffer(const void* in, void* out, std::size_t length);
  [[nodiscard]] int DecryptBuffer(const void* in, void* out, std::size_t length);
  // Padded. In smEncode the cipher text is carried as EncodeString text.
  [[nodiscard]] int EncryptString(std::string_view in, std::string& out);
  [[nodiscard]] int DecryptString(std::string_view in, std::string& out);
  // From the current position of `in` to its end, padded. DecryptStream checks the padding
  // before writing anything (a non-seekable input is read into memory first), so only a
  // read or write error (-5) can leave part of the output written.
  [[nodiscard]] int EncryptStream(std::istream& in, std::ostream& out);
  [[nodiscard]] int DecryptStream(std::istream& in, std::ostream& out);
  // Whole files, padded. The output goes to a temporary file beside the target that
  // replaces it only on success; the two names may be the same file.
  [[nodiscard]] int EncryptFile(const std::string& inName, const std::string& outName);
  [[nodiscard]] int DecryptFile(const std::string& inName, const std::string& outName);

  // A 6-bit text encoding over "0-9A-Za-z+-": 3 bytes to 4 characters, a tail of 1 or 2
  // bytes to 2 or 3 characters. DecodeString returns -3 for text it cannot have made.
  static std::string EncodeString(std::string_view data);
  [[nodiscard]] static int DecodeString(std::string_view text, std::string& out);

 protected:
  void InitialiseCore(std::string_view key, int keyLength);  // the key schedule
  void InitArray();                                          // the standard tables
  void EncBlock();  // the working block, through the half pointers, big-endian halves
  void DecBlock();
  void Core_Encipher();  // the rounds on the native words behind the half pointers
  void Core_Decipher();
  void DoRound(DoublWord& a, DoublWord b, std::uint8_t n) const;
  // The working block in place by the current mode; no checks.
  void EncryptBlockMode();
  void DecryptBlockMode();

  std::uint8_t* WorkingBlock() { return reinterpret_cast<std::uint8_t*>(FWork); }
  const DoublWord* LeftHalf() const { return FLeft; }
  const DoublWord* RightHalf() const { return FRight; }

 private:
  [[nodiscard]] int CheckReady() const;
  // Runs `blocks` whole blocks through the current mode, several independent blocks at
  // once where the mode allows; results and chain as block by block.
  void ProcessBlocks(bool encrypt, const std::uint8_t* in, std::uint8_t* out, std::size_t blocks);
  // The pad length (1 to 8) the final plain block `last` ends with, 0 when it does not end
  // in valid padding: the one check of every padded path.
  static int PadLength(const std::uint8_t* last);
  // Decrypts `data` (whole blocks) in place and checks the padding; on -3 the chain is
  // restored and `data` wiped.
  [[nodiscard]] int DecryptPadded(std::string& data, std::size_t& plainLength);
  // Would the last of `blocks` cipher blocks, `last`, decrypt to valid padding? `previous`
  // is the cipher block before it, or the chain when there is only one (OFB runs from the
  // chain instead). Changes nothing.
  [[nodiscard]] bool PaddingChecksOut(std::uint64_t blocks, const std::uint8_t* previous,
                                      const std::uint8_t* last) const;
  [[nodiscard]] int EncryptFrom(TByteSource& source, TByteSink& sink);
  [[nodiscard]] int DecryptFrom(TByteSource& source, TByteSink& sink);
  [[nodiscard]] int CipherFile(const std::string& inName, const std::string& outName, bool decrypt);
  void WipeScratch();

  bool FInitialised = false;
  bool FIVLoaded = false;
  alignas(8) std::uint8_t FChain[8] = {};
  alignas(8) std::uint8_t FSave[8] = {};
  DoublWord FS[4][256] = {};
  DoublWord FP[18] = {};
  DoublWord FWork[2] = {};  // the working block, its 8 bytes in block order
  DoublWord* FLeft = nullptr;
  DoublWord* FRight = nullptr;
  std::uint8_t FData[kChunkSize + 9] = {};  // a chunk plus a held-back or pad block
  std::uint8_t* FOutput = nullptr;
  TCipherMode FCipherMode = ECB;
  TStringMode FStringMode = smEncode;
  TProgressEvent FOnProgress;
};

}  // namespace glint

// The package registration procedure: puts TBlowfish on the palette page "Crypto".
extern "C" GLINT_BFC_API void Register();
