// The in-memory registry as registry-editor export text, and its file round trip.

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "win32api/MemRegistry.h"
#include "win32api/RegKey.h"

namespace glint::win32 {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

// Plain numbers, not HKEYs: the registry file is loaded during static
// initialisation, possibly before this file's dynamic initialisers have run.
struct TRootName {
  const char* Name;
  std::uint32_t Value;
  HKEY Key() const { return detail::PredefinedKey(Value); }
};
constexpr TRootName kRoots[] = {{"HKEY_CLASSES_ROOT", 0x80000000u},
                                {"HKEY_CURRENT_USER", 0x80000001u},
                                {"HKEY_LOCAL_MACHINE", 0x80000002u},
                                {"HKEY_USERS", 0x80000003u}};

std::string Quoted(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

// A string value is written as text only when that text reads back to the same
// bytes: one terminating zero, no other zero and no line break.
bool PlainString(const TMemValue& v) {
  if (v.Type != REG_SZ || v.Data.empty() || v.Data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < v.Data.size(); ++i)
    if (v.Data[i] == 0 || v.Data[i] == '\r' || v.Data[i] == '\n') return false;
  return true;
}

std::string ValueLine(const TMemValue& v) {
  std::string line = v.Name.empty() ? "@" : Quoted(v.Name);
  line += '=';
  char buf[16];
  if (PlainString(v)) {
    line += Quoted(v.Text());
  } else if (v.Type == REG_DWORD && v.Data.size() == 4) {
    std::snprintf(buf, sizeof buf, "dword:%08x",
                  v.Data[0] | v.Data[1] << 8 | v.Data[2] << 16 | unsigned(v.Data[3]) << 24);
    line += buf;
  } else {
    if (v.Type == REG_BINARY) {
      line += "hex:";
    } else {
      std::snprintf(buf, sizeof buf, "hex(%x):", v.Type);
      line += buf;
    }
    for (std::size_t i = 0; i < v.Data.size(); ++i) {
      std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", v.Data[i]);
      line += buf;
    }
  }
  return line;
}

void ExportKey(std::string& out, HKEY root, const std::string& section, const std::string& path) {
  std::vector<TMemValue> values = MemRegistryValues(root, path);
  if (!path.empty() || !values.empty()) {
    out += "[" + section + "]\n";
    for (const auto& v : values) out += ValueLine(v) + "\n";
    out += "\n";
  }
  for (const auto& sub : MemRegistrySubKeys(root, path))
    ExportKey(out, root, section + "\\" + sub, path.empty() ? sub : path + "\\" + sub);
}

// One parsed line of an export: a key to create or a value to set under it.
struct TEntry {
  HKEY Root = nullptr;
  std::string Path;
  bool IsValue = false;
  TMemValue Value;
};

bool ParseQuoted(std::string_view& s, std::string* out) {
  if (s.empty() || s.front() != '"') return false;
  out->clear();
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      *out += s[++i];
    } else if (s[i] == '"') {
      s.remove_prefix(i + 1);
      return true;
    } else {
      *out += s[i];
    }
  }
  return false;
}

bool ParseHex(std::string_view s, std::vector<BYTE>* out) {
  out->clear();
  std::string digits;
  for (char c : s) {
    if (c == ',' || c == ' ' || c == '\t' || c == '\\') {
      if (c != ',') continue;
      if (digits.empty()) return false;
      out->push_back(static_cast<BYTE>(std::stoul(digits, nullptr, 16)));
      digits.clear();
    } else if (std::isxdigit(static_cast<unsigned char>(c)) && digits.size() < 2) {
      digits += c;
    } else {
      return false;
    }
  }
  if (!digits.empty()) out->push_back(static_cast<BYTE>(std::stoul(digits, nullptr, 16)));
  return true;
}

bool ParseData(std::string_view s, TMemValue* v) {
  if (!s.empty() && s.front() == '"') {
    std::string text;
    if (!ParseQuoted(s, &text) || !s.empty()) return false;
    v->Type = REG_SZ;
    v->Data.assign(text.begin(), text.end());
    v->Data.push_back(0);
    return true;
  }
  if (s.starts_with("dword:")) {
    s.remove_prefix(6);
    if (s.size() != 8 || s.find_first_not_of("0123456789abcdefABCDEF") != s.npos) return false;
    unsigned long n = std::stoul(std::string(s), nullptr, 16);
    v->Type = REG_DWORD;
    v->Data = {BYTE(n), BYTE(n >> 8), BYTE(n >> 16), BYTE(n >> 24)};
    return true;
  }
  if (s.starts_with("hex:")) {
    v->Type = REG_BINARY;
    return ParseHex(s.substr(4), &v->Data);
  }
  if (s.starts_with("hex(")) {
    std::size_t close = s.find("):");
    if (close == s.npos || close == 4) return false;
    std::string type(s.substr(4, close - 4));
    if (type.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    v->Type = static_cast<DWORD>(std::stoul(type, nullptr, 16));
    return ParseHex(s.substr(close + 2), &v->Data);
  }
  return false;
}

bool ParseSection(std::string_view s, TEntry* e) {
  for (const auto& r : kRoots) {
    std::string_view name(r.Name);
    if (!s.starts_with(name)) continue;
    std::string_view rest = s.substr(name.size());
    if (!rest.empty() && rest.front() != '\\') continue;
    e->Root = r.Key();
    e->Path = std::string(rest.empty() ? rest : rest.substr(1));
    return true;
  }
  return false;
}

bool Parse(std::string_view text, std::vector<TEntry>* entries, std::string* error) {
  std::vector<std::string> lines;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  if (!lines.empty() && lines[0].starts_with("\xEF\xBB\xBF")) lines[0].erase(0, 3);
  std::size_t i = 0;
  while (i < lines.size() && lines[i].empty()) ++i;
  if (i == lines.size() || (lines[i] != kHeader && lines[i] != "REGEDIT4")) {
    *error = "not a registry export (no \"Windows Registry Editor Version 5.00\" line)";
    return false;
  }
  TEntry current;
  bool inSection = false;
  for (++i; i < lines.size(); ++i) {
    std::size_t lineNo = i + 1;
    std::string line = lines[i];
    // Long hex data continues on the next line after a trailing backslash.
    while (line.find("=hex") != std::string::npos && !line.empty() && line.back() == '\\' &&
           i + 1 < lines.size()) {
      line.pop_back();
      std::string next = lines[++i];
      line += next.substr(std::min(next.find_first_not_of(" \t"), next.size()));
    }
    if (line.empty() || line[0] == ';') continue;
    auto bad = [&](const char* what) {
      *error = "line " + std::to_string(lineNo) + ": " + what;
      return false;
    };
    if (line[0] == '[') {
      if (line.back() != ']') return bad("unterminated key name");
      if (!ParseSection(std::string_view(line).substr(1, line.size() - 2), &current))
        return bad("unknown root key");
      current.IsValue = false;
      entries->push_back(current);
      inSection = true;
      continue;
    }
    if (!inSection) return bad("value before the first key");
    std::string_view s(line);
    TEntry e = current;
    e.IsValue = true;
    if (s.front() == '@') {
      s.remove_prefix(1);
    } else if (!ParseQuoted(s, &e.Value.Name)) {
      return bad("bad value name");
    }
    if (s.empty() || s.front() != '=') return bad("'=' expected");
    if (!ParseData(s.substr(1), &e.Value)) return bad("bad value data");
    entries->push_back(std::move(e));
  }
  return true;
}

}  // namespace

std::string MemRegistryExport() {
  std::string out = std::string(kHeader) + "\n\n";
  for (const auto& r : kRoots) ExportKey(out, r.Key(), r.Name, "");
  return out;
}

bool MemRegistryImport(std::string_view text, std::string* error) {
  std::vector<TEntry> entries;
  std::string ignored;
  if (!Parse(text, &entries, error ? error : &ignored)) return false;
  MemRegistryReset();
  for (const TEntry& e : entries) {
    TRegKey key;
    if (RegCreateKeyExA(e.Root, e.Path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, key.Out(), nullptr) != ERROR_SUCCESS)
      continue;
    if (e.IsValue)
      RegSetValueExA(key.Get(), e.Value.Name.c_str(), 0, e.Value.Type, e.Value.Data.data(),
                     static_cast<DWORD>(e.Value.Data.size()));
  }
  return true;
}

bool MemRegistryLoadFile(const std::string& fileName, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  std::error_code ec;
  if (!std::filesystem::exists(fileName, ec)) {
    MemRegistryReset();
    return true;
  }
  std::ifstream in(fileName, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) {
    *error = "cannot read " + fileName;
    return false;
  }
  if (!MemRegistryImport(text.str(), error)) {
    *error = fileName + ": " + *error;
    return false;
  }
  return true;
}

bool MemRegistrySaveFile(const std::string& fileName, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  std::string temp = fileName + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << MemRegistryExport();
    out.flush();
    if (!out) {
      *error = "cannot write " + temp;
      std::remove(temp.c_str());
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, fileName, ec);
  if (ec) {
    *error = "cannot replace " + fileName + ": " + ec.message();
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace glint::win32
