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
  const std::string name = dataSet.Name().empty() ? "the dataset" : "dataset " + dataSet.Name();
  if (!dataSet.Active()) Error(name + " is closed");
  if (dataSet.State() != TDataSetState::Browse)
    Error(name + " is already inserting or editing a record: post or cancel it first");
  if (dataSet.IsEmpty()) Error(name + " has no record to duplicate");

  std::vector<TField*> chosen;
  if (FFields.Count() == 0) {
    for (int i = 0; i < dataSet.FieldCount(); ++i)
      if (!dataSet.Fields(i).ReadOnly()) chosen.push_back(&dataSet.Fields(i));
  }
  for (const std::string& fieldName : FFields.Items()) {
    TField* field = dataSet.FindField(Trim(fieldName));
    if (!field) Error(name + " has no field '" + fieldName + "'");
    if (field->ReadOnly()) Error("field '" + field->FieldName() + "' cannot be written");
    chosen.push_back(field);
  }

  std::vector<TValue> values;
  values.reserve(chosen.size());
  for (TField* field : chosen) values.push_back(field->Value());
  dataSet.Append();
  try {
    for (std::size_t i = 0; i < chosen.size(); ++i) chosen[i]->SetValue(std::move(values[i]));
  } catch (...) {
    dataSet.Cancel();
    throw;
  }
}

}  // namespace glint
