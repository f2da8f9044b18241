// db/MemDataSet.cpp: the in-memory store behind TMemDataSet.
#include "db/MemDataSet.h"

#include <algorithm>

namespace glint {

TMemDataSet::TMemDataSet(TComponent* owner) : TDataSet(owner) {}

TMemDataSet::~TMemDataSet() { Close(); }

void TMemDataSet::AddFieldDef(TFieldDef def) {
  if (Active()) DatabaseError("cannot change the fields of an open dataset");
  FDefs.push_back(std::move(def));
}

void TMemDataSet::InternalOpen(std::vector<TFieldDef>& defs, std::vector<TRecord>& records) {
  if (FDefs.empty()) DatabaseError("no fields defined");
  defs = FDefs;
  records = FStore;
}

void TMemDataSet::InternalPost(TRecord& record, bool inserting) {
  if (!inserting) {
    auto it = std::lower_bound(FStore.begin(), FStore.end(), record.Id,
                               [](const TRecord& r, std::int64_t id) { return r.Id < id; });
    *it = record;
    return;
  }
  record.Id = ++FLastId;
  for (std::size_t i = 0; i < FDefs.size(); ++i)
    if (FDefs[i].ReadOnly && FDefs[i].DataType == TFieldType::Integer) record.Values[i] = record.Id;
  FStore.push_back(record);
}

}  // namespace glint
