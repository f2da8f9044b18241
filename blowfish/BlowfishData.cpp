// blowfish/BlowfishData.cpp: the data operations of TBlowfish on blocks, buffers, strings,
// streams and files, and the padded layout they share.
//
// Streams and files pass through the in-object data buffer a chunk at a time; decryption
// holds the last block back until the input ends, since only it carries the padding. The
// used part of the buffer is wiped before every return.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <istream>
#include <iterator>
#include <memory>
#include <ostream>

#include "blowfish/Blowfish.h"
#include "blowfish/BlowfishCore.h"
#include "rtl/Files.h"
#include "rtl/SafeFile.h"

namespace glint {

// Reads fill the whole request unless the input ends; -1 is a read error.
class TByteSource {
 public:
  virtual ~TByteSource() = default;
  virtual std::ptrdiff_t Read(std::uint8_t* buffer, std::size_t count) = 0;
};

class TByteSink {
 public:
  virtual ~TByteSink() = default;
  virtual bool Write(const std::uint8_t* data, std::size_t count) = 0;
};

namespace {

constexpr std::uint64_t kProgressEvery = 1u << 20;

class TStreamSource : public TByteSource {
 public:
  explicit TStreamSource(std::istream& in) : FIn(in) {}
  std::ptrdiff_t Read(std::uint8_t* buffer, std::size_t count) override {
    if (FIn.eof()) return 0;
    FIn.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(count));
    if (FIn.bad()) return -1;
    return static_cast<std::ptrdiff_t>(FIn.gcount());
  }

 private:
  std::istream& FIn;
};

class TStreamSink : public TByteSink {
 public:
  explicit TStreamSink(std::ostream& out) : FOut(out) {}
  bool Write(const std::uint8_t* data, std::size_t count) override {
    FOut.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(count));
    return static_cast<bool>(FOut);
  }

 private:
  std::ostream& FOut;
};

class TFileSource : public TByteSource {
 public:
  explicit TFileSource(std::FILE* file) : FFile(file) {}
  std::ptrdiff_t Read(std::uint8_t* buffer, std::size_t count) override {
    const std::size_t got = std::fread(buffer, 1, count, FFile);
    if (got < count && std::ferror(FFile)) return -1;
    return static_cast<std::ptrdiff_t>(got);
  }

 private:
  std::FILE* FFile;
};

class TSafeFileSink : public TByteSink {
 public:
  explicit TSafeFileSink(TSafeFile& file) : FFile(file) {}
  bool Write(const std::uint8_t* data, std::size_t count) override {
    return FFile.Write(data, count);
  }

 private:
  TSafeFile& FFile;
};

}  // namespace

int TBlowfish::PadLength(const std::uint8_t* last) {
  const int pad = last[7];
  if (pad < 1 || pad > 8) return 0;
  for (int i = 8 - pad; i < 7; ++i) {
    if (last[i] != pad) return 0;
  }
  return pad;
}

int TBlowfish::CheckReady() const {
  if (!FInitialised) return kBfNotInitialised;
  if (FCipherMode != ECB && !FIVLoaded) return kBfNoIV;
  return kBfOk;
}

void TBlowfish::WipeScratch() {
  bfcore::Wipe(FWork, sizeof FWork);
  bfcore::Wipe(FSave, sizeof FSave);
  FLeft = &FWork[0];
  FRight = &FWork[1];
  FOutput = nullptr;
}

int TBlowfish::EncryptBlock(const void* in, void* out) {
  if (const int ready = CheckReady(); ready != kBfOk) return ready;
  std::memcpy(FWork, in, kBlockSize);
  EncryptBlockMode();
  std::memcpy(out, FWork, kBlockSize);
  WipeScratch();
  return kBfOk;
}

int TBlowfish::DecryptBlock(const void* in, void* out) {
  if (const int ready = CheckReady(); ready != kBfOk) return ready;
  std::memcpy(FWork, in, kBlockSize);
  DecryptBlockMode();
  std::memcpy(out, FWork, kBlockSize);
  WipeScratch();
  return kBfOk;
}

int TBlowfish::EncryptBuffer(const void* in, void* out, std::size_t length) {
  if (const int ready = CheckReady(); ready != kBfOk) return ready;
  if (length % kBlockSize != 0) return kBfInvalidData;
  FOutput = static_cast<std::uint8_t*>(out);
  ProcessBlocks(true, static_cast<const std::uint8_t*>(in), FOutput, length / kBlockSize);
  FOutput = nullptr;
  return kBfOk;
}

int TBlowfish::DecryptBuffer(const void* in, void* out, std::size_t length) {
  if (const int ready = CheckReady(); ready != kBfOk) return ready;
  if (length % kBlockSize != 0) return kBfInvalidData;
  FOutput = static_cast<std::uint8_t*>(out);
  ProcessBlocks(false, static_cast<const std::uint8_t*>(in), FOutput, length / kBlockSize);
  FOutput = nullptr;
  return kBfOk;
}

int TBlowfish::EncryptString(std::string_view in, std::string& out) {
  if (const int ready = CheckReady(); ready != kBfOk) return ready;
  const std::size_t pad = kBlockSize - in.size() % kBlockSize;
  std::string data(in.size() + pad, static_cast<char>(pad));
  std::memcpy(data.data(), in.data(), in.size());
  auto* bytes = reinterpret_cast<std::uint8_t*>(data.data());
  ProcessBlocks(true, bytes, bytes, data.size() / kBlockSize);
  out = FStringMode == smEncode ? EncodeString(data) : std::move(data);
  return kBfOk;
}

int TBlowfish::DecryptPadded(std::string& data, std::size_t& plainLength) {
  if (data.empty() || data.size() % kBlockSize != 0) return kBfInvalidData;
  std::uint8_t chain[8];
  std::memcpy(chain, FChain, sizeof chain);
  auto* bytes = reinterpret_cast<std::uint8_t*>(data.data());
  ProcessBlocks(false, bytes, bytes, data.size() / kBlockSize);
  const int pad = PadLength(bytes + data.size() - kBlockSize);
  if (pad == 0) {
    std::memcpy(FChain, chain, sizeof chain);
    bfcore::Wipe(data.data(), data.size());
    return kBfInvalidData;
  }
  plainLength = data.size() - static_cast<std::size_t>(pad);
  return kBfOk;
}

int TBlowfish::DecryptString(std::string_view in, std::string& out) {
  if (const int ready = CheckReady(); ready != kBfOk) return ready;
  std::string data;
  if (FStringMode == smEncode) {
    if (DecodeString(in, data) != kBfOk) return kBfInvalidData;
  } else {
    data.assign(in);
  }
  std::size_t plainLength = 0;
  if (const int result = DecryptPadded(data, plainLength); result != kBfOk) return result;
  out.assign(data, 0, plainLength);
  bfcore::Wipe(data.data(), data.size());
  return kBfOk;
}

int TBlowfish::EncryptFrom(TByteSource& source, TByteSink& sink) {
  std::uint8_t chain[8];
  std::memcpy(chain, FChain, sizeof chain);
  std::size_t used = 0;
  std::uint64_t done = 0;
  int result = kBfOk;
  for (;;) {
    const std::ptrdiff_t got = source.Read(FData, kChunkSize);
    if (got < 0) {
      result = kBfFileError;
      break;
    }
    std::size_t count = static_cast<std::size_t>(got);
    const bool last = count < kChunkSize;
    if (last) {
      const std::size_t pad = kBlockSize - count % kBlockSize;
      std::memset(FData + count, static_cast<int>(pad), pad);
      count += pad;
    }
    used = std::max(used, count);
    ProcessBlocks(true, FData, FData, count / kBlockSize);
    if (!sink.Write(FData, count)) {
      result = kBfFileError;
      break;
    }
    done += static_cast<std::uint64_t>(got);
    if (FOnProgress && done % kProgressEvery == 0 && !last) FOnProgress(*this, done);
    if (last) break;
  }
  if (result != kBfOk) std::memcpy(FChain, chain, sizeof chain);
  bfcore::Wipe(FData, used);
  return result;
}

int TBlowfish::DecryptFrom(TByteSource& source, TByteSink& sink) {
  std::uint8_t chain[8];
  std::memcpy(chain, FChain, sizeof chain);
  std::size_t held = 0;  // the last block read, kept back in front of the buffer
  std::size_t used = 0;
  std::uint64_t done = 0;
  int result = kBfOk;
  for (;;) {
    const std::ptrdiff_t got = source.Read(FData + held, kChunkSize);
    if (got < 0) {
      result = kBfFileError;
      break;
    }
    const std::size_t total = held + static_cast<std::size_t>(got);
    used = std::max(used, total);
    if (static_cast<std::size_t>(got) == kChunkSize) {
      const std::size_t ready = total - kBlockSize;
      ProcessBlocks(false, FData, FData, ready / kBlockSize);
      if (!sink.Write(FData, ready)) {
        result = kBfFileError;
        break;
      }
      std::memmove(FData, FData + ready, kBlockSize);
      held = kBlockSize;
      done += kChunkSize;
      if (FOnProgress && done % kProgressEvery == 0) FOnProgress(*this, done);
      continue;
    }
    if (total == 0 || total % kBlockSize != 0) {
      result = kBfInvalidData;
      break;
    }
    ProcessBlocks(false, FData, FData, total / kBlockSize);
    const int pad = PadLength(FData + total - kBlockSize);
    if (pad == 0) {
      result = kBfInvalidData;
      break;
    }
    if (!sink.Write(FData, total - static_cast<std::size_t>(pad))) result = kBfFileError;
    break;
  }
  if (result != kBfOk) std::memcpy(FChain, chain, sizeof chain);
  bfcore::Wipe(FData, used);
  return result;
}

int TBlowfish::EncryptStream(std::istream& in, std::ostream& out) {
  if (const int ready = CheckReady(); ready != kBfOk) return ready;
  TStreamSource source(in);
  TStreamSink sink(out);
  const int result = EncryptFrom(source, sink);
  if (result == kBfOk && !out.flush()) return kBfFileError;
  return result;
}

int TBlowfish::DecryptStream(std::istream& in, std::ostream& out) {
  if (const int ready = CheckReady(); ready != kBfOk) return ready;
  const std::istream::pos_type start = in.tellg();
  if (start == std::istream::pos_type(-1)) {
    // Not seekable: the padding can only be checked once everything is in.
    std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return kBfFileError;
    std::size_t plainLength = 0;
    if (const int result = DecryptPadded(data, plainLength); result != kBfOk) return result;
    out.write(data.data(), static_cast<std::streamsize>(plainLength));
    bfcore::Wipe(data.data(), data.size());
    return out.flush() ? kBfOk : kBfFileError;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff length = in.tellg() - start;
  if (!in || length <= 0 || length % static_cast<std::streamoff>(kBlockSize) != 0) {
    in.clear();
    in.seekg(start);
    return in ? kBfInvalidData : kBfFileError;
  }
  std::uint8_t tail[16];
  std::memcpy(tail, FChain, kBlockSize);
  const std::streamoff tailLength = std::min<std::streamoff>(length, 16);
  in.seekg(start + length - tailLength);
  in.read(reinterpret_cast<char*>(tail + 16 - tailLength), tailLength);
  in.seekg(start);
  if (!in) return kBfFileError;
  if (!PaddingChecksOut(static_cast<std::uint64_t>(length) / kBlockSize, tail, tail + 8)) {
    return kBfInvalidData;
  }
  TStreamSource source(in);
  TStreamSink sink(out);
  const int result = DecryptFrom(source, sink);
  if (result == kBfOk && !out.flush()) return kBfFileError;
  return result;
}

// Both directions write a temporary file beside the target (TSafeFile) that replaces
// the target only when the whole run succeeded; a failed run also leaves the chaining
// register as it was. The input is open before the output exists, so the two may be
// the same file.
int TBlowfish::CipherFile(const std::string& inName, const std::string& outName, bool decrypt) {
  if (const int ready = CheckReady(); ready != kBfOk) return ready;
  TFilePtr in(std::fopen(inName.c_str(), "rb"));
  if (!in) return kBfFileError;
  TSafeFile out(outName);
  if (!out.Open()) return kBfFileError;
  TFileSource source(in.get());
  TSafeFileSink sink(out);
  std::uint8_t chain[8];
  std::memcpy(chain, FChain, sizeof chain);
  int result = decrypt ? DecryptFrom(source, sink) : EncryptFrom(source, sink);
  in.reset();
  if (result == kBfOk && !out.Commit()) result = kBfFileError;
  if (result != kBfOk) std::memcpy(FChain, chain, sizeof chain);
  return result;
}

int TBlowfish::EncryptFile(const std::string& inName, const std::string& outName) {
  return CipherFile(inName, outName, false);
}

int TBlowfish::DecryptFile(const std::string& inName, const std::string& outName) {
  return CipherFile(inName, outName, true);
}

}  // namespace glint
