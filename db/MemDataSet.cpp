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

namespace {

template <typename Store>
auto FindId(Store& store, std::int64_t id) {
  auto it = std::lower_bound(store.begin(), store.end(), id,
                             [](const TRecord& r, std::int64_t wanted) { return r.Id < wanted; });
  return it != store.end() && it->Id == id ? it : store.end();
}

}  // namespace

bool TMemDataSet::InternalFetch(TRecord& record) const {
  auto it = FindId(FStore, record.Id);
  if (it == FStore.end()) return false;
  record.Values = it->Values;
  return true;
}

void TMemDataSet::InternalPost(TRecord& record, bool inserting) {
  if (!inserting) {
    auto it = FindId(FStore, record.Id);
    if (it == FStore.end()) DatabaseError("the record is no longer in the table");
    *it = record;
    return;
  }
  record.Id = ++FLastId;
  for (std::size_t i = 0; i < FDefs.size(); ++i)
    if (FDefs[i].ReadOnly && FDefs[i].DataType == TFieldType::Integer) record.Values[i] = record.Id;
  FStore.push_back(record);
}

}  // namespace glint
