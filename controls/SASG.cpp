#include "controls/SASG.h"

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "rtl/Ascii.h"
#include "rtl/SysUtils.h"
#include "ui/Dialogs.h"
#include "ui/Grids.h"

namespace glint {

namespace {

// The result texts for the codes -4..7, in code order, as users know them.
constexpr const char* kMessages[] = {
    "Case Sensitivity ignored for Date Sort.",
    "Case Sensitivity ignored for Numeical Sort.",
    "Column/Row contains non-date values for date sort. Sorted as Character.",
    "Column/Row contains non-numerical values for numeric sort. Sorted as Character.",
    "Ok",
    "No StringGrid given",
    "StartIndex is greater or equal to EndIndex",
    "StartIndex is less then 0",
    "StartIndex is greater then number of rows/columns in StringGrid",
    "EndIndex is greater then number of rows/columns in StringGrid",
    "Sort Index is less then 0",
    "Sort Index is greater then number of rows/columns in StringGrid",
};

// One position of the range with its key. Exchanging two entries exchanges
// key and position together, as exchanging two rows of a key table would;
// the order that results is the order the table-based sort gives.
template <class Key>
struct TEntry {
  Key Value;
  std::int32_t Pos;
};
using TTextEntry = TEntry<std::string_view>;
using TValueEntry = TEntry<std::int32_t>;
using TIndex = std::ptrdiff_t;

// Both sorts split Lo..Hi into Lo..j and i..Hi, which are sorted
// independently; taking the smaller one by recursion and the larger one by
// looping gives the same order with a stack of logarithmic depth.

void CharacterQuickSort(TTextEntry* a, TIndex lo, TIndex hi) {
  for (;;) {
    if (hi - lo < 5) {
      bool exchanged;
      do {
        exchanged = false;
        for (TIndex k = lo; k < hi; ++k) {
          if (a[k].Value > a[k + 1].Value) {
            std::swap(a[k], a[k + 1]);
            exchanged = true;
          }
        }
      } while (exchanged);
      return;
    }
    // The key texts never move, so the view keeps the pivot's text.
    const std::string_view pivot = a[lo + (hi - lo) / 2].Value;
    TIndex i = lo, j = hi;
    do {
      while (a[i].Value < pivot) ++i;
      while (a[j].Value > pivot) --j;
      if (i <= j) std::swap(a[i++], a[j--]);
    } while (i <= j);
    if (j - lo < hi - i) {
      CharacterQuickSort(a, lo, j);
      lo = i;
    } else {
      CharacterQuickSort(a, i, hi);
      hi = j;
    }
  }
}

// `valueOf` gives an entry's value; it is called in the same sequence in
// which the per-comparison conversions happen, so a conversion failure can
// be reproduced for exactly the key that would fail first.
template <class ValueOf>
void ValueQuickSort(TValueEntry* a, TIndex lo, TIndex hi, const ValueOf& valueOf) {
  while (lo < hi) {
    const std::int32_t pivot = valueOf(a[lo + (hi - lo) / 2]);
    TIndex i = lo, j = hi;
    do {
      while (valueOf(a[i]) < pivot) ++i;
      while (valueOf(a[j]) > pivot) --j;
      if (i <= j) std::swap(a[i++], a[j--]);
    } while (i <= j);
    if (j - lo < hi - i) {
      ValueQuickSort(a, lo, j, valueOf);
      lo = i;
    } else {
      ValueQuickSort(a, i, hi, valueOf);
      hi = j;
    }
  }
}

// True for a text that passes the integer rule through a hexadecimal prefix.
// Every other text that passes it is a valid float of the same value, so a
// numeric sort can use the integer in place of the float.
bool IsHexInteger(std::string_view s) {
  std::size_t pos = s.find_first_not_of(' ');
  if (pos == std::string_view::npos) return false;
  if (s[pos] == '-' || s[pos] == '+') ++pos;
  if (pos >= s.size()) return false;
  return s[pos] == '$' || s[pos] == 'x' || s[pos] == 'X' ||
         (s[pos] == '0' && pos + 1 < s.size() && (s[pos + 1] == 'x' || s[pos + 1] == 'X'));
}

// What the sort reads from the grid.
struct TRange {
  TStringGrid* Grid;
  bool RowMode;
  std::int32_t Start, End, KeyIndex;

  TIndex Count() const { return TIndex{End} - Start + 1; }
  std::string_view Key(std::int32_t pos) const {
    return RowMode ? Grid->Cells(KeyIndex, pos) : Grid->Cells(pos, KeyIndex);
  }
  // Rows reordered by earlier sorts lie scattered in memory: asking for the
  // key a few positions ahead hides most of the cache misses of a scan.
  void PrefetchAhead(TIndex k) const {
    constexpr TIndex kAhead = 8;
    if (k + kAhead < Count()) {
      const auto pos = static_cast<std::int32_t>(Start + k + kAhead);
      RowMode ? Grid->PrefetchCell(KeyIndex, pos) : Grid->PrefetchCell(pos, KeyIndex);
    }
  }
};

// Converted keys of a numeric or date sort, by position from Start: the
// integer value or the day number, and which numeric keys are hexadecimal.
struct TKeyValues {
  std::vector<std::int32_t> Values;
  std::vector<bool> Hex;
  bool AnyHex = false;
};

// Reads the keys as integers; false as soon as one is not.
bool ReadNumericKeys(const TRange& range, TKeyValues& keys) {
  const TIndex n = range.Count();
  keys.Values.resize(static_cast<std::size_t>(n));
  keys.Hex.assign(static_cast<std::size_t>(n), false);
  for (TIndex k = 0; k < n; ++k) {
    range.PrefetchAhead(k);
    const std::string_view text = range.Key(static_cast<std::int32_t>(range.Start + k));
    if (!TryStrToInt(text, keys.Values[static_cast<std::size_t>(k)])) return false;
    if (IsHexInteger(text)) keys.Hex[static_cast<std::size_t>(k)] = keys.AnyHex = true;
  }
  return true;
}

// Reads the keys as short dates; false as soon as one is not.
bool ReadDateKeys(const TRange& range, const TFormatSettings& fs, TKeyValues& keys) {
  const TIndex n = range.Count();
  keys.Values.resize(static_cast<std::size_t>(n));
  for (TIndex k = 0; k < n; ++k) {
    range.PrefetchAhead(k);
    double day = 0;
    if (!TryStrToDate(range.Key(static_cast<std::int32_t>(range.Start + k)), day, fs)) return false;
    // Day numbers of dates without a time are whole and within 32 bits.
    keys.Values[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(day);
  }
  return true;
}

std::vector<TTextEntry> SortCharacterKeys(const TRange& range, bool caseSensitive,
                                          std::string& upper) {
  const TIndex n = range.Count();
  std::vector<TTextEntry> entries(static_cast<std::size_t>(n));
  if (caseSensitive) {
    // The grid is not written until the sort is done, so its texts stay put.
    for (TIndex k = 0; k < n; ++k) {
      const auto pos = static_cast<std::int32_t>(range.Start + k);
      entries[static_cast<std::size_t>(k)] = {range.Key(pos), pos};
    }
  } else {
    std::size_t total = 0;
    for (TIndex k = 0; k < n; ++k)
      total += range.Key(static_cast<std::int32_t>(range.Start + k)).size();
    upper.reserve(total);
    for (TIndex k = 0; k < n; ++k) upper += range.Key(static_cast<std::int32_t>(range.Start + k));
    for (char& c : upper) c = AsciiUpper(c);
    std::size_t at = 0;
    for (TIndex k = 0; k < n; ++k) {
      const auto pos = static_cast<std::int32_t>(range.Start + k);
      const std::size_t size = range.Key(pos).size();
      entries[static_cast<std::size_t>(k)] = {std::string_view(upper).substr(at, size), pos};
      at += size;
    }
  }
  CharacterQuickSort(entries.data(), 0, n - 1);
  return entries;
}

std::vector<TValueEntry> SortValueKeys(const TRange& range, const TKeyValues& keys,
                                       const TFormatSettings& fs) {
  const TIndex n = range.Count();
  std::vector<TValueEntry> entries(static_cast<std::size_t>(n));
  for (TIndex k = 0; k < n; ++k)
    entries[static_cast<std::size_t>(k)] = {keys.Values[static_cast<std::size_t>(k)],
                                            static_cast<std::int32_t>(range.Start + k)};
  if (keys.AnyHex) {
    // A hexadecimal key is no float: replay the comparisons until the first
    // such key is converted, which raises the float conversion's error.
    ValueQuickSort(entries.data(), 0, n - 1, [&](const TValueEntry& e) {
      if (keys.Hex[static_cast<std::size_t>(e.Pos - range.Start)]) StrToFloat(range.Key(e.Pos), fs);
      return e.Value;
    });
  }
  ValueQuickSort(entries.data(), 0, n - 1, [](const TValueEntry& e) { return e.Value; });
  return entries;
}

// Moves whole rows (or columns) so that position Start + k receives what was
// at order[k], cells with their objects, in one pass over the grid.
void Rearrange(const TRange& range, const std::vector<std::int32_t>& order) {
  const std::vector<int> from(order.begin(), order.end());
  if (range.RowMode)
    range.Grid->PermuteRows(static_cast<int>(range.Start), from);
  else
    range.Grid->PermuteCols(static_cast<int>(range.Start), from);
}

// The source position for each target position; descending is the exact
// reverse of ascending, equal keys included.
template <class Entry>
std::vector<std::int32_t> OrderOf(const std::vector<Entry>& sorted, bool descending) {
  std::vector<std::int32_t> order(sorted.size());
  const std::size_t n = sorted.size();
  for (std::size_t k = 0; k < n; ++k) order[k] = sorted[descending ? n - 1 - k : k].Pos;
  return order;
}

}  // namespace

TSortAStringGrid::TSortAStringGrid(TComponent* owner)
    : TComponent(owner), FFormatSettings(DefaultFormatSettings()) {}

void TSortAStringGrid::SetGridToSort(TStringGrid* grid) {
  if (grid == FGridToSort) return;
  if (FGridToSort) FGridToSort->RemoveFreeNotification(this);
  FGridToSort = grid;
  if (grid) grid->FreeNotification(this);
}

void TSortAStringGrid::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::Remove && component == FGridToSort) FGridToSort = nullptr;
}

bool TSortAStringGrid::Sort() {
  FSortResult = 0;
  const bool rowMode = FHowToSort == SortType::Row;
  if (!FGridToSort) {
    FSortResult = 1;
  } else {
    const std::int32_t count = rowMode ? FGridToSort->RowCount() : FGridToSort->ColCount();
    const std::int32_t keyCount = rowMode ? FGridToSort->ColCount() : FGridToSort->RowCount();
    if (FEndIndex <= FStartIndex)
      FSortResult = 2;
    else if (FStartIndex < 0)
      FSortResult = 3;
    else if (FStartIndex > count - 1)
      FSortResult = 4;
    else if (FEndIndex > count - 1)
      FSortResult = 5;
    else if (FSortIndex < 0)
      FSortResult = 6;
    else if (FSortIndex > keyCount - 1)
      FSortResult = 7;
  }

  const TRange range{FGridToSort, rowMode, FStartIndex, FEndIndex, FSortIndex};
  TKeyValues keys;
  if (FSortResult == 0) {
    if (FSortType == ToSortType::Numeric) {
      if (FCaseSensitiv) FSortResult = -3;
      if (!ReadNumericKeys(range, keys)) {
        FSortResult = -1;
        FSortType = ToSortType::Character;
      }
    } else if (FSortType == ToSortType::Date) {
      if (FCaseSensitiv) FSortResult = -4;
      if (!ReadDateKeys(range, FFormatSettings, keys)) {
        FSortResult = -2;
        FSortType = ToSortType::Character;
      }
    }
  }
  FSortMessage = kMessages[FSortResult + 4];

  if (FSortResult > 0) {
    if (FShowMessageOnError) MessageDlg(FSortMessage, TMsgDlgType::Error, {TMsgDlgBtn::OK});
    return false;
  }

  const bool descending = FSortDirection == SortDirType::Descending;
  std::vector<std::int32_t> order;
  if (FSortType == ToSortType::Character) {
    std::string upper;
    order = OrderOf(SortCharacterKeys(range, FCaseSensitiv, upper), descending);
  } else {
    order = OrderOf(SortValueKeys(range, keys, FFormatSettings), descending);
  }
  Rearrange(range, order);

  if (FSortResult < 0 && FShowMessageOnError)
    MessageDlg(FSortMessage, TMsgDlgType::Warning, {TMsgDlgBtn::OK});
  return true;
}

}  // namespace glint
