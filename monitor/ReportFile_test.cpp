// File/Open, File/Save As and Help/About of the monitor window, on the
// headless backend with real files in a scratch folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "controls/GlintAbout.h"
#include "monitor/MonitorFormTest.h"
#include "tests/support/TestSupport.h"

namespace glint {
namespace {

namespace fs = std::filesystem;

const std::string kFileHeader =
    "Report on     : C:\\App\\App.exe\r\n--------\r\nCreated at : 08.12.2026 14:31:07\r\n\r\n"
    "Peak  : 1843 pointers\r\nPeak memory: 201562 bytes\r\n\r\nLeaked allocations:\r\n--------\r\n";
const std::string kFileReport = kFileHeader +
                                "Main 12 64 o: TStringList\r\n Parser 88\r\n Lexer 150\r\n\r\n"
                                "Lexer 40 2048 s: token buffer\r\n\r\nUnit Map:\r\n"
                                "Main C:\\src\\Main.pas\r\nLexer C:\\src\\Lexer.pas\r\n";

using test_support::ReadFile;

class ReportFile : public TMonitorFormTest {
 protected:
  // The report's lines, then all the window shows of it, in one list.
  std::vector<std::string> Shown() const {
    std::vector<std::string> shown = Form->ReportLines().Items();
    for (TEdit* edit : {Form->Edit1, Form->Edit2, Form->Edit3, Form->Edit4})
      shown.push_back(edit->Text());
    for (int row = 1; row < MonitorGrid->RowCount(); ++row) {
      for (int col = 0; col < 4; ++col) shown.emplace_back(MonitorGrid->Cells(col, row));
      for (const std::string& line : Form->DetailsOfRow(row).Items())
        shown.push_back("detail " + line);
    }
    for (const std::string& unit : Form->UnitMap->Items()) shown.push_back("unit " + unit);
    return shown;
  }
  // Picks a File item with the user choosing `path` (Cancel for "").
  void Pick(TMenuItem* item, const fs::path& path) {
    if (path.empty())
      Backend.QueueFileCancel();
    else
      Backend.QueueFileName(path.string());
    item->Click();
  }
  fs::path Write(const char* name, const std::string& bytes) {
    std::ofstream(Dir / name, std::ios::binary) << bytes;
    return Dir / name;
  }

  const test_support::TTempDir Temp{"glint-report-"};
  const fs::path& Dir = Temp.Path();
};

TEST_F(ReportFile, SavedReportReopensAsTheSameReportAndTheSameBytes) {
  Pick(Form->Open1, Write("in.gln", kFileReport));
  const std::vector<std::string> opened = Shown();
  EXPECT_EQ(MonitorGrid->Cells(3, 2), "s: token buffer");
  EXPECT_EQ(Form->DetailsOfRow(1).Items(), (std::vector<std::string>{"Parser 88", "Lexer 150"}));
  Pick(Form->SaveAs1, Dir / "out.gln");
  EXPECT_EQ(ReadFile(Dir / "out.gln"), kFileReport);
  Send(kFileHeader + "Other 1 1 x\r\n");
  Pick(Form->Open1, Dir / "out.gln");
  EXPECT_EQ(Shown(), opened);

  ASSERT_EQ(Backend.FileDialogs.size(), 3u);
  for (const TRecordedFileDialog& dialog : Backend.FileDialogs) {
    EXPECT_EQ(dialog.Filter, "Glint Reports|*.gln|All Files|*.*");
    EXPECT_EQ(dialog.DefaultExt, "gln");
  }
  EXPECT_EQ(Backend.FileDialogs[0].Kind, TFileDialogKind::Open);
  EXPECT_EQ(Backend.FileDialogs[0].FileName, "*.gln");
  EXPECT_TRUE(Backend.FileDialogs[0].Options.Contains(TOpenOption::FileMustExist));
  EXPECT_EQ(Backend.FileDialogs[1].Kind, TFileDialogKind::Save);
  EXPECT_TRUE(Backend.FileDialogs[1].Options.Contains(TOpenOption::OverwritePrompt));
}

// Nothing changes, ReportLines included, unless the file is read whole and
// the parse takes its text; file errors name the file. A zero byte ends the
// text, as in a message: here before the header.
TEST_F(ReportFile, FailedRejectedOrCancelledOpenLeavesTheReportAsItWas) {
  Send(kFileReport);
  const std::vector<std::string> before = Shown();
  fs::create_directories(Dir / "folder.gln");
  const struct {
    fs::path Path;
    const char* Error;
  } cases[] = {
      {Dir / "missing.gln", "missing.gln"},
      {Dir / "folder.gln", "folder.gln"},
      {Write("short.gln", "1\r\n2\r\n3\r\n4\r\n5\r\n"), "List index out of bounds (5)"},
      {Write("zero.gln", std::string(1, '\0') + kFileReport), "List index out of bounds (0)"},
      {fs::path(), ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Path.string());
    std::string error;
    try {
      Pick(Form->Open1, c.Path);
    } catch (const Exception& e) {
      error = e.Message();
    }
    EXPECT_NE(error.find(c.Error), std::string::npos) << error;
    EXPECT_EQ(error.empty(), *c.Error == 0);
    EXPECT_EQ(Shown(), before);
  }
  EXPECT_THROW(Pick(Form->Open1, Dir / "missing.gln"), EInOutError);
}

// A folder at the name fails only at the last step, the replace.
TEST_F(ReportFile, FailedOrCancelledSaveWritesNothingAndNamesTheFile) {
  Send(kFileReport);
  Pick(Form->SaveAs1, fs::path());
  fs::create_directories(Dir / "folder.gln");
  for (const fs::path& target : {Dir / "no-such-folder" / "out.gln", Dir / "folder.gln"}) {
    SCOPED_TRACE(target.string());
    try {
      Pick(Form->SaveAs1, target);
      ADD_FAILURE() << "saved";
    } catch (const EInOutError& e) {
      EXPECT_NE(e.Message().find(target.string()), std::string::npos) << e.Message();
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir), {}), 1);
  }
  EXPECT_TRUE(fs::is_empty(Dir / "folder.gln"));
}

// The version shows while the box is up, its link (blue and underlined on
// a panel of another font) asks to open the home page, and the box is
// freed once closed, by OK or otherwise.
TEST_F(ReportFile, AboutBoxShowsTheVersionAndIsFreedAfterClosing) {
  const int components = Application().ComponentCount();
  std::string version;
  int shownComponents = 0;
  Backend.WhileModal = [&](TCustomForm& form) {
    auto& box = dynamic_cast<TAboutBox&>(form);
    version = box.Version->Caption();
    shownComponents = Application().ComponentCount();
    EXPECT_EQ(box.HomePage->Font().Color(), clBlue);
    EXPECT_TRUE(box.HomePage->Font().Style().Contains(TFontStyle::Underline));
    EXPECT_EQ(box.HomePage->Cursor(), TCursor::HandPoint);
    box.HomePage->DoClick();
    box.OKButton->DoClick();
  };
  Form->About1->Click();
  EXPECT_EQ(version, "v. 2.08");
  EXPECT_EQ(shownComponents, components + 1);
  EXPECT_EQ(Application().ComponentCount(), components);
  EXPECT_EQ(Backend.OpenedUrls, std::vector<std::string>{kGlintHomePage});
  Backend.WhileModal = nullptr;
  Form->About1->Click();
  EXPECT_EQ(Application().ComponentCount(), components);
  EXPECT_EQ(Backend.ModalForms.size(), 2u);
}

}  // namespace
}  // namespace glint
