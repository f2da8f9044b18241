// blowfish/BlowfishTestUtil.h: hex helpers and the published vector file, for the tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace glint::testutil {

inline std::vector<std::uint8_t> Hex(const std::string& hex) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

inline std::string ToHex(const void* data, std::size_t size) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < size; ++i) {
    const auto b = static_cast<const std::uint8_t*>(data)[i];
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

inline std::string ToHex(const std::vector<std::uint8_t>& v) { return ToHex(v.data(), v.size()); }

// The lines of one [section] of the published vector file in blowfish/testdata/, split into
// fields. Throws std::runtime_error when the file or the section is missing, so a test that
// reads it fails instead of checking nothing.
inline std::vector<std::vector<std::string>> VectorSection(const std::string& section) {
  std::vector<std::vector<std::string>> rows;
  const char* dir = std::getenv("GLINT_SOURCE_DIR");
  if (!dir) throw std::runtime_error("GLINT_SOURCE_DIR is not set");
  const std::string fileName = std::string(dir) + "/blowfish/testdata/blowfish-vectors.txt";
  std::ifstream in(fileName);
  if (!in) throw std::runtime_error("cannot read " + fileName);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      inside = line == "[" + section + "]";
      continue;
    }
    if (!inside) continue;
    std::vector<std::string> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
      const std::size_t start = line.find_first_not_of(' ', pos);
      if (start == std::string::npos) break;
      const std::size_t end = line.find(' ', start);
      fields.push_back(line.substr(start, end - start));
      pos = end == std::string::npos ? line.size() : end;
    }
    rows.push_back(fields);
  }
  if (rows.empty()) throw std::runtime_error("no [" + section + "] rows in " + fileName);
  return rows;
}

}  // namespace glint::testutil
