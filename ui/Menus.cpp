#include "ui/Menus.h"

#include <algorithm>

namespace glint {

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  for (TMenuItem* item : FItems) item->FParent = nullptr;
  if (FParent) FParent->Remove(this);
}

void TMenuItem::SetCaption(std::string caption) {
  if (caption == FCaption) return;
  FCaption = std::move(caption);
  Changed();
}

void TMenuItem::SetChecked(bool checked) {
  if (checked == FChecked) return;
  FChecked = checked;
  Changed();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (item->FParent) item->FParent->Remove(item);
  index = std::clamp(index, 0, Count());
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  item->FParent = nullptr;
  Changed();
}

TMenuItem* TMenuItem::Find(const std::string& name) const {
  for (TMenuItem* item : FItems) {
    if (item->Name() == name) return item;
    if (TMenuItem* found = item->Find(name)) return found;
  }
  return nullptr;
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

void TMenuItem::Changed() {
  const TMenuItem* root = this;
  while (root->FParent) root = root->FParent;
  if (root->FMenu) root->FMenu->Changed();
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), FItems(new TMenuItem(this)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  FPeer.reset();
  // The root item is ours; the others belong to their owners.
  FItems->FMenu = nullptr;
}

void TMenu::HandleNeeded() {
  if (!FPeer)
    if (TWidgetSet* ws = CurrentWidgetSet()) FPeer = ws->CreateMenuPeer(*this);
}

void TMenu::Changed() {
  if (FPeer) FPeer->Changed();
}

void TPopupMenu::Popup(int x, int y) {
  HandleNeeded();
  if (Peer()) Peer()->Popup(x, y);
}

}  // namespace glint
