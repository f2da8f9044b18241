// ui/win32/MenuBuild.h: a menu tree of ours as a real HMENU, shared by the
// backend's menu peer and the IDE stand-in, whose trees differ: an adapter
// tells how the tree's items show. Also the answer to another process asking
// which command identifier picks an item, named by a global atom (neither
// can read a menu's items under Wine, and identifiers change with each build).
#pragma once

#include <windows.h>

#include <string>

namespace glint {

// How one item shows in a menu.
struct TMenuLine {
  const std::string& Caption;  // "-" makes a separator
  bool Submenu = false;        // the item's children make a pop-up of it
  bool Visible = true;
  bool Enabled = true;
  bool Checked = false;
};

// Builds a menu bar (`bar`) or a pop-up menu of the children of `item`; the
// caller owns the result. `adapter` gives `int Count(const TItem&)`,
// `TItem& Child(const TItem&, int)`, `TMenuLine Line(const TItem&)` and, for
// each item without children that shows, `UINT_PTR Command(TItem&)`.
template <class TItem, class TAdapter>
HMENU BuildMenu(const TItem& item, bool bar, TAdapter& adapter) {
  HMENU menu = bar ? CreateMenu() : CreatePopupMenu();
  for (int i = 0; i < adapter.Count(item); ++i) {
    TItem& child = adapter.Child(item, i);
    const TMenuLine line = adapter.Line(child);
    if (!line.Visible) continue;
    if (line.Caption == "-") {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const UINT flags = MF_STRING | (line.Enabled ? 0 : MF_GRAYED) | (line.Checked ? MF_CHECKED : 0);
    if (line.Submenu) {
      AppendMenuA(menu, flags | MF_POPUP,
                  reinterpret_cast<UINT_PTR>(BuildMenu(child, false, adapter)),
                  line.Caption.c_str());
    } else {
      AppendMenuA(menu, flags, adapter.Command(child), line.Caption.c_str());
    }
  }
  return menu;
}

// Gives the window a new menu bar (null for none) and destroys its old one.
inline void ReplaceMenuBar(HWND window, HMENU bar) {
  HMENU old = GetMenu(window);
  SetMenu(window, bar);
  if (old) DestroyMenu(old);
  DrawMenuBar(window);
}

// The answer to an item identifier request whose wParam is a global atom
// holding the item's name: `find(name)`, or 0 when the atom holds none.
template <class TFind>
LRESULT ItemIdByAtom(WPARAM atom, TFind find) {
  char name[256] = "";
  if (!GlobalGetAtomNameA(static_cast<ATOM>(atom), name, sizeof name)) return 0;
  return static_cast<LRESULT>(find(name));
}

}  // namespace glint
