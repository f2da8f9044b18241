// db/DataSet.cpp: TDataSet's cursor and state machine over the cached records.
#include "db/DataSet.h"

#include <type_traits>

namespace glint {

namespace {

const TValue kNull;

// Is `held` a value as stored that is `value`, of the same kind?
bool HoldsAsStored(const TValue& held, const TValue& value) {
  const auto* stored = std::get_if<TStoredValue>(&held);
  if (!stored) return false;
  return std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, TStoredValue>) {
          return false;
        } else {
          const T* same = std::get_if<T>(&stored->Value);
          return same && *same == v;
        }
      },
      value);
}

}  // namespace

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() = default;

std::string TDataSet::DisplayName() const { return Name().empty() ? "Dataset" : Name(); }

void TDataSet::DatabaseError(const std::string& message) const {
  throw EDatabaseError(DisplayName() + ": " + message);
}

void TDataSet::Open() {
  if (Active()) return;
  std::vector<TFieldDef> defs;
  std::vector<TRecord> records;
  InternalOpen(defs, records);
  for (TFieldDef& def : defs) {
    const int index = static_cast<int>(FFields.size());
    FFields.push_back(std::make_unique<TField>(*this, index, std::move(def)));
  }
  FRecords = std::move(records);
  FCurrent = FRecords.empty() ? -1 : 0;
  FBof = true;
  FEof = FRecords.empty();
  FState = TDataSetState::Browse;
}

void TDataSet::Close() {
  if (!Active()) return;
  InternalClose();
  FFields.clear();
  FRecords.clear();
  FBuffer = {};
  FShown = {};
  FShownAt = -1;
  FCurrent = -1;
  FState = TDataSetState::Inactive;
}

TField* TDataSet::FindField(std::string_view name) const {
  for (const auto& field : FFields)
    if (CompareText(field->FieldName(), name) == 0) return field.get();
  return nullptr;
}

TField& TDataSet::FieldByName(std::string_view name) const {
  if (TField* field = FindField(name)) return *field;
  DatabaseError(Format("field '%.*s' not found", static_cast<int>(name.size()), name.data()));
}

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError("cannot perform this operation on a closed dataset");
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  if (FState == TDataSetState::Browse) return;
  FModified ? Post() : Cancel();
}

void TDataSet::MoveTo(int index) {
  CheckBrowseMode();
  if (FRecords.empty()) return;
  FCurrent = index;
  FBof = FEof = false;
}

void TDataSet::First() {
  MoveTo(0);
  FBof = true;
}

void TDataSet::Last() {
  MoveTo(RecordCount() - 1);
  FEof = true;
}

void TDataSet::Next() {
  CheckBrowseMode();
  if (FCurrent + 1 < RecordCount()) {
    MoveTo(FCurrent + 1);
  } else {
    FEof = true;
  }
}

void TDataSet::Prior() {
  CheckBrowseMode();
  if (FCurrent > 0) {
    MoveTo(FCurrent - 1);
  } else {
    FBof = true;
  }
}

bool TDataSet::Locate(std::string_view fieldName, const TValue& value) {
  CheckBrowseMode();
  const TField& field = FieldByName(fieldName);
  const TValue wanted = field.Fit(value);
  for (int i = 0; i < RecordCount(); ++i) {
    const TValue& held = RecordValues(i)[static_cast<std::size_t>(field.Index())];
    if (held == wanted || HoldsAsStored(held, value)) {
      MoveTo(i);
      return true;
    }
  }
  return false;
}

void TDataSet::StartInsert(int position) {
  // assign keeps the vector's storage from the record posted before: no allocation per post.
  FBuffer.Values.assign(FFields.size(), TValue{});
  FBuffer.Id = 0;
  FInsertAt = position;
  FModified = false;
  FState = TDataSetState::Insert;
}

void TDataSet::Append() {
  CheckBrowseMode();
  StartInsert(RecordCount());
}

void TDataSet::Insert() {
  CheckBrowseMode();
  StartInsert(FCurrent < 0 ? 0 : FCurrent);
}

void TDataSet::Edit() {
  CheckActive();
  if (FState != TDataSetState::Browse) return;
  if (FRecords.empty()) DatabaseError("there is no record to edit");
  FBuffer.Values = RecordValues(FCurrent);
  FBuffer.Id = FRecords[static_cast<std::size_t>(FCurrent)].Id;
  FModified = false;
  FState = TDataSetState::Edit;
}

void TDataSet::Post() {
  CheckActive();
  if (FState == TDataSetState::Browse) DatabaseError("dataset not in edit or insert mode");
  const bool inserting = FState == TDataSetState::Insert;
  InternalPost(FBuffer, inserting);
  if (inserting) {
    FRecords.insert(FRecords.begin() + FInsertAt, TRecord{{}, FBuffer.Id});
    FCurrent = FInsertAt;
  }
  TRecord& entry = FRecords[static_cast<std::size_t>(FCurrent)];
  entry.Id = FBuffer.Id;
  if (!entry.Values.empty() || !CanFetch()) {
    entry.Values.swap(FBuffer.Values);
  } else {
    // The posted record stays readable without a read from the store.
    FShown.Values.swap(FBuffer.Values);
    FShown.Id = FBuffer.Id;
    FShownAt = FCurrent;
  }
  FBof = FEof = false;
  FState = TDataSetState::Browse;
}

void TDataSet::Cancel() {
  if (FState != TDataSetState::Insert && FState != TDataSetState::Edit) return;
  FState = TDataSetState::Browse;
}

const std::vector<TValue>& TDataSet::RecordValues(int index) const {
  const TRecord& entry = FRecords[static_cast<std::size_t>(index)];
  if (!entry.Values.empty()) return entry.Values;
  if (FShownAt == index) return FShown.Values;
  FShownAt = -1;
  FShown.Values.clear();
  FShown.Id = entry.Id;
  if (!InternalFetch(FShown)) {
    FShown.Values.clear();
    DatabaseError("the record is no longer in the table");
  }
  FShownAt = index;
  return FShown.Values;
}

const TValue& TDataSet::ValueOf(int field) const {
  const auto i = static_cast<std::size_t>(field);
  if (FState == TDataSetState::Insert || FState == TDataSetState::Edit) return FBuffer.Values[i];
  if (FCurrent < 0) return kNull;
  return RecordValues(FCurrent)[i];
}

void TDataSet::SetValueOf(int field, TValue value) {
  if (FState != TDataSetState::Insert && FState != TDataSetState::Edit)
    DatabaseError("dataset not in edit or insert mode");
  const TField& f = *FFields[static_cast<std::size_t>(field)];
  if (f.ReadOnly()) DatabaseError("field '" + f.FieldName() + "' cannot be modified");
  FBuffer.Values[static_cast<std::size_t>(field)] = std::move(value);
  FModified = true;
}

}  // namespace glint
