// The in-memory registry as registry-editor export text, and its file round trip.
//
// Three layers: file bytes and UTF-8 text (RegFileText.cpp), UTF-8 text and the changes
// it describes (here), and the registry itself (LittleWin_mem.cpp). A load parses the
// whole text before it touches the registry, so a line it cannot take changes nothing.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/Ascii.h"
#include "rtl/SafeFile.h"
#include "win32api/MemRegistry.h"
#include "win32api/RegFileText.h"
#include "win32api/RegKey.h"

namespace glint::win32 {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
// The editor ends a line of hex data with a backslash after the comma that takes it to
// this many characters, and continues on a line indented by two spaces.
constexpr std::size_t kHexLineWidth = 77;

// Plain numbers, not HKEYs: the registry file is loaded during static
// initialisation, possibly before this file's dynamic initialisers have run.
struct TRootName {
  std::string_view Name;
  std::uint32_t Value;
  HKEY Key() const { return detail::PredefinedKey(Value); }
};
constexpr TRootName kRoots[] = {{"HKEY_CLASSES_ROOT", 0x80000000u},
                                {"HKEY_CURRENT_USER", 0x80000001u},
                                {"HKEY_LOCAL_MACHINE", 0x80000002u},
                                {"HKEY_USERS", 0x80000003u}};

// Types whose data the "A" functions see in the code page and the editor writes as UTF-16.
bool IsTextType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Key and value names compare with ASCII letters folded, as the registry compares them.
std::string Folded(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

std::string SectionName(int root, std::string_view path) {
  std::string name(kRoots[root].Name);
  if (!path.empty()) name.append("\\").append(path);
  return name;
}

bool AllHex(std::string_view s) {
  for (char c : s)
    if (HexDigit(c) < 0) return false;
  return !s.empty();
}

// ---- Writing

// Quotes UTF-8 text with the escapes the editor reads back.
std::string Quoted(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '\\':
      case '"':
        out += '\\';
        out += c;
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\0':
        out += "\\0";
        break;
      default:
        out += c;
    }
  }
  return out + '"';
}

// The editor counts a line's width in UTF-16 code units.
std::size_t Width(std::string_view utf8) {
  std::size_t n = 0;
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    n += ((byte & 0xC0) != 0x80) + (byte >= 0xF0);
  }
  return n;
}

// A string value is written as text only when that text reads back to the same
// bytes: one terminating zero, no other zero, no line break, and no escape of a
// character that text cannot hold.
bool PlainString(const TMemValue& v) {
  if (v.Type != REG_SZ || v.Data.empty() || v.Data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < v.Data.size(); ++i)
    if (v.Data[i] == 0 || v.Data[i] == '\r' || v.Data[i] == '\n') return false;
  std::string back, ignored;
  return Utf8ToHeld(HeldToUtf8(v.Text()), &back, &ignored) && back == v.Text();
}

std::string ValueLine(const TMemValue& v, bool regedit4, std::string_view lineBreak) {
  std::string line = v.Name.empty() ? "@=" : Quoted(HeldToUtf8(v.Name)) + "=";
  if (PlainString(v)) return line + Quoted(HeldToUtf8(v.Text()));
  char buf[24];
  if (v.Type == REG_DWORD && v.Data.size() == 4) {
    std::snprintf(buf, sizeof buf, "dword:%08x",
                  v.Data[0] | v.Data[1] << 8 | v.Data[2] << 16 | unsigned(v.Data[3]) << 24);
    return line + buf;
  }
  if (v.Type == REG_BINARY) {
    line += "hex:";
  } else {
    std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.Type));
    line += buf;
  }
  const std::vector<BYTE> data = !regedit4 && IsTextType(v.Type) ? HeldToUtf16(v.Data) : v.Data;
  std::size_t width = Width(line);
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", data[i]);
    line += buf;
    if (i + 1 == data.size()) break;
    line += ',';
    width += 3;
    if (width >= kHexLineWidth) {
      line.append("\\").append(lineBreak).append("  ");
      width = 2;
    }
  }
  return line;
}

// A section for each key that had one, has values, or ends a branch, parents first.
void ExportRoot(std::string& out, const TRegFileStyle& style, std::string_view lineBreak,
                int root) {
  MemRegistryWalk(kRoots[root].Key(), [&](std::string_view path,
                                          const std::vector<TMemValue>& values, bool hasSubKeys) {
    const std::string section = SectionName(root, path);
    const bool named =
        path.empty() ? style.RootsNamed[root]
                     : style.ImpliedKeys.empty() || !style.ImpliedKeys.contains(Folded(section));
    if (!named && values.empty() && (path.empty() || hasSubKeys)) return;
    out.append(lineBreak).append("[").append(HeldToUtf8(section)).append("]").append(lineBreak);
    for (const auto& v : values)
      out.append(ValueLine(v, style.Regedit4, lineBreak)).append(lineBreak);
  });
}

// ---- Reading

enum class TAction : std::uint8_t { CreateKey, DeleteKey, SetValue, DeleteValue };

// One change a line of the file asks for. Value changes apply to the key of the last key
// line before them.
struct TChange {
  TAction Action = TAction::CreateKey;
  std::size_t Line = 0;
  int Root = 0;      // key lines
  std::string Path;  // key lines, Windows-1252
  TMemValue Value;   // value lines; the name alone for DeleteValue
};

class TParser {
 public:
  explicit TParser(std::string_view text) {
    for (std::size_t start = 0;;) {
      const std::size_t end = text.find('\n', start);
      std::string_view line = text.substr(start, end - start);
      if (end != std::string_view::npos && FLines.empty()) FCrlf = line.ends_with('\r');
      if (line.ends_with('\r')) line.remove_suffix(1);
      FLines.push_back(line);
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
  }

  bool Parse(std::vector<TChange>* changes, TRegFileStyle* style, std::string* error) {
    const bool ok = ParseLines(changes);
    if (!ok) *error = FError;
    style->Regedit4 = FRegedit4;
    style->Crlf = FCrlf;
    return ok;
  }

 private:
  bool Fail(const std::string& what) {
    FError = "line " + std::to_string(FIndex + 1) + ": " + what;
    return false;
  }

  bool ParseLines(std::vector<TChange>* changes) {
    FIndex = 0;
    if (FLines[0] != kHeader && FLines[0] != kHeader4)
      return Fail("not a registry export (no \"Windows Registry Editor Version 5.00\" line)");
    FRegedit4 = FLines[0] == kHeader4;
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t key = kNone;  // the last key line's change
    for (FIndex = 1; FIndex < FLines.size(); ++FIndex) {
      const std::string_view s = FLines[FIndex];
      if (s.empty() || s.front() == ';') continue;
      if (s.find('\0') != std::string_view::npos) return Fail("a NUL character");
      TChange c;
      c.Line = FIndex + 1;
      if (s.front() == '[') {
        if (!KeyLine(s, &c)) return false;
        key = changes->size();
        changes->push_back(std::move(c));
        continue;
      }
      if (s.front() != '@' && s.front() != '"') return Fail("neither a key, a value nor a comment");
      if (key == kNone) return Fail("value before the first key");
      if ((*changes)[key].Action == TAction::DeleteKey) return Fail("a value under a deleted key");
      if (!ValueLine(s, &c)) return false;
      changes->push_back(std::move(c));
    }
    return true;
  }

  bool KeyLine(std::string_view s, TChange* c) {
    if (s.size() < 2 || s.back() != ']') return Fail("unterminated key name");
    std::string_view name = s.substr(1, s.size() - 2);
    c->Action = TAction::CreateKey;
    if (name.starts_with('-')) {
      c->Action = TAction::DeleteKey;
      name.remove_prefix(1);
    }
    c->Root = -1;
    for (int i = 0; i < 4 && c->Root < 0; ++i) {
      const std::string_view root = kRoots[i].Name;
      if (name.starts_with(root) && (name.size() == root.size() || name[root.size()] == '\\'))
        c->Root = i;
    }
    if (c->Root < 0) return Fail("unknown root key");
    std::string_view path = name.substr(kRoots[c->Root].Name.size());
    if (!path.empty()) {
      path.remove_prefix(1);
      // Windows' own limits too, checked here so that the message names the line.
      std::size_t levels = 0;
      for (std::string_view rest = path;; ++levels) {
        const std::size_t cut = rest.find('\\');
        const std::string_view part = rest.substr(0, cut);
        if (part.empty())
          return Fail("a key name with an empty part (a doubled, leading or trailing backslash)");
        if (Width(part) > kMaxKeyNameLength)
          return Fail("a key name of " + std::to_string(Width(part)) + " characters (at most " +
                      std::to_string(kMaxKeyNameLength) + ")");
        if (levels == kMaxKeyDepth)
          return Fail("a key more than " + std::to_string(kMaxKeyDepth) + " levels below its root");
        if (cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
      }
    }
    if (c->Action == TAction::DeleteKey && path.empty())
      return Fail("a root key cannot be deleted");
    return ToHeld(path, &c->Path);
  }

  bool ValueLine(std::string_view s, TChange* c) {
    if (s.front() == '@') {
      s.remove_prefix(1);
    } else if (!QuotedText(s, &c->Value.Name)) {
      return false;
    }
    // The "A" functions end a name at its first zero.
    if (c->Value.Name.find('\0') != std::string::npos) return Fail("a value name with a zero");
    if (!s.starts_with('=')) return Fail("'=' expected");
    s.remove_prefix(1);
    if (s == "-") {
      c->Action = TAction::DeleteValue;
      return true;
    }
    c->Action = TAction::SetValue;
    return Data(s, &c->Value);
  }

  // Reads a quoted name or string off the front of `s`, as Windows-1252.
  bool QuotedText(std::string_view& s, std::string* out) {
    std::string text;
    for (std::size_t i = 1; i < s.size(); ++i) {
      if (s[i] == '"') {
        s.remove_prefix(i + 1);
        return ToHeld(text, out);
      }
      if (s[i] != '\\') {
        text += s[i];
        continue;
      }
      if (++i == s.size()) break;
      switch (s[i]) {
        case '\\':
        case '"':
          text += s[i];
          break;
        case 'n':
          text += '\n';
          break;
        case 'r':
          text += '\r';
          break;
        case '0':
          text += '\0';
          break;
        default:
          return Fail(std::string("unknown escape \\") + s[i] + " in quotes");
      }
    }
    return Fail("no closing quote");
  }

  bool Data(std::string_view s, TMemValue* v) {
    if (s.starts_with('"')) {
      std::string text;
      if (!QuotedText(s, &text)) return false;
      if (!s.empty()) return Fail("text after the closing quote");
      v->Type = REG_SZ;
      v->Data.assign(text.begin(), text.end());
      v->Data.push_back(0);
      return true;
    }
    if (s.starts_with("dword:")) {
      s.remove_prefix(6);
      if (s.size() > 8 || !AllHex(s)) return Fail("dword: takes 1 to 8 hex digits");
      DWORD n = 0;
      for (char c : s) n = n << 4 | static_cast<DWORD>(HexDigit(c));
      v->Type = REG_DWORD;
      v->Data = {BYTE(n), BYTE(n >> 8), BYTE(n >> 16), BYTE(n >> 24)};
      return true;
    }
    if (s.starts_with("hex:")) {
      v->Type = REG_BINARY;
      return HexBytes(s.substr(4), &v->Data);
    }
    if (s.starts_with("hex(")) {
      s.remove_prefix(4);
      const std::size_t close = s.find("):");
      const std::string_view digits = s.substr(0, close);
      if (close == std::string_view::npos || !AllHex(digits))
        return Fail("hex( takes a hex type number and \"):\"");
      std::uint64_t type = 0;
      for (char c : digits) {
        type = type << 4 | static_cast<unsigned>(HexDigit(c));
        if (type > 0xFFFFFFFFu)
          return Fail("value type " + std::string(digits) + " does not fit 32 bits");
      }
      v->Type = static_cast<DWORD>(type);
      if (!HexBytes(s.substr(close + 2), &v->Data)) return false;
      if (FRegedit4 || !IsTextType(v->Type)) return true;
      // In a 5.00 file the data of string types is UTF-16LE.
      std::string what;
      return Utf16ToHeld(std::vector<BYTE>(v->Data), &v->Data, &what) || Fail(what);
    }
    return Fail("bad value data");
  }

  // Comma-separated bytes of one or two hex digits; a backslash after the last comma
  // (or alone) continues them on the next line, after its indentation.
  bool HexBytes(std::string_view s, std::vector<BYTE>* out) {
    out->clear();
    for (;;) {
      bool more = false;
      for (std::size_t pos = 0; pos < s.size();) {
        if (s.substr(pos) == "\\") {
          more = true;
          break;
        }
        int value = 0, digits = 0;
        for (; digits < 2 && pos < s.size() && HexDigit(s[pos]) >= 0; ++digits, ++pos)
          value = value << 4 | HexDigit(s[pos]);
        if (digits == 0) return Fail("hex data: bytes are hex digits separated by commas");
        out->push_back(static_cast<BYTE>(value));
        if (pos == s.size()) break;
        if (s[pos] != ',' || ++pos == s.size())
          return Fail("hex data: bytes are hex digits separated by commas");
      }
      if (!more) return true;
      std::string_view next = FIndex + 1 < FLines.size() ? FLines[FIndex + 1] : "";
      next.remove_prefix(std::min(next.find_first_not_of(" \t"), next.size()));
      if (next.empty()) return Fail("hex data ends in a backslash with no line to go on");
      ++FIndex;
      s = next;
    }
  }

  bool ToHeld(std::string_view text, std::string* out) {
    std::string what;
    return Utf8ToHeld(text, out, &what) || Fail(what);
  }

  std::vector<std::string_view> FLines;
  std::size_t FIndex = 0;  // the line being read
  bool FRegedit4 = false;
  bool FCrlf = true;
  std::string FError;
};

bool Apply(const std::vector<TChange>& changes, std::string* error) {
  TRegKey key;
  for (const TChange& c : changes) {
    const HKEY root = kRoots[c.Root].Key();
    LONG rc = ERROR_SUCCESS;
    switch (c.Action) {
      case TAction::CreateKey:
        rc = RegCreateKeyExA(root, c.Path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_ALL_ACCESS, nullptr, key.Out(), nullptr);
        break;
      case TAction::DeleteKey:
        key.Reset();
        rc = RegDeleteTreeA(root, c.Path.c_str());
        if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_SUCCESS;
        break;
      case TAction::SetValue:
        rc = RegSetValueExA(key.Get(), c.Value.Name.c_str(), 0, c.Value.Type, c.Value.Data.data(),
                            static_cast<DWORD>(c.Value.Data.size()));
        break;
      case TAction::DeleteValue:
        rc = RegDeleteValueA(key.Get(), c.Value.Name.c_str());
        if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_SUCCESS;
        break;
    }
    if (rc != ERROR_SUCCESS) {
      *error = "line " + std::to_string(c.Line) + ": the registry refused it (error " +
               std::to_string(rc) + ")";
      return false;
    }
  }
  return true;
}

// Which keys had sections of their own, so that they, and only they, get one again. A key
// with values had one (its values came after it), so only the others are looked up among
// the file's key lines.
void DescribeSections(const std::vector<TChange>& changes, TRegFileStyle* style) {
  std::set<std::string>& implied = style->ImpliedKeys;
  for (int i = 0; i < 4; ++i)
    MemRegistryWalk(kRoots[i].Key(),
                    [&](std::string_view path, const std::vector<TMemValue>& values, bool) {
                      if (!path.empty() && values.empty())
                        implied.insert(Folded(SectionName(i, path)));
                    });
  for (const TChange& c : changes) {
    if (c.Action != TAction::CreateKey) continue;
    if (c.Path.empty()) style->RootsNamed[c.Root] = true;
    if (!implied.empty()) implied.erase(Folded(SectionName(c.Root, c.Path)));
  }
}

}  // namespace

bool MemRegistryExport(const TRegFileStyle& style, std::string* bytes, std::string* error) {
  const std::string_view lineBreak = style.Crlf ? "\r\n" : "\n";
  std::string text(style.Regedit4 ? kHeader4 : kHeader);
  text += lineBreak;
  for (int i = 0; i < 4; ++i) ExportRoot(text, style, lineBreak, i);
  text += lineBreak;
  std::string ignored;
  return EncodeRegFile(text, style.Encoding, bytes, error ? error : &ignored);
}

std::string MemRegistryExport() {
  TRegFileStyle plain;
  plain.Encoding = TRegEncoding::Utf8;
  plain.Crlf = false;
  std::string text;
  MemRegistryExport(plain, &text);  // UTF-8 holds every character
  return text;
}

bool MemRegistryImport(std::string_view text, std::string* error, TRegFileStyle* style) {
  std::string ignored;
  if (!error) error = &ignored;
  TRegFileStyle found;
  std::string decoded;
  if (!DecodeRegFile(text, &found.Encoding, &decoded, error)) return false;
  std::vector<TChange> changes;
  if (!TParser(decoded).Parse(&changes, &found, error)) return false;
  MemRegistryReset();
  if (!Apply(changes, error)) {
    MemRegistryReset();
    return false;
  }
  if (style) {
    DescribeSections(changes, &found);
    *style = std::move(found);
  }
  return true;
}

bool MemRegistryLoadFile(const std::string& fileName, std::string* error, TRegFileStyle* style) {
  std::string ignored;
  if (!error) error = &ignored;
  std::error_code ec;
  if (!std::filesystem::exists(fileName, ec)) {
    if (ec) {
      *error = fileName + ": " + ec.message();
      return false;
    }
    MemRegistryReset();
    if (style) *style = TRegFileStyle();
    return true;
  }
  std::ifstream in(fileName, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in.is_open() || in.bad()) {
    *error = "cannot read " + fileName;
    return false;
  }
  if (!MemRegistryImport(bytes, error, style)) {
    *error = fileName + ": " + *error;
    return false;
  }
  return true;
}

bool MemRegistrySaveFile(const std::string& fileName, std::string* error,
                         const TRegFileStyle& style) {
  std::string bytes, what;
  if (!MemRegistryExport(style, &bytes, &what)) {
    if (error) *error = "cannot write " + fileName + ": " + what;
    return false;
  }
  TSafeFile file(fileName);
  if (file.Open() && file.Write(bytes.data(), bytes.size()) && file.Commit()) return true;
  if (error) *error = file.Error();
  return false;
}

}  // namespace glint::win32
