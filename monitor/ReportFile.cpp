// Report files and the Help/About box: File/Open reads a report file into
// the window, File/Save As writes the report's lines to one, both through
// the file dialogs; Help/About shows the About box.
#include <memory>
#include <string>

#include "controls/GlintAbout.h"
#include "monitor/GlintExp.h"
#include "rtl/SysUtils.h"
#include "ui/Dialogs.h"

namespace glint {

// The file goes to ShowReport only once it is read and parsed whole.
void TGlintMonitor::Open1Click(TObject* sender) {
  TOpenDialog dialog(nullptr);
  dialog.SetFileName(kReportFileMask);
  dialog.SetFilter(kReportFilter);
  dialog.SetDefaultExt(kReportDefaultExt);
  dialog.SetOptions({TOpenOption::HideReadOnly, TOpenOption::PathMustExist,
                     TOpenOption::FileMustExist, TOpenOption::NoChangeDir});
  if (!dialog.Execute()) return;
  ShowReport(TReport::LoadFromFile(dialog.FileName()));
}

void TGlintMonitor::SaveAs1Click(TObject* sender) {
  TSaveDialog dialog(nullptr);
  dialog.SetFilter(kReportFilter);
  dialog.SetDefaultExt(kReportDefaultExt);
  dialog.SetOptions({TOpenOption::OverwritePrompt, TOpenOption::HideReadOnly,
                     TOpenOption::PathMustExist, TOpenOption::NoChangeDir});
  if (!dialog.Execute()) return;
  FReport->SaveToFile(dialog.FileName());
}

void TGlintMonitor::About1Click(TObject* sender) {
  std::unique_ptr<TAboutBox> box(new TAboutBox(&Application()));
  box->Version->SetCaption(kGlintVersion);
  box->ShowModal();
}

}  // namespace glint
