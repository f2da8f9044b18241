// The dataset contract, run against every implementation the build has.
#include <gtest/gtest.h>

#include <functional>

#include "db/TestBackends.h"

namespace glint {
namespace {

class DataSetContract : public testing::TestWithParam<TTestBackend> {
 protected:
  void SetUp() override {
    FTable = GetParam().Make();
    for (std::int64_t n : {1, 2, 3}) AddRecord(Data(), {{"n", n}});
    Data().First();
  }
  TDataSet& Data() { return FTable->DataSet(); }
  std::int64_t N() { return std::get<std::int64_t>(Data().FieldByName("n").Value()); }
  void Reopen() {
    Data().Close();
    Data().Open();
  }

  std::unique_ptr<TTestTable> FTable;
};

// Each step runs after the ones before it: the cursor's record and flags after it.
TEST_P(DataSetContract, NavigationMovesTheCursorAndSetsBofEof) {
  const struct {
    const char* step;
    std::function<void(TDataSet&)> move;
    std::int64_t n;
    bool bof, eof;
  } kSteps[] = {
      {"First", [](TDataSet& d) { d.First(); }, 1, true, false},
      {"Prior at the first", [](TDataSet& d) { d.Prior(); }, 1, true, false},
      {"Next", [](TDataSet& d) { d.Next(); }, 2, false, false},
      {"Last", [](TDataSet& d) { d.Last(); }, 3, false, true},
      {"Next at the last", [](TDataSet& d) { d.Next(); }, 3, false, true},
      {"Prior", [](TDataSet& d) { d.Prior(); }, 2, false, false},
      {"Locate found", [](TDataSet& d) { EXPECT_TRUE(d.Locate("N", std::int64_t{3})); }, 3, false,
       false},
      {"Locate missing stays", [](TDataSet& d) { EXPECT_FALSE(d.Locate("n", std::int64_t{9})); }, 3,
       false, false},
  };
  for (const auto& step : kSteps) {
    SCOPED_TRACE(step.step);
    step.move(Data());
    EXPECT_EQ(N(), step.n);
    EXPECT_EQ(Data().Bof(), step.bof);
    EXPECT_EQ(Data().Eof(), step.eof);
    EXPECT_EQ(Data().RecNo(), step.n);
  }
}

// The value is taken as the field's type takes it: a Float field finds 2.0 by the integer 2,
// and a value it cannot take raises rather than finding nothing.
TEST_P(DataSetContract, LocateConvertsTheValueToTheFieldsType) {
  AddRecord(Data(), {{"n", std::int64_t{4}}, {"x", 2.0}});
  Data().First();
  EXPECT_TRUE(Data().Locate("x", std::int64_t{2}));
  EXPECT_EQ(N(), 4);
  EXPECT_THROW(Data().Locate("x", std::string("2")), EDatabaseError);
  EXPECT_EQ(N(), 4);
}

TEST_P(DataSetContract, EditCancelRestoresAndEditPostStores) {
  Data().Locate("n", std::int64_t{2});
  Data().Edit();
  Data().FieldByName("n").SetValue(std::int64_t{20});
  Data().Cancel();
  EXPECT_EQ(N(), 2);
  Data().Edit();
  Data().FieldByName("s").SetAsString("edited");
  Data().Post();
  Reopen();
  ASSERT_TRUE(Data().Locate("s", std::string("edited")));
  EXPECT_EQ(N(), 2);
  EXPECT_EQ(Data().RecordCount(), 3);
}

TEST_P(DataSetContract, InsertGoesBeforeTheCurrentRecordAndMovingAwayPostsIt) {
  Data().Locate("n", std::int64_t{2});
  Data().Insert();
  Data().FieldByName("n").SetValue(std::int64_t{15});
  Data().Last();  // posts the insert
  Data().Locate("n", std::int64_t{15});
  EXPECT_EQ(Data().RecNo(), 2);
  Data().Append();
  Data().First();  // nothing was set: the append is dropped
  EXPECT_EQ(Data().RecordCount(), 4);
  EXPECT_EQ(Data().State(), TDataSetState::Browse);
}

// Misuse raises and leaves the dataset as it was.
TEST_P(DataSetContract, MisuseRaisesAndChangesNothing) {
  const struct {
    const char* what;
    std::function<void(TDataSet&)> act;
    const char* message;
  } kCases[] = {
      {"post while browsing", [](TDataSet& d) { d.Post(); }, "not in edit or insert mode"},
      {"set while browsing", [](TDataSet& d) { d.FieldByName("n").SetValue(std::int64_t{5}); },
       "not in edit or insert mode"},
      {"unknown field", [](TDataSet& d) { d.FieldByName("nope"); }, "field 'nope' not found"},
      {"set the key",
       [](TDataSet& d) {
         d.Edit();
         d.FieldByName("id").SetValue(std::int64_t{9});
       },
       "field 'id' cannot be modified"},
      {"text into integer",
       [](TDataSet& d) {
         d.Edit();
         d.FieldByName("n").SetValue("x");
       },
       "cannot hold a text value"},
      {"bad date text",
       [](TDataSet& d) {
         d.Edit();
         d.FieldByName("d").SetAsString("2023-02-29");
       },
       "not a valid date"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    Data().First();
    const std::string stored = FTable->Stored();
    try {
      c.act(Data());
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.Message()).find(c.message), std::string::npos) << e.Message();
    }
    Data().Cancel();
    EXPECT_EQ(N(), 1);
    EXPECT_EQ(Data().RecordCount(), 3);
    EXPECT_EQ(FTable->Stored(), stored);
  }
  Data().Close();
  EXPECT_THROW(Data().First(), EDatabaseError);
}

INSTANTIATE_TEST_SUITE_P(, DataSetContract, testing::ValuesIn(TestBackends()),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace glint
