// win32api/RegKey.h: TRegKey, the owner of one open registry key handle.
// It closes the handle when destroyed or reset; predefined root keys are never
// closed. Move-only, so a handle has exactly one owner.
#pragma once

#include <utility>

#include "win32api/LittleWin.h"

namespace glint::win32 {

class TRegKey {
 public:
  TRegKey() = default;
  explicit TRegKey(HKEY key) : FKey(key) {}
  TRegKey(TRegKey&& other) noexcept : FKey(std::exchange(other.FKey, nullptr)) {}
  TRegKey& operator=(TRegKey&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.FKey, nullptr));
    return *this;
  }
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;
  ~TRegKey() { Reset(); }

  HKEY Get() const { return FKey; }
  explicit operator bool() const { return FKey != nullptr; }
  // For the HKEY* out-parameter of RegCreateKeyExA/RegOpenKeyExA; closes any held key.
  HKEY* Out() {
    Reset();
    return &FKey;
  }
  HKEY Release() { return std::exchange(FKey, nullptr); }
  void Reset(HKEY key = nullptr) {
    HKEY old = std::exchange(FKey, key);
    if (old && !IsPredefined(old)) RegCloseKey(old);
  }

 private:
  static bool IsPredefined(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
           key == HKEY_USERS;
  }
  HKEY FKey = nullptr;
};

}  // namespace glint::win32
