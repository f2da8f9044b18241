// The monitor's grid under Wine, driven from another process as a user
// drives it: a click on the title row sorts the real window's rows, a click
// on a row and a pick from a row's detail pop-up open the stand-in's editor
// at the line, and Options/Stay on top changes the window's z-order while
// the window (and so the senders' target) stays the same.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/wine/WineDriver_win.h"

namespace glint::wine {
namespace {

using TRow = std::vector<std::string>;

// Source files of 200 lines in a fresh temporary folder, and a report whose
// unit map names them; all removed afterwards.
class TSourceTree {
 public:
  explicit TSourceTree(const std::vector<std::string>& units) {
    char temp[MAX_PATH], file[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    GetTempFileNameA(temp, "gls", 0, file);
    // The unique name becomes a folder.
    DeleteFileA(file);
    FFolder = file;
    if (!CreateDirectoryA(FFolder.c_str(), nullptr))
      throw std::runtime_error("cannot make " + FFolder);
    for (const std::string& unit : units) {
      std::ofstream out(Source(unit), std::ios::binary);
      for (int line = 1; line <= 200; ++line) out << "  " << unit << " line " << line << "\r\n";
      FFiles.push_back(Source(unit));
    }
  }
  ~TSourceTree() {
    for (const std::string& file : FFiles) DeleteFileA(file.c_str());
    RemoveDirectoryA(FFolder.c_str());
  }
  std::string Source(const std::string& unit) const { return FFolder + "\\" + unit + ".pas"; }
  // Writes a report of `body` (rows and detail blocks) and a unit map of
  // every source; returns its path.
  std::string WriteReport(const std::string& body, const std::vector<std::string>& units) {
    const std::string path = FFolder + "\\report.gln";
    std::ofstream out(path, std::ios::binary);
    out << "Report on     : C:\\Projects\\Grid\\Grid.exe\r\n"
        << "------------------------------------------------------------\r\n"
        << "Created at : 08.12.2026 14:31:07\r\n\r\n"
        << "Peak  : 12 pointers\r\nPeak memory: 4000 bytes\r\n\r\n"
        << "Leaked allocations (unit, line, size, contents):\r\n"
        << "------------------------------------------------------------\r\n"
        << body << "\r\nUnit Map:\r\n";
    for (const std::string& unit : units) out << unit << " " << Source(unit) << "\r\n";
    FFiles.push_back(path);
    return path;
  }

 private:
  std::string FFolder;
  std::vector<std::string> FFiles;
};

const std::vector<std::string> kUnits = {"Main", "Lexer", "Parser", "Utils"};
// Report order; rows 1 and 3 have details. Numeric and text order differ
// in both number columns.
const char kBody[] =
    "Main 12 64 o: TStringList\r\n"
    " Parser 88\r\n"
    " Lexer 150\r\n"
    "\r\n"
    "Lexer 40 2048 s: token buffer\r\n"
    "Parser 7 512 m: 00 01\r\n"
    " Utils 130\r\n"
    "\r\n"
    "Utils 120 16 s: caption\r\n";
const TRow kMain{"Main", "12", "64", "o: TStringList"},
    kLexer{"Lexer", "40", "2048", "s: token buffer"}, kParser{"Parser", "7", "512", "m: 00 01"},
    kUtils{"Utils", "120", "16", "s: caption"};

std::vector<TRow> DataRows(HWND monitor) {
  std::vector<TRow> rows;
  for (int row = 1, count = GridInfo(monitor, TGridInfo::RowCount); row < count; ++row)
    rows.push_back(ReadGridRow(monitor, row));
  return rows;
}

// The editor window the stand-in opened for a file, once it shows that
// cursor line; nullptr after 10 seconds.
HWND WaitForEditor(DWORD processId, const std::string& file, int line) {
  const std::string caption = file + " - Line " + std::to_string(line);
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND editor : TopLevelWindows("TGlintHostEditor", processId))
          if (WindowText(editor) == caption) found = editor;
        return found != nullptr;
      },
      10000);
  return found;
}

class WineGridView : public ::testing::Test {
 protected:
  // The IDE version whose add-in library the stand-in loads.
  virtual int Ide() const { return 4; }

  void SetUp() override {
    RegisterExpert(Ide());
    Host = std::make_unique<THostSession>(Ide(), true);
    Monitor = WaitForMonitor();
    ASSERT_NE(Monitor, nullptr);
    ASSERT_EQ(SendWithGlint(Sources.WriteReport(kBody, kUnits)), 0);
    ASSERT_EQ(DataRows(Monitor), (std::vector<TRow>{kMain, kLexer, kParser, kUtils}));
  }
  void TearDown() override { Host.reset(); }

  void ClickTitle(int col) { ClickGrid(Monitor, CellPoint(Monitor, col, 0)); }

  // Right-clicks column 0 of a row and waits for the pop-up menu window.
  // The grid tracks the menu inside that message, so it is posted.
  HWND RightClickForMenu(int row) {
    const POINT at = CellPoint(Monitor, 0, row);
    PostMessageA(GridWindow(Monitor), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
    HWND menu = nullptr;
    WaitFor(
        [&] {
          for (HWND shown : TopLevelWindows("#32768", Host->ProcessId()))
            if (IsWindowVisible(shown)) menu = shown;
          return menu != nullptr;
        },
        10000);
    return menu;
  }

  TSourceTree Sources{kUnits};
  std::unique_ptr<THostSession> Host;
  HWND Monitor = nullptr;
};

TEST_F(WineGridView, TitleRowSpansTheWindowAndItsClicksSortByThatColumn) {
  // The last column takes what the others leave of the real client area.
  RECT client{};
  GetClientRect(GridWindow(Monitor), &client);
  int right = 0;
  for (int col = 0; col < 4; ++col)
    right +=
        GridInfo(Monitor, TGridInfo::ColWidth, col) + GridInfo(Monitor, TGridInfo::GridLineWidth);
  EXPECT_EQ(right - GridInfo(Monitor, TGridInfo::GridLineWidth), client.right);

  ClickTitle(2);  // Bytes: largest first
  EXPECT_EQ(DataRows(Monitor), (std::vector<TRow>{kLexer, kParser, kMain, kUtils}));
  ClickTitle(1);  // Line: numbers up
  EXPECT_EQ(DataRows(Monitor), (std::vector<TRow>{kParser, kMain, kLexer, kUtils}));
  ClickTitle(0);  // Unit Name: A-Z
  EXPECT_EQ(DataRows(Monitor), (std::vector<TRow>{kLexer, kMain, kParser, kUtils}));
}

TEST_F(WineGridView, RowClickOpensTheEditorAtTheSortedRowsLine) {
  ClickTitle(2);
  // Parser 7, now row 2: in the first screen, so the view stays at the top.
  ClickGrid(Monitor, CellPoint(Monitor, 3, 2));
  HWND parser = WaitForEditor(Host->ProcessId(), Sources.Source("Parser"), 7);
  ASSERT_NE(parser, nullptr);
  TEditorState state = ReadEditor(parser);
  EXPECT_EQ(state.CursorLine, 7);
  EXPECT_EQ(state.TopLine, 1);
  // Utils 120, row 4: far down, so the view scrolls to it.
  ClickGrid(Monitor, CellPoint(Monitor, 0, 4));
  HWND utils = WaitForEditor(Host->ProcessId(), Sources.Source("Utils"), 120);
  ASSERT_NE(utils, nullptr);
  state = ReadEditor(utils);
  EXPECT_EQ(state.CursorLine, 120);
  EXPECT_EQ(state.TopLine, 120);
  EXPECT_EQ(state.BlockStartLine, 0);  // only the oldest IDE marks the line
  EXPECT_EQ(GridInfo(Monitor, TGridInfo::Row), 4);
}

// The oldest IDE's library also marks the target line as a block.
class WineGridViewOldestIde : public WineGridView {
 protected:
  int Ide() const override { return 2; }
};

TEST_F(WineGridViewOldestIde, RowClickMarksTheLineAsABlock) {
  ClickGrid(Monitor, CellPoint(Monitor, 0, 4));  // Utils 120
  HWND utils = WaitForEditor(Host->ProcessId(), Sources.Source("Utils"), 120);
  ASSERT_NE(utils, nullptr);
  const TEditorState state = ReadEditor(utils);
  EXPECT_EQ(state.BlockStartLine, 120);
  EXPECT_EQ(state.BlockEndLine, 121);
}

TEST_F(WineGridView, DetailPopUpOfASortedRowOpensThePickedLineAndGoes) {
  const DWORD host = Host->ProcessId();
  ClickTitle(2);
  // Dismissed: nothing opens and the menu goes. Row 2 is Parser 7 (Utils 130).
  HWND menu = RightClickForMenu(2);
  ASSERT_NE(menu, nullptr);
  PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitFor([&] { return TopLevelWindows("#32768", host).empty(); }, 10000));
  // Answered only once the right click's handler has returned.
  SendMessageA(GridWindow(Monitor), WM_NULL, 0, 0);
  EXPECT_TRUE(TopLevelWindows("TGlintHostEditor", host).empty());

  // Row 3 is Main 12 now; its first detail line is "Parser 88".
  menu = RightClickForMenu(3);
  ASSERT_NE(menu, nullptr);
  PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  HWND parser = WaitForEditor(host, Sources.Source("Parser"), 88);
  ASSERT_NE(parser, nullptr);
  EXPECT_EQ(ReadEditor(parser).CursorLine, 88);
  EXPECT_TRUE(WaitFor([&] { return TopLevelWindows("#32768", host).empty(); }, 10000));
  EXPECT_EQ(TopLevelWindows("TGlintHostEditor", host).size(), 1u);
  EXPECT_TRUE(Host->Running());
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutA(Monitor, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
}

TEST_F(WineGridView, StayOnTopFlipsTheTopmostStyleOfTheSameWindow) {
  const auto topmost = [this] {
    return (GetWindowLongA(Monitor, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  };
  const bool before = topmost();
  ASSERT_TRUE(PickFormItem(Monitor, "StayOnTop1"));
  EXPECT_NE(topmost(), before);
  EXPECT_EQ(TopLevelWindows("TGlintMonitor"), std::vector<HWND>{Monitor});
  // Senders still find it: a new report replaces the rows.
  ASSERT_EQ(SendWithGlint(Sources.WriteReport("Lexer 3 32 s: later\r\n", kUnits)), 0);
  EXPECT_EQ(DataRows(Monitor), (std::vector<TRow>{{"Lexer", "3", "32", "s: later"}}));
  // The menu bar was rebuilt with the check mark; its new command still picks.
  ASSERT_TRUE(PickFormItem(Monitor, "StayOnTop1"));
  EXPECT_EQ(topmost(), before);
  EXPECT_EQ(TopLevelWindows("TGlintMonitor"), std::vector<HWND>{Monitor});
  EXPECT_EQ(GetWindow(Monitor, GW_OWNER), Host->MainWindow());
}

}  // namespace
}  // namespace glint::wine
