// Report files and the Help/About box: File/Open reads a report file into
// the window, File/Save As writes the report's lines to one, both through
// the file dialogs; Help/About shows the About box.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "controls/GlintAbout.h"
#include "monitor/GlintExp.h"
#include "rtl/SafeFile.h"
#include "rtl/SysUtils.h"
#include "ui/Dialogs.h"

namespace glint {

namespace {

struct TFileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Writes go out in blocks of about this size rather than one per line.
constexpr std::size_t kSaveBlock = 64 * 1024;

}  // namespace

TStringList ReportTextLines(std::string_view bytes) {
  TStringList lines;
  lines.SetText(bytes.substr(0, bytes.find('\0')));
  return lines;
}

TStringList LoadReportFile(const std::string& fileName) {
  std::unique_ptr<std::FILE, TFileCloser> f(std::fopen(fileName.c_str(), "rb"));
  if (!f) throw EInOutError(Format("Cannot open file \"%s\"", fileName.c_str()));
  std::string bytes;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) bytes.append(buffer, got);
  if (std::ferror(f.get())) throw EInOutError(Format("Cannot read file \"%s\"", fileName.c_str()));
  return ReportTextLines(bytes);
}

void SaveReportFile(const TStringList& lines, const std::string& fileName) {
  TSafeFile file(fileName);
  const auto fail = [&]() {
    throw EInOutError(
        Format("Cannot write file \"%s\": %s", fileName.c_str(), file.Error().c_str()));
  };
  if (!file.Open()) fail();
  std::string block;
  block.reserve(kSaveBlock);
  for (const std::string& line : lines.Items()) {
    block += line;
    block += "\r\n";
    if (block.size() < kSaveBlock) continue;
    if (!file.Write(block.data(), block.size())) fail();
    block.clear();
  }
  if (!block.empty() && !file.Write(block.data(), block.size())) fail();
  if (!file.Commit()) fail();
}

// The file's lines go to ReplaceReport, which changes nothing unless the
// parse takes them; a file that cannot be read never gets that far.
void TGlintMonitor::Open1Click(TObject* sender) {
  TOpenDialog dialog(nullptr);
  dialog.SetFileName(kReportFileMask);
  dialog.SetFilter(kReportFilter);
  dialog.SetDefaultExt(kReportDefaultExt);
  dialog.SetOptions({TOpenOption::HideReadOnly, TOpenOption::PathMustExist,
                     TOpenOption::FileMustExist, TOpenOption::NoChangeDir});
  if (!dialog.Execute()) return;
  ReplaceReport(LoadReportFile(dialog.FileName()));
}

void TGlintMonitor::SaveAs1Click(TObject* sender) {
  TSaveDialog dialog(nullptr);
  dialog.SetFilter(kReportFilter);
  dialog.SetDefaultExt(kReportDefaultExt);
  dialog.SetOptions({TOpenOption::OverwritePrompt, TOpenOption::HideReadOnly,
                     TOpenOption::PathMustExist, TOpenOption::NoChangeDir});
  if (!dialog.Execute()) return;
  SaveReportFile(*ReportLines, dialog.FileName());
}

void TGlintMonitor::About1Click(TObject* sender) {
  std::unique_ptr<TAboutBox> box(new TAboutBox(&Application()));
  box->Version->SetCaption(kGlintVersion);
  box->ShowModal();
}

}  // namespace glint
