// ui/win32/Handles.h: owners of the raw Win32 handles that the backend and
// the IDE stand-in hold: a GDI object of ours, an object selected into a DC
// for a scope, a window's DC, a memory DC with its bitmap, a registry key.
// Each gives back what it holds (deletes, puts the DC's previous object back,
// releases, closes) when it goes, on every way out of a scope. None of them
// can be copied, so a handle has exactly one owner.
#pragma once

#include <windows.h>

#include <algorithm>
#include <utility>

namespace glint {

// A font, brush or bitmap we made; deleted when replaced or gone. Whoever
// selected it into a DC must have put the DC's own object back first.
template <class THandle>
class TGdiObject {
 public:
  TGdiObject() = default;
  explicit TGdiObject(THandle object) : FObject(object) {}
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  ~TGdiObject() { Reset(); }

  THandle Get() const { return FObject; }
  explicit operator bool() const { return FObject != nullptr; }
  void Reset(THandle object = nullptr) {
    if (THandle old = std::exchange(FObject, object)) DeleteObject(old);
  }

 private:
  THandle FObject = nullptr;
};

using TFontHandle = TGdiObject<HFONT>;

// An object selected into a DC for a scope.
class TSelection {
 public:
  TSelection(HDC dc, HGDIOBJ object) : FDC(dc), FOld(SelectObject(dc, object)) {}
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;
  ~TSelection() { SelectObject(FDC, FOld); }

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

// The DC of a window (its frame included) or of its client area; a null
// window's client area is the screen's.
class TWindowDC {
 public:
  enum class TArea { Window, Client };
  TWindowDC(HWND window, TArea area)
      : FWindow(window), FDC(area == TArea::Window ? GetWindowDC(window) : GetDC(window)) {}
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  ~TWindowDC() {
    if (FDC) ReleaseDC(FWindow, FDC);
  }

  HDC Get() const { return FDC; }

 private:
  HWND FWindow;
  HDC FDC;
};

// A DC compatible with `screen`, with a bitmap of the given size selected:
// a paint draws there and copies the result in one go.
class TMemoryDC {
 public:
  TMemoryDC(HDC screen, int width, int height)
      : DC(CreateCompatibleDC(screen)),
        FBitmap(CreateCompatibleBitmap(screen, std::max(1, width), std::max(1, height))),
        FOld(SelectObject(DC, FBitmap)) {}
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  ~TMemoryDC() {
    SelectObject(DC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(DC);
  }

  const HDC DC;

 private:
  HBITMAP FBitmap;
  HGDIOBJ FOld;
};

// A registry key we opened; closed when gone.
class TKeyHandle {
 public:
  TKeyHandle() = default;
  TKeyHandle(const TKeyHandle&) = delete;
  TKeyHandle& operator=(const TKeyHandle&) = delete;
  ~TKeyHandle() {
    if (FKey) RegCloseKey(FKey);
  }

  HKEY Get() const { return FKey; }
  // For the HKEY* out-parameter of RegOpenKeyExA; only while nothing is held.
  HKEY* Out() { return &FKey; }

 private:
  HKEY FKey = nullptr;
};

}  // namespace glint
