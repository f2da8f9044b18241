#include "rtl/StringList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "rtl/SysUtils.h"
#include "tests/support/TestSupport.h"

namespace glint {
namespace {

std::vector<std::string> Lines(std::string_view text) {
  TStringList list;
  list.SetText(text);
  return list.Items();
}

TEST(StringList, SplitsAtEveryLineEndConvention) {
  std::vector<std::string> want = {"a", "", "b", "c"};
  EXPECT_EQ(Lines("a\r\n\r\nb\r\nc"), want);
  EXPECT_EQ(Lines("a\n\nb\nc\n"), want);
  EXPECT_EQ(Lines("a\r\rb\rc\r"), want);
  EXPECT_EQ(Lines("a\r\n\nb\rc\r\n"), want);
  // LF CR is two line ends, not one.
  EXPECT_EQ(Lines("a\n\rb"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(Lines("").empty());
  EXPECT_EQ(Lines("\r\n"), (std::vector<std::string>{""}));
  EXPECT_EQ(Lines(" "), (std::vector<std::string>{" "}));
}

TEST(StringList, IndexErrorNamesTheIndex) {
  TStringList list;
  list.SetText("one\ntwo");
  EXPECT_EQ(list[1], "two");
  try {
    (void)list[4];
    FAIL() << "no error raised";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (4)");
  }
  EXPECT_THROW((void)list[-1], EStringListError);
  EXPECT_THROW(list.Delete(2), EStringListError);
}

TEST(StringList, SortedListIgnoresExactDuplicatesOnly) {
  TStringList list;
  list.SetSorted(true);
  EXPECT_EQ(list.Add("b=2"), 0);
  EXPECT_EQ(list.Add("a=1"), 0);
  EXPECT_EQ(list.Add("b=2"), -1);
  list.Add("B=2");
  list.Add("=");
  list.Add("=");
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"=", "B=2", "a=1", "b=2"}));
  list.SetDuplicates(TDuplicates::Error);
  EXPECT_THROW(list.Add("a=1"), EStringListError);
}

TEST(StringList, ValuesFindsTheTextAfterTheFirstMatchingName) {
  TStringList list;
  list.SetSorted(true);
  list.Add("Stock=C:\\Stock.pas");
  list.Add("Main=C:\\My Files\\Main=1.pas");
  list.Add("Mainly=x");
  EXPECT_EQ(list.Values("Main"), "C:\\My Files\\Main=1.pas");
  EXPECT_EQ(list.Values("main"), "C:\\My Files\\Main=1.pas");
  EXPECT_EQ(list.Values("Mai"), "");
  EXPECT_EQ(list.Values("Nowhere"), "");
}

TEST(StringList, SetSortedKeepsObjectsWithTheirStrings) {
  TStringList list;
  TObject a, b;
  list.AddObject("b", &b);
  list.AddObject("a", &a);
  list.SetSorted(true);
  EXPECT_EQ(list.Objects(0), &a);
  EXPECT_EQ(list.Objects(1), &b);
}

TEST(StringList, FileRoundTripWritesCrLf) {
  const test_support::TTempDir dir("glint-stringlist-");
  const auto path = dir / "list.txt";
  TStringList list;
  list.SetText("x\ny\rz");
  list.SaveToFile(path.string());
  EXPECT_EQ(test_support::ReadFile(path), "x\r\ny\r\nz\r\n");
  TStringList back;
  back.LoadFromFile(path.string());
  EXPECT_EQ(back.Items(), list.Items());
  std::filesystem::remove(path);
  EXPECT_THROW(back.LoadFromFile(path.string()), EInOutError);
  EXPECT_EQ(back.Count(), 3) << "a failed load keeps the list";
}

TEST(SysUtils, TrimDropsControlCharactersAndBlanksOnly) {
  EXPECT_EQ(Trim("\t\x01 a b \r\n"), "a b");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");
}

TEST(SysUtils, CopyClipsLikeThePascalRoutine) {
  EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Copy("abcdef", 5, 100), "ef");
  EXPECT_EQ(Copy("abcdef", 7, 1), "");
  EXPECT_EQ(Copy("abcdef", 0, 2), "ab");
  EXPECT_EQ(Copy("abcdef", 2, -1), "");
  EXPECT_EQ(Pos("pointers", "Peak : 12 pointers"), 11u);
  EXPECT_EQ(Pos("x", "abc"), 0u);
}

}  // namespace
}  // namespace glint
