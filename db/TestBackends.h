// db/TestBackends.h: the dataset implementations the contract suites run against. Each
// makes a new, empty table of one shape: id (the auto key), n Integer, x Float, s Text,
// d Date, b Blob. Each backend's file adds it to TestBackends(), so a build runs the
// suites against the implementations it has (the Windows build: memory only).
#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/DataSet.h"

namespace glint {

class TTestTable {
 public:
  virtual ~TTestTable() = default;
  virtual TDataSet& DataSet() = 0;  // open, browsing
  // The store as bytes (the database file), for before-and-after comparisons; "" where
  // the dataset itself is the store.
  virtual std::string Stored() const = 0;
};

struct TTestBackend {
  const char* Name;
  std::unique_ptr<TTestTable> (*Make)();
};
std::vector<TTestBackend>& TestBackends();

// Appends and posts a record with these values (the others null).
inline void AddRecord(TDataSet& dataSet,
                      std::initializer_list<std::pair<const char*, TValue>> values) {
  dataSet.Append();
  for (const auto& [name, value] : values) dataSet.FieldByName(name).SetValue(value);
  dataSet.Post();
}

// A value as text, so that a failed comparison reads well: null, int 42, float 2.5, "text",
// and as stored: stored int 42, stored blob "\x1".
inline std::string Show(const TValue& value) {
  if (auto* i = std::get_if<std::int64_t>(&value)) return "int " + std::to_string(*i);
  if (auto* d = std::get_if<double>(&value)) {
    // Shortest form that reads back exactly: values differing past six digits differ here.
    char text[32];
    return "float " + std::string(text, std::to_chars(text, text + sizeof text, *d).ptr);
  }
  if (auto* s = std::get_if<std::string>(&value)) return testing::PrintToString(*s);
  if (auto* stored = std::get_if<TStoredValue>(&value))
    return (stored->Blob ? "stored blob " : "stored ") +
           std::visit([](const auto& v) { return Show(TValue(v)); }, stored->Value);
  return "null";
}

// The current record (or the one being inserted or edited), field by field.
inline std::vector<std::string> Values(const TDataSet& dataSet) {
  std::vector<std::string> values;
  for (int i = 0; i < dataSet.FieldCount(); ++i) values.push_back(Show(dataSet.Fields(i).Value()));
  return values;
}

}  // namespace glint
