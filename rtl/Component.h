// rtl/Component.h: TObject, the root of everything a list or grid cell may
// point at, and TComponent, which adds ownership and removal notification.
//
// Ownership: a component created with an owner is freed by that owner's
// destructor (or its DestroyComponents), newest first; deleting an owned
// component earlier is fine, it leaves its owner's list on the way out.
// Notification: a component that keeps a pointer to another calls
// other->FreeNotification(this) and is then told, through Notification(other,
// TOperation::Remove), just before the other goes away, so it can drop the
// pointer. An owner is told likewise about every component it owns.
#pragma once

#include <string>
#include <vector>

namespace glint {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;
};

enum class TOperation { Insert, Remove };

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner);
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  void SetName(std::string name) { FName = std::move(name); }

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int index) const {
    return FComponents.at(static_cast<std::size_t>(index));
  }
  TComponent* FindComponent(const std::string& name) const;

  // Asks that `component` be told (Notification) when this one is destroyed.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Frees every owned component now, newest first.
  void DestroyComponents();

  bool Destroying() const { return FDestroying; }

 protected:
  // Told that `component` is being inserted or removed; the default passes
  // the news on to every owned component.
  virtual void Notification(TComponent* component, TOperation operation);

 private:
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  void Unlink(TComponent* component);

  TComponent* FOwner = nullptr;
  std::string FName;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  bool FDestroying = false;
};

}  // namespace glint
