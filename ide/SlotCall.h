// ide/SlotCall.h: calls a host-interface method by its slot number, the way
// the other module does, for tests that check the slot layout.
//
// CallSlot<R>(object, slot, args...) reads entry `slot` of the object's
// virtual table and calls it as a standard-call function taking the object
// first. A method declared at the wrong position fails such a test instead of
// silently calling its neighbour.
#pragma once

#include "ide/StdCall.h"

namespace glint {

template <class R, class... TArgs>
R CallSlot(void* object, int slot, TArgs... args) {
  using TSlotProc = R(GLINT_STDCALL*)(void*, TArgs...);
  void** const table = *static_cast<void***>(object);
  return reinterpret_cast<TSlotProc>(table[slot])(object, args...);
}

}  // namespace glint
