// TQZDuplicator against every dataset implementation the build has.
#include "duplicator/duprec.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "db/MemDataSet.h"
#include "db/TestBackends.h"
#include "rtl/Conversions.h"

namespace glint {
namespace {

double Date(int y, int m, int d) {
  double date = 0;
  EXPECT_TRUE(TryEncodeDate(y, m, d, date));
  return date;
}

class Duplicator : public testing::TestWithParam<TTestBackend> {
 protected:
  void SetUp() override { Reset(true); }
  // A new table, with two records when `seeded`, and a duplicator copying every field.
  void Reset(bool seeded) {
    FTable = GetParam().Make();
    FDup.Fields().Clear();
    FDup.SetDataSet(&Data());
    if (!seeded) return;
    AddRecord(Data(), {{"n", std::int64_t{7}}, {"s", "first"}});
    AddRecord(Data(), {{"n", std::int64_t{42}},
                       {"x", 2.5},
                       {"s", "héllo"},
                       {"d", Date(2024, 2, 29)},
                       {"b", std::string("\0\x01\xff", 3)}});
  }
  // Execute's error message; "" when it succeeded.
  std::string ExecuteError() {
    try {
      FDup.Execute();
    } catch (const EDatabaseError& e) {
      return e.Message();
    }
    return "";
  }
  TDataSet& Data() { return FTable->DataSet(); }
  TValue Id() { return Data().FieldByName("id").Value(); }
  // Posts the copy and reads it back from the store.
  std::vector<std::string> PostAndReread() {
    Data().Post();
    const TValue id = Id();
    Data().Close();
    Data().Open();
    EXPECT_TRUE(Data().Locate("id", id));
    return Values(Data());
  }

  std::unique_ptr<TTestTable> FTable;
  TQZDuplicator FDup;
};

// A source record per kind of value; every field of the copy must equal the source's, in
// insert state and again once stored, and the key is left to the store.
TEST_P(Duplicator, CopiesEachFieldType) {
  const struct {
    const char* kind;
    std::initializer_list<std::pair<const char*, TValue>> values;
  } kSources[] = {
      {"integer", {{"n", std::numeric_limits<std::int64_t>::min()}}},
      {"float", {{"x", -0.1}}},
      {"text", {{"s", "tab\there, ünïcode"}}},
      {"empty text", {{"s", ""}}},
      {"date", {{"d", Date(1, 1, 1)}}},
      {"blob", {{"b", std::string("\0zero\0", 6)}}},
      {"empty blob", {{"b", ""}}},
      {"null", {}},
  };
  for (const auto& source : kSources) {
    SCOPED_TRACE(source.kind);
    AddRecord(Data(), source.values);
    const TValue sourceId = Id();
    std::vector<std::string> expected = Values(Data());
    FDup.Execute();
    ASSERT_EQ(Data().State(), TDataSetState::Insert);
    EXPECT_TRUE(Data().FieldByName("id").IsNull());
    expected[0] = "null";
    EXPECT_EQ(Values(Data()), expected);
    std::vector<std::string> stored = PostAndReread();
    EXPECT_NE(stored[0], Show(sourceId));
    stored[0] = "null";
    EXPECT_EQ(stored, expected);
  }
}

TEST_P(Duplicator, FieldsChoosesWhatIsCopied) {
  FDup.Fields().Add("s");
  FDup.Fields().Add(" D ");  // names are trimmed and case folded
  Data().Last();
  FDup.Execute();
  const std::vector<std::string> copy = PostAndReread();
  EXPECT_EQ(copy, (std::vector<std::string>{copy[0], "null", "null", Show("héllo"),
                                            Show(Date(2024, 2, 29)), "null"}));
}

TEST_P(Duplicator, PostAddsOneRowWithANewKeyAndCancelAddsNone) {
  Data().First();
  const std::vector<std::string> source = Values(Data());
  const std::string stored = FTable->Stored();
  FDup.Execute();
  Data().Cancel();
  EXPECT_EQ(FTable->Stored(), stored);
  EXPECT_EQ(Values(Data()), source);  // back on the source record
  EXPECT_EQ(Data().RecordCount(), 2);

  FDup.Execute();
  Data().Post();
  EXPECT_EQ(std::get<std::int64_t>(Id()), 3);
  EXPECT_EQ(Data().RecNo(), 3);
  Data().Close();
  Data().Open();
  EXPECT_EQ(Data().RecordCount(), 3);
  EXPECT_EQ(Values(Data()), source);  // the source itself is untouched
}

// Each failure is reported before anything changes: same state, cursor and stored bytes.
TEST_P(Duplicator, FailuresChangeNothing) {
  const struct {
    const char* what;
    bool seeded;
    std::function<void(TQZDuplicator&, TDataSet&)> arrange;
    const char* message;
  } kCases[] = {
      {"no dataset", true, [](TQZDuplicator& d, TDataSet&) { d.SetDataSet(nullptr); },
       "no DataSet is assigned"},
      {"closed", true, [](TQZDuplicator&, TDataSet& t) { t.Close(); }, "dataset Things is closed"},
      {"empty", false, [](TQZDuplicator&, TDataSet&) {}, "has no record to duplicate"},
      {"inserting", true, [](TQZDuplicator&, TDataSet& t) { t.Append(); }, "already inserting"},
      {"editing", true, [](TQZDuplicator&, TDataSet& t) { t.Edit(); }, "inserting or editing"},
      {"unknown field", true, [](TQZDuplicator& d, TDataSet&) { d.Fields().SetText("s\r\nnope"); },
       "has no field 'nope'"},
      {"the key", true, [](TQZDuplicator& d, TDataSet&) { d.Fields().SetText("n\r\nID"); },
       "field 'id' cannot be written"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    Reset(c.seeded);
    Data().Last();
    c.arrange(FDup, Data());
    const std::string stored = FTable->Stored();
    const TDataSetState state = Data().State();
    const int count = Data().RecordCount();
    const std::vector<std::string> current = Values(Data());
    const std::string error = ExecuteError();
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(Data().State(), state);
    EXPECT_EQ(Data().RecordCount(), count);
    EXPECT_EQ(Values(Data()), current);
    EXPECT_EQ(FTable->Stored(), stored);
  }
}

INSTANTIATE_TEST_SUITE_P(, Duplicator, testing::ValuesIn(TestBackends()),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(DuplicatorDataSet, FreeingTheDataSetClearsIt) {
  TQZDuplicator dup;
  {
    TMemDataSet data;
    dup.SetDataSet(&data);
  }
  EXPECT_EQ(dup.DataSet(), nullptr);
}

}  // namespace
}  // namespace glint
