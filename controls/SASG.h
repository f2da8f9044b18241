// controls/SASG.h: TSortAStringGrid, a non-visual component that sorts a range
// of rows (or columns) of a string grid by the text of one key column (or row).
//
// The component only points at its grid; it is told when that grid goes away
// and forgets it. Sort() reports bad settings through SortResult/SortMessage
// (codes 1..7, nothing sorted) and falls back from a numeric or date sort to
// a character sort when a key does not convert (codes -1/-2); with
// ShowMessageOnError it also shows the message in a dialog. The only
// exception it lets through is EConvertError from a numeric sort of a
// hexadecimal key, and the grid is untouched then.
#pragma once

#include <cstdint>
#include <string>

#include "rtl/Component.h"
#include "rtl/Conversions.h"

namespace glint {

class TStringGrid;

enum class ToSortType { Character, Numeric, Date };
enum class SortDirType { Ascending, Descending };
// Column: whole columns move, keyed by a row; Row: whole rows move, keyed by a column.
enum class SortType { Column, Row };

class TSortAStringGrid : public TComponent {
 public:
  explicit TSortAStringGrid(TComponent* owner);

  TStringGrid* GridToSort() const { return FGridToSort; }
  void SetGridToSort(TStringGrid* grid);
  std::int32_t StartIndex() const { return FStartIndex; }
  void SetStartIndex(std::int32_t index) { FStartIndex = index; }
  // Last position of the range, inclusive.
  std::int32_t EndIndex() const { return FEndIndex; }
  void SetEndIndex(std::int32_t index) { FEndIndex = index; }
  // The key column in Row mode, the key row in Column mode.
  std::int32_t SortIndex() const { return FSortIndex; }
  void SetSortIndex(std::int32_t index) { FSortIndex = index; }
  // The published property SortType; named Get/Set here because the name
  // SortType is also the type of HowToSort.
  ToSortType GetSortType() const { return FSortType; }
  void SetSortType(ToSortType type) { FSortType = type; }
  bool CaseSensitiv() const { return FCaseSensitiv; }
  void SetCaseSensitiv(bool on) { FCaseSensitiv = on; }
  SortDirType SortDirection() const { return FSortDirection; }
  void SetSortDirection(SortDirType direction) { FSortDirection = direction; }
  SortType HowToSort() const { return FHowToSort; }
  void SetHowToSort(SortType how) { FHowToSort = how; }
  bool ShowMessageOnError() const { return FShowMessageOnError; }
  void SetShowMessageOnError(bool on) { FShowMessageOnError = on; }

  // The separators and date format numeric and date keys are read with; the
  // user's settings unless set otherwise.
  const TFormatSettings& FormatSettings() const { return FFormatSettings; }
  void SetFormatSettings(const TFormatSettings& fs) { FFormatSettings = fs; }

  // Validates, sorts, and sets SortResult and SortMessage. False on an error
  // code (grid unchanged), true when sorted, possibly with a notice. A numeric
  // or date sort whose keys do not all convert changes SortType to Character
  // for good.
  bool Sort();

  // -4..-1 notices (sorted anyway), 0 "Ok", 1..7 errors (nothing sorted).
  std::int32_t SortResult() const { return FSortResult; }
  const std::string& SortMessage() const { return FSortMessage; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TStringGrid* FGridToSort = nullptr;
  std::int32_t FStartIndex = 0, FEndIndex = 0, FSortIndex = 0;
  ToSortType FSortType = ToSortType::Character;
  bool FCaseSensitiv = false;
  SortDirType FSortDirection = SortDirType::Ascending;
  SortType FHowToSort = SortType::Row;
  bool FShowMessageOnError = false;
  TFormatSettings FFormatSettings;
  std::int32_t FSortResult = 0;
  std::string FSortMessage;
};

}  // namespace glint
