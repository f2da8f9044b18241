#include "controls/SASG.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <random>
#include <vector>

#include "rtl/SysUtils.h"
#include "ui/Dialogs.h"
#include "ui/Grids.h"

namespace glint {
namespace {

struct TDialogCall {
  std::string Message;
  TMsgDlgType Type;
  TMsgDlgButtons Buttons;
};

class TRecordingDialogs : public TDialogService {
 public:
  TModalResult MessageDlg(const std::string& message, TMsgDlgType type,
                          TMsgDlgButtons buttons) override {
    Calls.push_back({message, type, buttons});
    return TModalResult::OK;
  }
  void ShowErrorBox(const std::string& message) override { FAIL() << message; }
  std::vector<TDialogCall> Calls;
};

// Marks rows so a test can follow them: the grid cell objects are these.
std::array<TObject, 8> gTags;

class SASG : public ::testing::Test {
 protected:
  void SetUp() override {
    FPrevious = CurrentDialogService();
    SetDialogService(&Dialogs);
    Grid = std::make_unique<TStringGrid>(nullptr);
    Sorter = std::make_unique<TSortAStringGrid>(nullptr);
    TFormatSettings fs;
    fs.DateSeparator = '.';
    fs.ShortDateFormat = "dd.MM.yyyy";
    Sorter->SetFormatSettings(fs);
    Sorter->SetGridToSort(Grid.get());
  }
  void TearDown() override { SetDialogService(FPrevious); }

  // Column 0 holds the row number, column 1 the key, column 2 "r<row>".
  void FillRows(const std::vector<std::string>& keys) {
    Grid->SetColCount(3);
    Grid->SetRowCount(static_cast<int>(keys.size()));
    for (int r = 0; r < Grid->RowCount(); ++r) {
      Grid->SetCells(0, r, std::to_string(r));
      Grid->SetCells(1, r, keys[static_cast<std::size_t>(r)]);
      std::string tag = "r";
      Grid->SetCells(2, r, tag += std::to_string(r));
      Grid->SetObjects(2, r, &gTags[static_cast<std::size_t>(r) % gTags.size()]);
    }
  }
  std::vector<std::string> Column(int col) const {
    std::vector<std::string> out;
    for (int r = 0; r < Grid->RowCount(); ++r) out.emplace_back(Grid->Cells(col, r));
    return out;
  }
  bool SortRange(ToSortType type, int start, int end, SortDirType dir = SortDirType::Ascending) {
    Sorter->SetSortType(type);
    Sorter->SetStartIndex(start);
    Sorter->SetEndIndex(end);
    Sorter->SetSortIndex(1);
    Sorter->SetSortDirection(dir);
    return Sorter->Sort();
  }

  TRecordingDialogs Dialogs;
  std::unique_ptr<TStringGrid> Grid;
  std::unique_ptr<TSortAStringGrid> Sorter;

 private:
  TDialogService* FPrevious = nullptr;
};

using TStrings = std::vector<std::string>;

TEST_F(SASG, ValidationReportsTheFirstFailingCheckAndSortsNothing) {
  FillRows({"c", "b", "a", "d"});  // 4 rows, 3 columns
  struct {
    bool grid;
    SortType how;
    int start, end, index, code;
  } const kCases[] = {
      {false, SortType::Row, -1, -5, -1, 1}, {true, SortType::Row, 2, 2, 1, 2},
      {true, SortType::Row, -1, -2, 1, 2},   {true, SortType::Row, -1, 2, 9, 3},
      {true, SortType::Row, 4, 9, -1, 4},    {true, SortType::Row, 1, 4, -1, 5},
      {true, SortType::Row, 0, 3, -1, 6},    {true, SortType::Row, 0, 3, 3, 7},
      {true, SortType::Column, 0, 3, 0, 5},  {true, SortType::Column, 3, 4, 0, 4},
      {true, SortType::Column, 0, 2, 4, 7},  {true, SortType::Column, 0, 2, 3, 0},
  };
  const char* const kTexts[] = {"Ok",
                                "No StringGrid given",
                                "StartIndex is greater or equal to EndIndex",
                                "StartIndex is less then 0",
                                "StartIndex is greater then number of rows/columns in StringGrid",
                                "EndIndex is greater then number of rows/columns in StringGrid",
                                "Sort Index is less then 0",
                                "Sort Index is greater then number of rows/columns in StringGrid"};
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.start << ".." << c.end << " by " << c.index);
    Sorter->SetGridToSort(c.grid ? Grid.get() : nullptr);
    Sorter->SetHowToSort(c.how);
    Sorter->SetStartIndex(c.start);
    Sorter->SetEndIndex(c.end);
    Sorter->SetSortIndex(c.index);
    EXPECT_EQ(Sorter->Sort(), c.code == 0);
    EXPECT_EQ(Sorter->SortResult(), c.code);
    EXPECT_EQ(Sorter->SortMessage(), kTexts[c.code]);
    if (c.code != 0) {
      EXPECT_EQ(Column(1), (TStrings{"c", "b", "a", "d"}));
    }
  }
  EXPECT_TRUE(Dialogs.Calls.empty());
}

TEST_F(SASG, DialogsOnlyWhenAskedErrorsAsErrorsNoticesAsWarnings) {
  FillRows({"b", "x", "a"});
  Sorter->SetShowMessageOnError(true);
  EXPECT_FALSE(SortRange(ToSortType::Character, 1, 1));
  EXPECT_TRUE(SortRange(ToSortType::Numeric, 0, 2));
  EXPECT_TRUE(SortRange(ToSortType::Character, 0, 2));
  ASSERT_EQ(Dialogs.Calls.size(), 2u);
  EXPECT_EQ(Dialogs.Calls[0].Message, "StartIndex is greater or equal to EndIndex");
  EXPECT_EQ(Dialogs.Calls[0].Type, TMsgDlgType::Error);
  EXPECT_EQ(Dialogs.Calls[0].Buttons, TMsgDlgButtons{TMsgDlgBtn::OK});
  EXPECT_EQ(Dialogs.Calls[1].Message,
            "Column/Row contains non-numerical values for numeric sort. Sorted as Character.");
  EXPECT_EQ(Dialogs.Calls[1].Type, TMsgDlgType::Warning);
  EXPECT_EQ(Dialogs.Calls[1].Buttons, TMsgDlgButtons{TMsgDlgBtn::OK});

  Sorter->SetShowMessageOnError(false);
  EXPECT_FALSE(SortRange(ToSortType::Character, 2, 1));
  EXPECT_TRUE(SortRange(ToSortType::Numeric, 0, 2));
  EXPECT_EQ(Dialogs.Calls.size(), 2u);
}

TEST_F(SASG, NumbersSortByValueAndAsTextByCharacters) {
  FillRows({"10", "9", "-3"});
  EXPECT_TRUE(SortRange(ToSortType::Numeric, 0, 2));
  EXPECT_EQ(Sorter->SortResult(), 0);
  EXPECT_EQ(Column(1), (TStrings{"-3", "9", "10"}));
  EXPECT_TRUE(SortRange(ToSortType::Character, 0, 2));
  EXPECT_EQ(Column(1), (TStrings{"-3", "10", "9"}));
  // Leading spaces, signs and zeros are numbers too.
  FillRows({" 7", "+2", "-0010", "003"});
  EXPECT_TRUE(SortRange(ToSortType::Numeric, 0, 3, SortDirType::Descending));
  EXPECT_EQ(Column(1), (TStrings{" 7", "003", "+2", "-0010"}));
}

TEST_F(SASG, NonNumberFallsBackToCharacterAndTheTypeStaysChanged) {
  for (const char* bad : {"", "1.5", "12 ", "1e3", "2147483648"}) {
    SCOPED_TRACE(bad);
    FillRows({"9", bad, "10", "-3"});
    EXPECT_TRUE(SortRange(ToSortType::Numeric, 0, 3));
    EXPECT_EQ(Sorter->SortResult(), -1);
    EXPECT_EQ(Sorter->SortMessage(),
              "Column/Row contains non-numerical values for numeric sort. Sorted as Character.");
    EXPECT_EQ(Sorter->GetSortType(), ToSortType::Character);
    TStrings expected{"-3", "10", "9", bad};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Column(1), expected);
  }
  // A later numeric key does not clear the notice, whatever the order.
  FillRows({"x", "1", "2", "3"});
  SortRange(ToSortType::Numeric, 0, 3);
  EXPECT_EQ(Sorter->SortResult(), -1);
  // The next call, with the type left alone, is a plain character sort.
  FillRows({"10", "9", "-3"});
  Sorter->SetStartIndex(0);
  Sorter->SetEndIndex(2);
  EXPECT_TRUE(Sorter->Sort());
  EXPECT_EQ(Sorter->SortResult(), 0);
  EXPECT_EQ(Column(1), (TStrings{"-3", "10", "9"}));
}

TEST_F(SASG, NonDateFallsBackToCharacter) {
  FillRows({"02.01.2024", "31.12.2023", "1.1.2024 10:00", "15.06.1999"});
  EXPECT_TRUE(SortRange(ToSortType::Date, 0, 3));
  EXPECT_EQ(Sorter->SortResult(), -2);
  EXPECT_EQ(Sorter->SortMessage(),
            "Column/Row contains non-date values for date sort. Sorted as Character.");
  EXPECT_EQ(Sorter->GetSortType(), ToSortType::Character);
  EXPECT_EQ(Column(1), (TStrings{"02.01.2024", "1.1.2024 10:00", "15.06.1999", "31.12.2023"}));
}

TEST_F(SASG, DatesSortByDayWithTheFormatOfTheSettings) {
  FillRows({"02.01.2024", "31.12.2023", "1.1.2024", "15.06.1999"});
  EXPECT_TRUE(SortRange(ToSortType::Date, 0, 3));
  EXPECT_EQ(Sorter->SortResult(), 0);
  EXPECT_EQ(Column(1), (TStrings{"15.06.1999", "31.12.2023", "1.1.2024", "02.01.2024"}));
  // Without a year, day and month still come in the order of the settings.
  FillRows({"1.2", "31.1", "2.1"});
  EXPECT_TRUE(SortRange(ToSortType::Date, 0, 2));
  EXPECT_EQ(Sorter->SortResult(), 0);
  EXPECT_EQ(Column(1), (TStrings{"2.1", "31.1", "1.2"}));
  FillRows({"02.01.2024", "31.12.2023", "1.1.2024", "15.06.1999"});
  // The same texts are no dates month first.
  TFormatSettings us;
  Sorter->SetFormatSettings(us);
  EXPECT_TRUE(SortRange(ToSortType::Date, 0, 3));
  EXPECT_EQ(Sorter->SortResult(), -2);
}

TEST_F(SASG, CaseSensitivityNotices) {
  Sorter->SetCaseSensitiv(true);
  FillRows({"10", "9", "-3"});
  EXPECT_TRUE(SortRange(ToSortType::Numeric, 0, 2));
  EXPECT_EQ(Sorter->SortResult(), -3);
  EXPECT_EQ(Sorter->SortMessage(), "Case Sensitivity ignored for Numeical Sort.");
  EXPECT_EQ(Column(1), (TStrings{"-3", "9", "10"}));

  FillRows({"02.01.2024", "31.12.2023"});
  EXPECT_TRUE(SortRange(ToSortType::Date, 0, 1));
  EXPECT_EQ(Sorter->SortResult(), -4);
  EXPECT_EQ(Sorter->SortMessage(), "Case Sensitivity ignored for Date Sort.");
  EXPECT_EQ(Column(1), (TStrings{"31.12.2023", "02.01.2024"}));

  // The fall-back notice wins, and the character sort then keeps case.
  FillRows({"b", "31.12.2023", "B"});
  EXPECT_TRUE(SortRange(ToSortType::Date, 0, 2));
  EXPECT_EQ(Sorter->SortResult(), -2);
  EXPECT_EQ(Column(1), (TStrings{"31.12.2023", "B", "b"}));
  FillRows({"b", "7", "B"});
  EXPECT_TRUE(SortRange(ToSortType::Numeric, 0, 2));
  EXPECT_EQ(Sorter->SortResult(), -1);
  EXPECT_EQ(Column(1), (TStrings{"7", "B", "b"}));
}

TEST_F(SASG, CharacterSortFoldsCaseUnlessCaseSensitive) {
  // Without case, b and B are equal: the small-range exchange sort keeps them
  // in place.
  FillRows({"b", "B", "a", "b"});
  EXPECT_TRUE(SortRange(ToSortType::Character, 0, 3));
  EXPECT_EQ(Column(1), (TStrings{"a", "b", "B", "b"}));
  // Folding reaches the last letter: z goes with Z, before '_' (which lies between Z and z).
  FillRows({"_", "Zb", "z"});
  EXPECT_TRUE(SortRange(ToSortType::Character, 0, 2));
  EXPECT_EQ(Column(1), (TStrings{"z", "Zb", "_"}));
  Sorter->SetCaseSensitiv(true);
  FillRows({"b", "a", "B"});
  EXPECT_TRUE(SortRange(ToSortType::Character, 0, 2));
  EXPECT_EQ(Sorter->SortResult(), 0);
  EXPECT_EQ(Column(1), (TStrings{"B", "a", "b"}));
  // Ordinal bytes: a prefix first, bytes above 127 after ASCII.
  FillRows({"\xE4", "ab", "a", "Z"});
  EXPECT_TRUE(SortRange(ToSortType::Character, 0, 3));
  EXPECT_EQ(Column(1), (TStrings{"Z", "a", "ab", "\xE4"}));
}

TEST_F(SASG, RowsMoveWholeWithObjectsAndOnlyInsideTheRange) {
  FillRows({"e", "d", "c", "b", "a", "0"});
  EXPECT_TRUE(SortRange(ToSortType::Character, 1, 4));
  EXPECT_EQ(Column(1), (TStrings{"e", "a", "b", "c", "d", "0"}));
  EXPECT_EQ(Column(0), (TStrings{"0", "4", "3", "2", "1", "5"}));
  EXPECT_EQ(Column(2), (TStrings{"r0", "r4", "r3", "r2", "r1", "r5"}));
  for (int r = 0; r < 6; ++r)
    EXPECT_EQ(Grid->Objects(2, r), &gTags[std::stoul(std::string(Grid->Cells(0, r)))]) << r;
}

TEST_F(SASG, ColumnModeMovesWholeColumnsByAKeyRow) {
  Grid->SetRowCount(2);
  Grid->SetColCount(5);
  const TStrings keys{"30", "x", "10", "20", "-5"};
  for (int c = 0; c < 5; ++c) {
    Grid->SetCells(c, 0, "c" + std::to_string(c));
    Grid->SetCells(c, 1, keys[static_cast<std::size_t>(c)]);
    Grid->SetObjects(c, 0, &gTags[static_cast<std::size_t>(c)]);
  }
  Sorter->SetHowToSort(SortType::Column);
  Sorter->SetSortType(ToSortType::Numeric);
  Sorter->SetStartIndex(2);
  Sorter->SetEndIndex(4);
  Sorter->SetSortIndex(1);
  Sorter->SetSortDirection(SortDirType::Descending);
  EXPECT_TRUE(Sorter->Sort());
  const TStrings expectKeys{"30", "x", "20", "10", "-5"}, expectHead{"c0", "c1", "c3", "c2", "c4"};
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(Grid->Cells(c, 1), expectKeys[static_cast<std::size_t>(c)]);
    EXPECT_EQ(Grid->Cells(c, 0), expectHead[static_cast<std::size_t>(c)]);
    EXPECT_EQ(Grid->Objects(c, 0), &gTags[static_cast<std::size_t>(Grid->Cells(c, 0)[1] - '0')]);
  }
}

TEST_F(SASG, RangeFromZeroSortsInEveryKind) {
  FillRows({"b", "c", "a"});
  EXPECT_TRUE(SortRange(ToSortType::Character, 0, 2));
  EXPECT_EQ(Column(1), (TStrings{"a", "b", "c"}));
  FillRows({"5", "-1", "3"});
  EXPECT_TRUE(SortRange(ToSortType::Numeric, 0, 2));
  EXPECT_EQ(Column(1), (TStrings{"-1", "3", "5"}));
  FillRows({"1.1.2001", "1.1.2000", "2.1.2000"});
  EXPECT_TRUE(SortRange(ToSortType::Date, 0, 2));
  EXPECT_EQ(Column(1), (TStrings{"1.1.2000", "2.1.2000", "1.1.2001"}));
}

TEST_F(SASG, DescendingIsTheExactReverseOfAscendingTiesIncluded) {
  const TStrings keys{"b", "a", "B", "c", "A", "b", "a", "c", "b", "B", "a", "C"};
  for (ToSortType type : {ToSortType::Character, ToSortType::Numeric}) {
    TStrings k = keys;
    if (type == ToSortType::Numeric)
      for (auto& s : k) s = s == "a" || s == "A" ? "1" : s == "b" || s == "B" ? "+2" : " 2";
    FillRows(k);
    SortRange(type, 0, 11);
    TStrings ascending = Column(0);
    FillRows(k);
    SortRange(type, 0, 11, SortDirType::Descending);
    EXPECT_EQ(Column(0), TStrings(ascending.rbegin(), ascending.rend()));
  }
}

TEST_F(SASG, DestroyedGridIsForgotten) {
  TComponent owner(nullptr);
  auto* grid = new TStringGrid(&owner);
  auto* sorter = new TSortAStringGrid(&owner);
  sorter->SetGridToSort(grid);
  sorter->SetEndIndex(2);
  delete grid;
  EXPECT_EQ(sorter->GridToSort(), nullptr);
  EXPECT_FALSE(sorter->Sort());
  EXPECT_EQ(sorter->SortResult(), 1);
  // Only the grid in use is forgotten.
  TStringGrid other(nullptr);
  Sorter->SetGridToSort(&other);
  Grid.reset();
  EXPECT_EQ(Sorter->GridToSort(), &other);
  Sorter->SetGridToSort(nullptr);
}

TEST_F(SASG, HexKeyInNumericSortRaisesAndLeavesTheGridIntact) {
  const TStrings keys{"9", "$1F", "4", "1", "0x10", "7"};
  FillRows(keys);
  Sorter->SetShowMessageOnError(true);
  try {
    SortRange(ToSortType::Numeric, 0, 5);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    // Converted in comparison order: the pivot (row 2), row 0, rows 5 and 4;
    // the first hexadecimal key reached is named, not the first by position.
    EXPECT_EQ(e.Message(), "'0x10' is not a valid floating point value");
  }
  EXPECT_EQ(Column(1), keys);
  EXPECT_EQ(Column(0), (TStrings{"0", "1", "2", "3", "4", "5"}));
  EXPECT_EQ(Sorter->GetSortType(), ToSortType::Numeric);
  EXPECT_TRUE(Dialogs.Calls.empty());
}

// The sort as the original states it, kept deliberately naive: a table of
// (position text, key text) rows, a conversion at every comparison, rows
// moved through a second table of copies.
class TReferenceSort {
 public:
  TReferenceSort(ToSortType type, bool caseSensitive, const TFormatSettings& fs)
      : FType(type), FCase(caseSensitive), FFs(fs) {}

  std::vector<TGridLine> Run(const std::vector<TGridLine>& rows, int key, int start, int end,
                             bool descending) {
    FTable.assign(rows.size(), {});
    for (int i = start; i <= end; ++i) {
      std::string k = rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(key)].Text;
      if (FType == ToSortType::Character && !FCase) k = UpperCase(k);
      FTable[static_cast<std::size_t>(i)] = {std::to_string(i), k};
    }
    if (FType == ToSortType::Character)
      CharacterQuickSort(start, end);
    else
      ValueQuickSort(start, end);
    std::vector<TGridLine> target = rows, scratch(rows.size());
    for (int i = start; i <= end; ++i)
      scratch[static_cast<std::size_t>(i)] =
          rows[std::stoul(FTable[static_cast<std::size_t>(i)][0])];
    for (int i = start; i <= end; ++i)
      target[static_cast<std::size_t>(i)] = scratch[static_cast<std::size_t>(i)];
    if (descending) {
      scratch = target;
      for (int j = end; j >= start; --j)
        target[static_cast<std::size_t>(start + end - j)] = scratch[static_cast<std::size_t>(j)];
    }
    return target;
  }

 private:
  std::string& Key(int i) { return FTable[static_cast<std::size_t>(i)][1]; }
  long double Value(const std::string& s) {
    return FType == ToSortType::Numeric ? StrToFloat(s, FFs) : StrToDate(s, FFs);
  }
  void Exchange(int a, int b) {
    std::swap(FTable[static_cast<std::size_t>(a)], FTable[static_cast<std::size_t>(b)]);
  }

  void CharacterQuickSort(int lo, int hi) {
    if (hi - lo < 5) {
      bool exchanged = true;
      while (exchanged) {
        exchanged = false;
        for (int k = lo; k <= hi - 1; ++k)
          if (Key(k) > Key(k + 1)) Exchange(k, k + 1), exchanged = true;
      }
      return;
    }
    const std::string pivot = Key((lo + hi) / 2);
    int i = lo, j = hi;
    do {
      while (Key(i) < pivot) ++i;
      while (Key(j) > pivot) --j;
      if (i <= j) Exchange(i++, j--);
    } while (i <= j);
    CharacterQuickSort(lo, j);
    CharacterQuickSort(i, hi);
  }

  void ValueQuickSort(int lo, int hi) {
    if (lo >= hi) return;
    const long double pivot = Value(Key((lo + hi) / 2));
    int i = lo, j = hi;
    do {
      while (Value(Key(i)) < pivot) ++i;
      while (Value(Key(j)) > pivot) --j;
      if (i <= j) Exchange(i++, j--);
    } while (i <= j);
    ValueQuickSort(lo, j);
    ValueQuickSort(i, hi);
  }

  ToSortType FType;
  bool FCase;
  TFormatSettings FFs;
  std::vector<std::array<std::string, 2>> FTable;
};

std::vector<TGridLine> AllRows(const TStringGrid& grid) {
  std::vector<TGridLine> rows;
  for (int r = 0; r < grid.RowCount(); ++r) rows.push_back(grid.Rows(r));
  return rows;
}

// Keys from small pools, so most sorts have many equal keys, some spelt
// differently ("+2", "02", " 2").
std::string RandomKey(ToSortType type, std::mt19937& rng) {
  static const char* const kText[] = {"a", "A", "b", "B", "ab", "aB", "", "b ", "\xE9", "Z"};
  static const char* const kNumbers[] = {"2", "+2", "02", " 2", "-1", "10", "0", "-0", "7"};
  static const char* const kDates[] = {"1.2.2024",   "01.02.2024", " 1.2.2024", "31.1.2024",
                                       "29.02.2024", "1.2.1999",   "5.5.0005"};
  switch (type) {
    case ToSortType::Character:
      return kText[rng() % std::size(kText)];
    case ToSortType::Numeric:
      return kNumbers[rng() % std::size(kNumbers)];
    case ToSortType::Date:
      return kDates[rng() % std::size(kDates)];
  }
  return {};
}

TEST_F(SASG, OrderMatchesTheReferenceOnRandomGridsWithManyTies) {
  std::mt19937 rng(20240601);
  for (int round = 0; round < 600; ++round) {
    const auto type = static_cast<ToSortType>(round % 3);
    const bool caseSensitive = rng() % 2, descending = rng() % 2;
    const int rows = 2 + static_cast<int>(rng() % 120);
    TStrings keys;
    for (int r = 0; r < rows; ++r) keys.push_back(RandomKey(type, rng));
    FillRows(keys);
    const int start = static_cast<int>(rng() % static_cast<unsigned>(rows - 1));
    const int end = start + 1 + static_cast<int>(rng() % static_cast<unsigned>(rows - 1 - start));
    SCOPED_TRACE(testing::Message() << "round " << round << ", " << start << ".." << end);
    const auto before = AllRows(*Grid);
    Sorter->SetCaseSensitiv(caseSensitive);
    ASSERT_TRUE(
        SortRange(type, start, end, descending ? SortDirType::Descending : SortDirType::Ascending));
    ASSERT_EQ(Sorter->GetSortType(), type);
    TReferenceSort reference(type, caseSensitive, Sorter->FormatSettings());
    ASSERT_EQ(AllRows(*Grid), reference.Run(before, 1, start, end, descending));
  }
}

TEST_F(SASG, GridsBeyond65536RowsSortWhole) {
  constexpr int kRows = 70000;
  std::mt19937 rng(7);
  TStrings keys;
  for (int r = 0; r < kRows; ++r) keys.push_back(std::to_string(rng() % 50000));
  FillRows(keys);
  const auto before = AllRows(*Grid);
  ASSERT_TRUE(SortRange(ToSortType::Numeric, 3, kRows - 1, SortDirType::Descending));
  EXPECT_EQ(AllRows(*Grid), TReferenceSort(ToSortType::Numeric, false, Sorter->FormatSettings())
                                .Run(before, 1, 3, kRows - 1, true));
  ASSERT_TRUE(SortRange(ToSortType::Character, 65530, kRows - 2));
  for (int r = 65531; r < kRows - 1; ++r) ASSERT_LE(Grid->Cells(1, r - 1), Grid->Cells(1, r));
}

}  // namespace
}  // namespace glint
