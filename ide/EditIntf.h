// ide/EditIntf.h: the IDE's editor as an add-in sees it: a file's module,
// the module's editor (its text buffer and block) and the editor's views.
//
// Same boundary contract as VirtIntf.h. Positions cross the boundary through
// pointers, never as by-value records, so both modules agree on them whatever
// each compiler does with small structures. Slots the kit does not call are
// Reserved placeholders, so that every named method sits at its slot number:
//
//   TIModuleInterface  3 GetEditorInterface   13 ShowSource
//   TIEditorInterface  5 FileName  6 LinesInBuffer  9 GetViewCount  10 GetView
//                      12 GetBlockAfter  13 GetBlockStart  14 GetBlockType
//                      15 GetBlockVisible  16 SetBlockAfter  17 SetBlockStart
//                      18 SetBlockType  19 SetBlockVisible
//   TIEditView         3 GetPos  4 SetPos  5 GetViewSize
#pragma once

#include <cstdint>

#include "ide/VirtIntf.h"

namespace glint {

class TIEditorInterface;
class TIEditView;

// A position in a view: Col and Line count from 1.
struct TEditPos {
  std::int16_t Col = 1;
  std::int32_t Line = 1;
};
// A position in the buffer: CharIndex counts from 0, Line from 1.
struct TCharPos {
  std::int16_t CharIndex = 0;
  std::int32_t Line = 1;
};
// A view's size: Cols characters by Rows lines.
struct TViewSize {
  std::int32_t Cols = 0, Rows = 0;
};

// Block kinds (slot 14/18 of the editor).
constexpr int btInclusive = 0, btLine = 1, btColumn = 2, btNonInclusive = 3, btUnknown = 4;
// Position indexes of a view (slots 3/4).
constexpr int epCursorPos = 0, epTopPos = 1;

class TIModuleInterface : public TInterface {
 public:
  // slot 3: the module's source editor, or nil.
  virtual TIEditorInterface* GLINT_STDCALL GetEditorInterface() = 0;
  virtual int GLINT_STDCALL Reserved04() { return 0; }
  virtual int GLINT_STDCALL Reserved05() { return 0; }
  virtual int GLINT_STDCALL Reserved06() { return 0; }
  virtual int GLINT_STDCALL Reserved07() { return 0; }
  virtual int GLINT_STDCALL Reserved08() { return 0; }
  virtual int GLINT_STDCALL Reserved09() { return 0; }
  virtual int GLINT_STDCALL Reserved10() { return 0; }
  virtual int GLINT_STDCALL Reserved11() { return 0; }
  virtual int GLINT_STDCALL Reserved12() { return 0; }
  // slot 13: brings the module's source editor to the front.
  virtual bool GLINT_STDCALL ShowSource() = 0;

 protected:
  TIModuleInterface() = default;
  ~TIModuleInterface() = default;
};

class TIEditorInterface : public TInterface {
 public:
  virtual int GLINT_STDCALL Reserved03() { return 0; }
  virtual int GLINT_STDCALL Reserved04() { return 0; }
  virtual const char* GLINT_STDCALL FileName() = 0;  // slot 5
  virtual int GLINT_STDCALL LinesInBuffer() = 0;     // slot 6
  virtual int GLINT_STDCALL Reserved07() { return 0; }
  virtual int GLINT_STDCALL Reserved08() { return 0; }
  virtual int GLINT_STDCALL GetViewCount() = 0;  // slot 9
  // slot 10: view `index` (0 the first), or nil.
  virtual TIEditView* GLINT_STDCALL GetView(int index) = 0;
  virtual int GLINT_STDCALL Reserved11() { return 0; }
  // slots 12-15: the block; false when `pos` is nil.
  virtual bool GLINT_STDCALL GetBlockAfter(TCharPos* pos) = 0;
  virtual bool GLINT_STDCALL GetBlockStart(TCharPos* pos) = 0;
  virtual int GLINT_STDCALL GetBlockType() = 0;
  virtual bool GLINT_STDCALL GetBlockVisible() = 0;
  // slots 16-19; false when the editor refuses (or `pos` is nil).
  virtual bool GLINT_STDCALL SetBlockAfter(const TCharPos* pos) = 0;
  virtual bool GLINT_STDCALL SetBlockStart(const TCharPos* pos) = 0;
  virtual bool GLINT_STDCALL SetBlockType(int blockType) = 0;
  virtual bool GLINT_STDCALL SetBlockVisible(bool visible) = 0;

 protected:
  TIEditorInterface() = default;
  ~TIEditorInterface() = default;
};

class TIEditView : public TInterface {
 public:
  // slot 3: position `index` (epCursorPos, epTopPos); false for another index or nil.
  virtual bool GLINT_STDCALL GetPos(int index, TEditPos* pos) = 0;
  // slot 4: sets it; the view keeps the line inside the buffer.
  virtual bool GLINT_STDCALL SetPos(int index, const TEditPos* pos) = 0;
  // slot 5: how many characters and lines the view shows.
  virtual bool GLINT_STDCALL GetViewSize(TViewSize* size) = 0;

 protected:
  TIEditView() = default;
  ~TIEditView() = default;
};

}  // namespace glint
