// tools/bfc/bfc.cpp: bfc, the Blowfish component for people who want the cipher without
// writing code: encrypt and decrypt files, standard streams and strings, and compute the
// CBC-MAC, in the padded layout of TBlowfish (a CBC file is what `openssl enc -bf-cbc
// -nosalt` writes).
//
// Failures print one line naming the cause and exit 1 (2 for a usage error). A failed
// run leaves OUT as it was: files are written beside the target and renamed over it on
// success, and decryption to standard output checks the padding before writing.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <streambuf>
#include <string>
#include <vector>

#include "blowfish/Blowfish.h"
#include "rtl/Ascii.h"
#include "rtl/SafeFile.h"
#include "tools/bfc/Terminal.h"

namespace glint {
namespace {

constexpr std::uint64_t kProgressThreshold = 64ull << 20;

constexpr char kHelp[] =
    R"(bfc - Blowfish encryption from the command line

Usage:
  bfc encrypt [--mode MODE] KEY [IV] [IN [OUT]]
  bfc decrypt [--mode MODE] KEY [IV] [IN [OUT]]
  bfc encrypt [--mode MODE] KEY [IV] --string TEXT
  bfc decrypt [--mode MODE] KEY [IV] --string TEXT
  bfc mac KEY IV [IN]
  bfc --help

  KEY is --key TEXT (the bytes of TEXT) or --key-hex HEX (hexadecimal bytes).
  IV  is --iv TEXT or --iv-hex HEX. An IV shorter than 8 bytes is padded with
      zeros; a longer one is folded into 8 bytes by XOR.
  MODE is ecb, cbc (the default), cfb (64-bit feedback) or ofb (64-bit output
      feedback). Every mode but ecb needs an IV.

Files:
  IN and OUT name files; where one is absent or "-", standard input or standard
  output is used. The cipher text is the data followed by 1 to 8 pad bytes, each
  holding the pad length, with no header. A CBC file is byte-identical to
    openssl enc -bf-cbc -K <key hex> -iv <iv hex> -nosalt
  and an ECB file to -bf-ecb (for 16-byte keys, OpenSSL's Blowfish key length).
  OUT may be the same file as IN. OUT is replaced only when the whole run
  succeeds; a failed decryption writes nothing. Inputs over 64 MiB show their
  progress on standard error when it is a terminal.

Strings:
  With --string, encrypt prints the cipher text as printable text (digits,
  letters, "+" and "-"), and decrypt takes such text and prints the plain text.

MAC:
  bfc mac prints the CBC-MAC of the padded data: the last block of its CBC
  encryption, as 16 hexadecimal digits.

Exit status: 0 on success, 1 when the operation fails, 2 for a usage error.
Failure messages name the cause and the component's result code:
  -1 no key, -2 empty key, -3 not a valid ciphertext (wrong key, IV or mode,
  or corrupted data), -4 no IV, -5 file error, -6 MAC outside CBC mode.
)";

struct TOptions {
  std::string Command;
  TCipherMode Mode = CBC;
  bool ModeGiven = false;
  std::optional<std::vector<std::uint8_t>> Key;
  std::optional<std::vector<std::uint8_t>> IV;
  std::optional<std::string> Text;
  std::vector<std::string> Files;
};

class TUsageError {
 public:
  explicit TUsageError(std::string message) : Message(std::move(message)) {}
  std::string Message;
};

// A failure of the operation itself: the message is complete.
class TRunError {
 public:
  explicit TRunError(std::string message) : Message(std::move(message)) {}
  std::string Message;
};

std::string ResultMessage(int code) {
  return std::string(BlowfishResultText(code)) + " (result " + std::to_string(code) + ")";
}

std::vector<std::uint8_t> ParseHex(const std::string& option, const std::string& hex) {
  if (hex.size() % 2 != 0) throw TUsageError(option + " needs an even number of hex digits");
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
    if (hi < 0 || lo < 0) throw TUsageError(option + " has a character that is not a hex digit");
    bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return bytes;
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// The command is the first word; CLI11 reads the options after it. Any word that
// does not start with "--" is a file name ("-" and "-x" included), and "--" makes
// every word after it a file name. Each option takes the next word as its value,
// whatever it looks like, so a string such as "-Ab3" can be decrypted. Usage
// errors are reported in command-line order: the first wrong word is named.
TOptions Parse(int argc, char** argv) {
  TOptions o;
  if (argc < 2) throw TUsageError("no command given");
  o.Command = argv[1];
  if (o.Command != "encrypt" && o.Command != "decrypt" && o.Command != "mac") {
    throw TUsageError("unknown command '" + o.Command + "'");
  }
  CLI::App app;
  app.set_help_flag();  // answered before parsing, wherever it stands
  app.allow_extras();   // file names and unknown options, in order
  // An unknown option met before `message`'s word is the first error.
  const auto fail = [&app](const std::string& message) {
    for (const std::string& word : app.remaining()) {
      if (word == "--") break;
      if (word.rfind("--", 0) == 0) throw TUsageError("unknown option '" + word + "'");
    }
    throw TUsageError(message);
  };
  const auto option = [&app](const char* name, auto use) {
    app.add_option_function<std::string>(name, use)->allow_extra_args(false)->trigger_on_parse();
  };
  option("--mode", [&](const std::string& m) {
    if (m == "ecb")
      o.Mode = ECB;
    else if (m == "cbc")
      o.Mode = CBC;
    else if (m == "cfb")
      o.Mode = CFB;
    else if (m == "ofb")
      o.Mode = OFB;
    else
      fail("unknown mode '" + m + "' (use ecb, cbc, cfb or ofb)");
    o.ModeGiven = true;
  });
  const auto bytes = [&](std::optional<std::vector<std::uint8_t>>& target, const char* twice,
                         bool hex, const char* name) {
    return [&target, twice, hex, name, &fail](const std::string& value) {
      if (target) fail(twice);
      try {
        target = hex ? ParseHex(name, value) : Bytes(value);
      } catch (const TUsageError& e) {
        fail(e.Message);
      }
    };
  };
  option("--key", bytes(o.Key, "give the key once", false, "--key"));
  option("--key-hex", bytes(o.Key, "give the key once", true, "--key-hex"));
  option("--iv", bytes(o.IV, "give the IV once", false, "--iv"));
  option("--iv-hex", bytes(o.IV, "give the IV once", true, "--iv-hex"));
  option("--string", [&](const std::string& text) { o.Text = text; });

  std::vector<std::string> reversed;  // CLI11 takes the words last first
  for (int i = argc - 1; i >= 2; --i) reversed.emplace_back(argv[i]);
  try {
    app.parse(reversed);
  } catch (const CLI::ArgumentMismatch&) {
    // Only an option that is the last word can lack its value.
    fail(reversed.front() + " needs a value");
  }
  bool filesOnly = false;
  for (const std::string& word : app.remaining()) {
    if (!filesOnly && word == "--") {
      filesOnly = true;
    } else if (!filesOnly && word.rfind("--", 0) == 0) {
      throw TUsageError("unknown option '" + word + "'");
    } else {
      o.Files.push_back(word);
    }
  }
  if (!o.Key) throw TUsageError("a key is needed (--key TEXT or --key-hex HEX)");
  if (o.Command == "mac") {
    if (o.ModeGiven && o.Mode != CBC) throw TUsageError("the MAC is computed in CBC mode only");
    if (!o.IV) throw TUsageError("mac needs an IV (--iv TEXT or --iv-hex HEX)");
    if (o.Text) throw TUsageError("mac reads a file or standard input, not --string");
    if (o.Files.size() > 1) throw TUsageError("mac takes at most one input file");
  } else {
    if (o.Mode != ECB && !o.IV) {
      throw TUsageError("this mode needs an IV (--iv TEXT or --iv-hex HEX); only ecb does not");
    }
    if (o.Text && !o.Files.empty()) throw TUsageError("--string takes no input or output files");
    if (o.Files.size() > 2) throw TUsageError("too many file names");
  }
  return o;
}

// Discards what it is given; the MAC needs the encryption, not its output.
class TNullBuf : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

bool IsStd(const std::string& name) { return name.empty() || name == "-"; }

std::uint64_t InputSize(const std::string& name) {
  std::error_code ec;
  const auto size = IsStd(name) ? 0 : std::filesystem::file_size(name, ec);
  return ec ? 0 : static_cast<std::uint64_t>(size);
}

void ShowProgress(TBlowfish& bf, const std::string& verb, const std::string& in) {
  if (!StderrIsTerminal()) return;
  const std::uint64_t size = InputSize(in);
  if (!IsStd(in) && size <= kProgressThreshold) return;
  bf.SetOnProgress([verb, size](TBlowfish&, std::uint64_t done) {
    if (size > 0) {
      std::fprintf(stderr, "\rbfc: %s %3u%% (%llu of %llu MiB)", verb.c_str(),
                   static_cast<unsigned>(done * 100 / size),
                   static_cast<unsigned long long>(done >> 20),
                   static_cast<unsigned long long>(size >> 20));
    } else if (done >= kProgressThreshold) {
      std::fprintf(stderr, "\rbfc: %s %llu MiB", verb.c_str(),
                   static_cast<unsigned long long>(done >> 20));
    }
  });
}

void EndProgress(TBlowfish& bf) {
  if (bf.OnProgress()) std::fprintf(stderr, "\n");
}

void Check(int code, const std::string& what) {
  if (code != kBfOk) throw TRunError(what + ": " + ResultMessage(code));
}

std::string Describe(const std::string& name) {
  return IsStd(name) ? "standard input" : "'" + name + "'";
}

void RequireReadable(const std::string& in) {
  if (IsStd(in)) return;
  std::ifstream probe(in, std::ios::binary);
  if (!probe) throw TRunError("cannot open " + Describe(in) + ": " + std::strerror(errno));
}

// An unbuffered stream buffer writing into a TSafeFile; the cipher writes whole chunks.
class TSafeFileBuf : public std::streambuf {
 public:
  explicit TSafeFileBuf(TSafeFile& file) : FFile(file) {}

 protected:
  int overflow(int c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return FFile.Write(&byte, 1) ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* data, std::streamsize count) override {
    return FFile.Write(data, static_cast<std::size_t>(count)) ? count : 0;
  }

 private:
  TSafeFile& FFile;
};

// Runs `op` into the file `out` through a temporary beside it (TSafeFile), which
// replaces `out` only when `op` succeeded.
template <class Op>
int ToFile(const std::string& out, Op op) {
  TSafeFile file(out);
  if (!file.Open()) return kBfFileError;
  TSafeFileBuf buffer(file);
  std::ostream stream(&buffer);
  const int result = op(stream);
  if (result != kBfOk) return result;
  return stream && file.Commit() ? kBfOk : kBfFileError;
}

void RunData(TBlowfish& bf, const TOptions& o) {
  const bool encrypt = o.Command == "encrypt";
  const std::string in = o.Files.size() > 0 ? o.Files[0] : "-";
  const std::string out = o.Files.size() > 1 ? o.Files[1] : "-";
  RequireReadable(in);
  ShowProgress(bf, encrypt ? "encrypting" : "decrypting", in);
  const auto run = [&](std::istream& input, std::ostream& output) {
    return encrypt ? bf.EncryptStream(input, output) : bf.DecryptStream(input, output);
  };
  int result;
  if (!IsStd(in) && !IsStd(out)) {
    result = encrypt ? bf.EncryptFile(in, out) : bf.DecryptFile(in, out);
  } else if (IsStd(out)) {
    if (IsStd(in)) {
      result = run(std::cin, std::cout);
    } else {
      std::ifstream input(in, std::ios::binary);
      result = run(input, std::cout);
    }
  } else {
    result = ToFile(out, [&](std::ostream& file) { return run(std::cin, file); });
  }
  EndProgress(bf);
  Check(result, std::string(encrypt ? "cannot encrypt " : "cannot decrypt ") + Describe(in) +
                    (IsStd(out) ? "" : " to '" + out + "'"));
}

void RunString(TBlowfish& bf, const TOptions& o) {
  std::string result;
  if (o.Command == "encrypt") {
    Check(bf.EncryptString(*o.Text, result), "cannot encrypt the string");
  } else {
    Check(bf.DecryptString(*o.Text, result), "cannot decrypt the string");
  }
  std::cout << result << '\n';
}

void RunMac(TBlowfish& bf, const TOptions& o) {
  const std::string in = o.Files.empty() ? "-" : o.Files[0];
  RequireReadable(in);
  ShowProgress(bf, "reading", in);
  TNullBuf nothing;
  std::ostream sink(&nothing);
  int result;
  if (IsStd(in)) {
    result = bf.EncryptStream(std::cin, sink);
  } else {
    std::ifstream input(in, std::ios::binary);
    result = bf.EncryptStream(input, sink);
  }
  EndProgress(bf);
  Check(result, "cannot read " + Describe(in));
  std::string mac;
  Check(bf.CBCMACString(mac), "cannot compute the MAC");
  std::cout << mac << '\n';
}

int Main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::cout << kHelp;
      return 0;
    }
  }
  try {
    const TOptions o = Parse(argc, argv);
    SetBinaryStdio();
    TBlowfish bf;
    bf.SetCipherMode(o.Command == "mac" ? CBC : o.Mode);
    bf.SetStringMode(smEncode);
    Check(bf.InitialiseByte(*o.Key, static_cast<int>(o.Key->size())), "cannot use the key");
    if (o.IV) bf.LoadIVByte(*o.IV, static_cast<int>(o.IV->size()));
    if (o.Command == "mac") {
      RunMac(bf, o);
    } else if (o.Text) {
      RunString(bf, o);
    } else {
      RunData(bf, o);
    }
    std::cout.flush();
    if (!std::cout) throw TRunError("cannot write to standard output");
    return 0;
  } catch (const TUsageError& e) {
    std::cerr << "bfc: " << e.Message << "\nTry 'bfc --help' for more information.\n";
    return 2;
  } catch (const TRunError& e) {
    std::cerr << "bfc: " << e.Message << '\n';
    return 1;
  }
}

}  // namespace
}  // namespace glint

int main(int argc, char** argv) { return glint::Main(argc, argv); }
