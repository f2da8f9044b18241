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
    const TValue& held =
        FRecords[static_cast<std::size_t>(i)].Values[static_cast<std::size_t>(field.Index())];
    if (held == wanted || HoldsAsStored(held, value)) {
      MoveTo(i);
      return true;
    }
  }
  return false;
}

void TDataSet::StartInsert(int position) {
  FBuffer = TRecord{std::vector<TValue>(FFields.size()), 0};
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
  FBuffer = FRecords[static_cast<std::size_t>(FCurrent)];
  FModified = false;
  FState = TDataSetState::Edit;
}

void TDataSet::Post() {
  CheckActive();
  if (FState == TDataSetState::Browse) DatabaseError("dataset not in edit or insert mode");
  const bool inserting = FState == TDataSetState::Insert;
  InternalPost(FBuffer, inserting);
  if (inserting) {
    FRecords.insert(FRecords.begin() + FInsertAt, std::move(FBuffer));
    FCurrent = FInsertAt;
  } else {
    FRecords[static_cast<std::size_t>(FCurrent)] = std::move(FBuffer);
  }
  FBuffer = {};
  FBof = FEof = false;
  FState = TDataSetState::Browse;
}

void TDataSet::Cancel() {
  if (FState != TDataSetState::Insert && FState != TDataSetState::Edit) return;
  FBuffer = {};
  FState = TDataSetState::Browse;
}

const TValue& TDataSet::ValueOf(int field) const {
  const auto i = static_cast<std::size_t>(field);
  if (FState == TDataSetState::Insert || FState == TDataSetState::Edit) return FBuffer.Values[i];
  if (FCurrent < 0) return kNull;
  return FRecords[static_cast<std::size_t>(FCurrent)].Values[i];
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
