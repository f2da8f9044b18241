// ide/ToolIntf.h: the IDE's services object and its main menu, as an add-in
// sees them.
//
// The host implements these classes and the add-in calls them by slot (see
// VirtIntf.h for the boundary contract: standard-call, no exceptions, one
// reference per returned object, borrowed and callee-owned strings). Slots the
// kit does not call are kept as Reserved placeholders so that every named
// method sits at its fixed slot number; they answer 0, so a host overrides only
// the slots it serves.
#pragma once

#include <cstdint>

#include "ide/EditIntf.h"
#include "ide/VirtIntf.h"

namespace glint {

class TIMainMenuIntf;
class TIMenuItemIntf;
class TIModuleInterface;

// Menu item flags (a set of bits); 6 is an enabled, visible item.
constexpr int mfChecked = 1 << 0, mfEnabled = 1 << 1, mfVisible = 1 << 2, mfBreak = 1 << 3,
              mfBarBreak = 1 << 4, mfRadioItem = 1 << 5;

// A menu item's click handler: the object it is bound to and the item picked.
// It runs on the host's thread and must not throw.
using TIMenuClickProc = void(GLINT_STDCALL*)(void* self, TIMenuItemIntf* sender);

class TIMenuItemIntf : public TInterface {
 public:
  virtual bool GLINT_STDCALL DestroyMenuItem() = 0;                // slot 3
  virtual int GLINT_STDCALL GetIndex() = 0;                        // slot 4
  virtual int GLINT_STDCALL GetItemCount() = 0;                    // slot 5
  virtual TIMenuItemIntf* GLINT_STDCALL GetItem(int index) = 0;    // slot 6
  virtual const char* GLINT_STDCALL GetName() = 0;                 // slot 7
  virtual TIMenuItemIntf* GLINT_STDCALL GetParent() = 0;           // slot 8: nil for the bar
  virtual const char* GLINT_STDCALL GetCaption() = 0;              // slot 9
  virtual bool GLINT_STDCALL SetCaption(const char* caption) = 0;  // slot 10
  virtual int GLINT_STDCALL GetShortCut() = 0;                     // slot 11
  virtual bool GLINT_STDCALL SetShortCut(int shortCut) = 0;        // slot 12
  virtual int GLINT_STDCALL GetFlags() = 0;                        // slot 13
  virtual bool GLINT_STDCALL SetFlags(int mask, int flags) = 0;    // slot 14
  virtual int GLINT_STDCALL GetGroupIndex() = 0;                   // slot 15
  virtual bool GLINT_STDCALL SetGroupIndex(int groupIndex) = 0;    // slot 16
  virtual const char* GLINT_STDCALL GetHint() = 0;                 // slot 17
  virtual bool GLINT_STDCALL SetHint(const char* hint) = 0;        // slot 18
  virtual int GLINT_STDCALL GetContext() = 0;                      // slot 19
  virtual bool GLINT_STDCALL SetContext(int context) = 0;          // slot 20
  virtual bool GLINT_STDCALL GetOnClick(TIMenuClickProc* proc, void** self) = 0;  // slot 21
  virtual bool GLINT_STDCALL SetOnClick(TIMenuClickProc proc, void* self) = 0;    // slot 22
  // slot 23: inserts a child item at `index` (clipped to the children; -1
  // appends) and returns it, or nil when the host refuses.
  virtual TIMenuItemIntf* GLINT_STDCALL InsertItem(int index, const char* caption, const char* name,
                                                   const char* hint, int shortCut, int context,
                                                   int groupIndex, int flags,
                                                   TIMenuClickProc onClick, void* clickSelf) = 0;

 protected:
  TIMenuItemIntf() = default;
  ~TIMenuItemIntf() = default;
};

class TIMainMenuIntf : public TInterface {
 public:
  // slot 3: the menu bar as an item whose children are the top-level menus.
  virtual TIMenuItemIntf* GLINT_STDCALL GetMenuItems() = 0;
  // slot 4: the item of that name anywhere in the menu, or nil.
  virtual TIMenuItemIntf* GLINT_STDCALL FindMenuItem(const char* name) = 0;

 protected:
  TIMainMenuIntf() = default;
  ~TIMainMenuIntf() = default;
};

class TIToolServices : public TInterface {
 public:
  virtual int GLINT_STDCALL Reserved03() { return 0; }
  virtual int GLINT_STDCALL Reserved04() { return 0; }
  virtual int GLINT_STDCALL Reserved05() { return 0; }
  virtual int GLINT_STDCALL Reserved06() { return 0; }
  virtual int GLINT_STDCALL Reserved07() { return 0; }
  virtual int GLINT_STDCALL Reserved08() { return 0; }
  // slot 9: opens the file in the editor; false when it cannot.
  virtual bool GLINT_STDCALL OpenFile(const char* fileName) = 0;
  virtual int GLINT_STDCALL Reserved10() { return 0; }
  virtual int GLINT_STDCALL Reserved11() { return 0; }
  virtual int GLINT_STDCALL Reserved12() { return 0; }
  virtual int GLINT_STDCALL Reserved13() { return 0; }
  // slot 14: the IDE's main window handle (0 without a window).
  virtual std::uintptr_t GLINT_STDCALL GetParentHandle() = 0;
  virtual int GLINT_STDCALL Reserved15() { return 0; }
  virtual int GLINT_STDCALL Reserved16() { return 0; }
  virtual int GLINT_STDCALL Reserved17() { return 0; }
  virtual int GLINT_STDCALL Reserved18() { return 0; }
  virtual int GLINT_STDCALL Reserved19() { return 0; }
  virtual int GLINT_STDCALL Reserved20() { return 0; }
  virtual int GLINT_STDCALL Reserved21() { return 0; }
  // slot 22: whether the file is open in the editor.
  virtual bool GLINT_STDCALL IsFileOpen(const char* fileName) = 0;
  virtual int GLINT_STDCALL Reserved23() { return 0; }
  virtual int GLINT_STDCALL Reserved24() { return 0; }
  virtual int GLINT_STDCALL Reserved25() { return 0; }
  virtual int GLINT_STDCALL Reserved26() { return 0; }
  virtual int GLINT_STDCALL Reserved27() { return 0; }
  // slot 28: the open file's module, or nil.
  virtual TIModuleInterface* GLINT_STDCALL GetModuleInterface(const char* fileName) = 0;
  virtual int GLINT_STDCALL Reserved29() { return 0; }
  virtual int GLINT_STDCALL Reserved30() { return 0; }
  virtual int GLINT_STDCALL Reserved31() { return 0; }
  virtual int GLINT_STDCALL Reserved32() { return 0; }
  // slot 33: the IDE's main menu, or nil.
  virtual TIMainMenuIntf* GLINT_STDCALL GetMainMenu() = 0;
  virtual int GLINT_STDCALL Reserved34() { return 0; }
  virtual int GLINT_STDCALL Reserved35() { return 0; }
  virtual int GLINT_STDCALL Reserved36() { return 0; }
  virtual int GLINT_STDCALL Reserved37() { return 0; }
  virtual int GLINT_STDCALL Reserved38() { return 0; }
  virtual int GLINT_STDCALL Reserved39() { return 0; }
  // slot 40: shows an add-in's error text to the user.
  virtual void GLINT_STDCALL RaiseException(const char* message) = 0;

 protected:
  TIToolServices() = default;
  ~TIToolServices() = default;
};

}  // namespace glint
