#include "rtl/Component.h"

#include <algorithm>

namespace glint {

namespace {
void Erase(std::vector<TComponent*>& list, TComponent* c) {
  list.erase(std::remove(list.begin(), list.end(), c), list.end());
}
}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  FDestroying = true;
  // Tell everyone holding a pointer to us first, while we are still listed.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    Erase(other->FFreeNotifies, this);
    other->Notification(this, TOperation::Remove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  for (TComponent* c : FComponents)
    if (!name.empty() && c->FName == name) return c;
  return nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
    FFreeNotifies.push_back(component);
    component->FFreeNotifies.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* component) { Unlink(component); }

void TComponent::Unlink(TComponent* component) {
  Erase(FFreeNotifies, component);
  if (component) Erase(component->FFreeNotifies, this);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    // The child's destructor removes it from our list; detach first so a
    // throwing or re-entrant destructor cannot make us free it twice.
    FComponents.pop_back();
    c->FOwner = nullptr;
    Notification(c, TOperation::Remove);
    delete c;
  }
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::Remove) Unlink(component);
  for (TComponent* c : FComponents)
    if (c != component) c->Notification(component, operation);
}

void TComponent::InsertComponent(TComponent* component) {
  FComponents.push_back(component);
  component->FOwner = this;
  Notification(component, TOperation::Insert);
}

void TComponent::RemoveComponent(TComponent* component) {
  Notification(component, TOperation::Remove);
  Erase(FComponents, component);
  component->FOwner = nullptr;
}

}  // namespace glint
