// ui/Menus.h: menu items, the form's main menu and pop-up menus.
//
// A TMenuItem holds its sub-items in order; items are components, owned and
// freed by their owner (usually the form), and an item freed early leaves
// its parent's list. A menu (TMainMenu, TPopupMenu) is the root of an item
// tree. Changes reach the menu's peer, if the widget set made one; a click
// arrives through TMenuItem::Click, which runs OnClick.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"

namespace glint {

class TMenu;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(std::string caption);
  bool Checked() const { return FChecked; }
  void SetChecked(bool checked);

  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int index) const { return FItems.at(static_cast<std::size_t>(index)); }
  TMenuItem* Parent() const { return FParent; }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  // The sub-item (at any depth) with this component name; null when none.
  TMenuItem* Find(const std::string& name) const;

  TNotifyEvent OnClick;
  // Backend entry: the user picked the item.
  virtual void Click();

 private:
  friend class TMenu;
  void Changed();

  std::string FCaption;
  bool FChecked = false;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on root items only
  std::vector<TMenuItem*> FItems;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;

  // The invisible root item; its sub-items are the menu's top level.
  TMenuItem& Items() { return *FItems; }
  const TMenuItem& Items() const { return *FItems; }

  TMenuPeer* Peer() const { return FPeer.get(); }
  // Gives the menu a peer from the current widget set if it has none yet.
  void HandleNeeded();

 private:
  friend class TMenuItem;
  void Changed();

  TMenuItem* FItems;
  std::unique_ptr<TMenuPeer> FPeer;
};

class TMainMenu : public TMenu {
 public:
  using TMenu::TMenu;
};

class TPopupMenu : public TMenu {
 public:
  using TMenu::TMenu;
  // Shows the menu at a screen position (through the peer).
  void Popup(int x, int y);
};

}  // namespace glint
