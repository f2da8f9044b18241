// duplicator/duprec.cpp: TQZDuplicator.
#include "duplicator/duprec.h"

#include <vector>

namespace glint {

TQZDuplicator::TQZDuplicator(TComponent* owner) : TComponent(owner) {}

void TQZDuplicator::SetDataSet(TDataSet* dataSet) {
  if (FDataSet) FDataSet->RemoveFreeNotification(this);
  FDataSet = dataSet;
  if (FDataSet) FDataSet->FreeNotification(this);
}

void TQZDuplicator::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::Remove && component == FDataSet) FDataSet = nullptr;
}

void TQZDuplicator::Error(const std::string& message) const {
  throw EDatabaseError((Name().empty() ? "TQZDuplicator" : Name()) + ": " + message);
}

void TQZDuplicator::Execute() {
  if (!FDataSet) Error("no DataSet is assigned");
  TDataSet& dataSet = *FDataSet;
  auto name = [&] {
    return dataSet.Name().empty() ? std::string("the dataset") : "dataset " + dataSet.Name();
  };
  if (!dataSet.Active()) Error(name() + " is closed");
  if (dataSet.State() != TDataSetState::Browse)
    Error(name() + " is already inserting or editing a record: post or cancel it first");
  if (dataSet.IsEmpty()) Error(name() + " has no record to duplicate");

  // Each chosen field with the value it has in the current record.
  std::vector<std::pair<TField*, TValue>> copy;
  if (FFields.Count() == 0) {
    copy.reserve(static_cast<std::size_t>(dataSet.FieldCount()));
    for (int i = 0; i < dataSet.FieldCount(); ++i)
      if (!dataSet.Fields(i).ReadOnly())
        copy.emplace_back(&dataSet.Fields(i), dataSet.Fields(i).Value());
  }
  for (const std::string& fieldName : FFields.Items()) {
    TField* field = dataSet.FindField(Trim(fieldName));
    if (!field) Error(name() + " has no field '" + fieldName + "'");
    if (field->ReadOnly()) Error("field '" + field->FieldName() + "' cannot be written");
    copy.emplace_back(field, field->Value());
  }

  dataSet.Append();
  try {
    for (auto& [field, value] : copy) field->SetValue(std::move(value));
  } catch (...) {
    dataSet.Cancel();
    throw;
  }
}

}  // namespace glint
