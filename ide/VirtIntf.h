// ide/VirtIntf.h: TInterface, the reference-counted base of every object the
// IDE host and an add-in hand each other.
//
// Objects are reached only through their virtual methods, by slot number, so
// the classes here declare no virtual destructor (it would take slots): an
// object dies through Release (slot 1) when its count reaches 0.
//
// The boundary contract, for all host interfaces (ExptIntf.h, ToolIntf.h):
// - Every method is GLINT_STDCALL and never throws; failures come back as
//   nil, false or 0, and an add-in reports its errors as text (slot 40 of the
//   tool services).
// - An object returned by a method carries one reference for the caller, who
//   calls Release when done with it (nil is never released).
// - `const char*` arguments are borrowed for the length of the call. A
//   returned `const char*` belongs to the object that returned it and stays
//   valid while that object lives and until the next call that changes it.
#pragma once

#include "ide/StdCall.h"

namespace glint {

class TInterface {
 public:
  virtual int GLINT_STDCALL AddRef() = 0;      // slot 0: the new count
  virtual int GLINT_STDCALL Release() = 0;     // slot 1: the new count; frees at 0
  virtual int GLINT_STDCALL GetVersion() = 0;  // slot 2: kInterfaceVersion

 protected:
  TInterface() = default;
  TInterface(const TInterface&) = default;
  TInterface& operator=(const TInterface&) = default;
  ~TInterface() = default;
};

constexpr int kInterfaceVersion = 3;

// Implements the three base slots for `TSelf`, a final class that derives
// from `TIntf` through this template: the count starts at 1 (the creator's
// reference) and Release deletes the object as a `TSelf`.
template <class TIntf, class TSelf>
class TInterfaced : public TIntf {
 public:
  int GLINT_STDCALL AddRef() override { return ++FRefCount; }
  int GLINT_STDCALL Release() override {
    const int count = --FRefCount;
    if (count == 0) delete static_cast<TSelf*>(this);
    return count;
  }
  int GLINT_STDCALL GetVersion() override { return kInterfaceVersion; }
  int RefCount() const { return FRefCount; }

 protected:
  TInterfaced() = default;
  TInterfaced(const TInterfaced&) = delete;
  TInterfaced& operator=(const TInterfaced&) = delete;
  ~TInterfaced() = default;

 private:
  int FRefCount = 1;
};

// Releases a host object; nil is skipped.
inline void ReleaseIntf(TInterface* intf) {
  if (intf) intf->Release();
}

// Holds the one reference a host call returned and releases it on scope
// exit; locals are destroyed in reverse order, so host objects go back in
// reverse order of getting them.
template <class T>
class THostRef {
 public:
  explicit THostRef(T* intf) : FIntf(intf) {}
  THostRef(const THostRef&) = delete;
  THostRef& operator=(const THostRef&) = delete;
  ~THostRef() { ReleaseIntf(FIntf); }
  T* operator->() const { return FIntf; }
  T* Get() const { return FIntf; }
  explicit operator bool() const { return FIntf != nullptr; }

 private:
  T* FIntf;
};

}  // namespace glint
