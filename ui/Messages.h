// ui/Messages.h: window messages as the models see them.
//
// A backend turns a real window message into a TMessage and hands it to the
// control's Perform/WndProc; tests build one directly. The message numbers are
// Windows' own. TCopyDataStruct has COPYDATASTRUCT's layout, so the Win32
// backend can pass the real lParam through unchanged.
#pragma once

#include <cstdint>

namespace glint {

struct TMessage {
  unsigned Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

constexpr unsigned kWmCopyData = 0x004A;
constexpr unsigned kEmSetReadOnly = 0x00CF;

// The data of kWmCopyData: lpData holds cbData bytes, owned by the sender
// and valid only while the message is handled.
struct TCopyDataStruct {
  std::uintptr_t dwData = 0;
  std::uint32_t cbData = 0;
  const void* lpData = nullptr;
};

}  // namespace glint
