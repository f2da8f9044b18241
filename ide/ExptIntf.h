// ide/ExptIntf.h: TIExpert, the add-in object an add-in registers with the
// IDE, and the types of the add-in library's entry.
//
// The add-in implements TIExpert (usually through TInterfaced<TIExpert, T>);
// the host calls its slots. Strings follow the VirtIntf.h contract: the
// returned text belongs to the expert and must outlive the call.
#pragma once

#include <cstdint>

#include "ide/VirtIntf.h"

namespace glint {

class TIToolServices;

// Style values of slot 8.
constexpr int esStandard = 0, esForm = 1, esProject = 2, esAddIn = 3;
// State bits of slot 9 (a set: bit n for value n).
constexpr unsigned esEnabled = 1u << 0, esChecked = 1u << 1;

class TIExpert : public TInterface {
 public:
  virtual const char* GLINT_STDCALL GetName() = 0;      // slot 3
  virtual const char* GLINT_STDCALL GetAuthor() = 0;    // slot 4
  virtual const char* GLINT_STDCALL GetComment() = 0;   // slot 5
  virtual const char* GLINT_STDCALL GetPage() = 0;      // slot 6
  virtual std::uintptr_t GLINT_STDCALL GetGlyph() = 0;  // slot 7: an icon handle, 0 for none
  virtual int GLINT_STDCALL GetStyle() = 0;             // slot 8: es* style value
  virtual unsigned GLINT_STDCALL GetState() = 0;        // slot 9: set of es* state bits
  virtual const char* GLINT_STDCALL GetIDString() = 0;  // slot 10
  virtual const char* GLINT_STDCALL GetMenuText() = 0;  // slot 11
  virtual void GLINT_STDCALL Execute() = 0;             // slot 12

 protected:
  TIExpert() = default;
  ~TIExpert() = default;
};

// The host's registration procedure. The host takes over the reference the
// add-in created the expert with and releases it when the IDE shuts down.
using TExpertRegisterProc = bool(GLINT_STDCALL*)(TIExpert* expert);
// A procedure the add-in may store for the host to call before unloading it.
using TExpertTerminateProc = void(GLINT_STDCALL*)();
// The library export INITEXPERT0017: the services object (owned by the host,
// alive while the library is loaded), the registration procedure, and where
// to put a termination procedure. True when the library stays loaded.
using TExpertInitProc = bool(GLINT_STDCALL*)(TIToolServices* toolServices,
                                             TExpertRegisterProc registerProc,
                                             TExpertTerminateProc* terminate);
constexpr const char* kExpertEntryName = "INITEXPERT0017";

}  // namespace glint
