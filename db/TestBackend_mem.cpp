// db/TestBackend_mem.cpp: the test table as a TMemDataSet.
#include "db/MemDataSet.h"
#include "db/TestBackends.h"

namespace glint {

std::vector<TTestBackend>& TestBackends() {
  static std::vector<TTestBackend> backends{
      {"Memory", []() -> std::unique_ptr<TTestTable> {
         struct TMemTable : TTestTable {
           TMemDataSet Data;
           TMemTable() {
             Data.SetName("Things");
             Data.AddFieldDef({"id", TFieldType::Integer, true});
             Data.AddFieldDef({"n", TFieldType::Integer});
             Data.AddFieldDef({"x", TFieldType::Float});
             Data.AddFieldDef({"s", TFieldType::Text});
             Data.AddFieldDef({"d", TFieldType::Date});
             Data.AddFieldDef({"b", TFieldType::Blob});
             Data.Open();
           }
           TDataSet& DataSet() override { return Data; }
           std::string Stored() const override { return ""; }
         };
         return std::make_unique<TMemTable>();
       }}};
  return backends;
}

}  // namespace glint
