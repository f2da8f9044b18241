// The add-in's entry and its add-in object.
#include "monitor/GlintExp.h"

#include <utility>

#include "ui/Failure.h"

namespace glint {

TIToolServices* ToolServices = nullptr;
TGlintMonitorExpert* GlintMonitorExpert = nullptr;

namespace {

// Nothing may unwind into the host: a failure becomes the host's error report.
void ReportToHost(const char* message) {
  if (ToolServices) ToolServices->RaiseException(message);
}

void GLINT_STDCALL ShowMonitorClick(void* self, TIMenuItemIntf* sender) {
  RunReported([&] { static_cast<TGlintMonitorExpert*>(self)->ShowMonitor(sender); }, ReportToHost,
              "The Glint Monitor could not be shown");
}

}  // namespace

TGlintMonitorExpert::TGlintMonitorExpert() {
  if (!ToolServices) return;
  THostRef mainMenu(ToolServices->GetMainMenu());
  if (!mainMenu) return;
  // Asked for as the IDE's own add-ins do; the list itself is not needed.
  THostRef menuItems(mainMenu->GetMenuItems());
  if (!menuItems) return;
  THostRef sourceItem(mainMenu->FindMenuItem("ViewPrjSourceItem"));
  if (!sourceItem) return;
  THostRef parent(sourceItem->GetParent());
  if (!parent) return;
  FMenuItem =
      parent->InsertItem(sourceItem->GetIndex() + 1, "Glint Monitor", "ViewGlintMonitorItem", "", 0,
                         0, 0, mfEnabled | mfVisible, &ShowMonitorClick, this);
}

TGlintMonitorExpert::~TGlintMonitorExpert() {
  ReleaseIntf(FMenuItem);
  if (GlintMonitorExpert == this) GlintMonitorExpert = nullptr;
}

void TGlintMonitorExpert::ShowMonitor(TIMenuItemIntf* sender) {
  if (!GlintMonitor) {
    // A constructor that throws frees the half-made form itself.
    try {
      GlintMonitor = new TGlintMonitor(&Application());
    } catch (...) {
      GlintMonitor = nullptr;
      throw;
    }
  }
  GlintMonitor->Show();
}

bool GLINT_STDCALL InitExpert(TIToolServices* toolServices, TExpertRegisterProc registerProc,
                              TExpertTerminateProc* terminate) {
  if (!toolServices) return true;
  TGlintMonitorExpert* expert = nullptr;
  RunReported(
      [&] {
        ToolServices = toolServices;
        Application().SetHandle(ToolServices->GetParentHandle());
        if (!registerProc) throw Exception("The IDE passed no registration procedure");
        expert = new TGlintMonitorExpert();
        GlintMonitorExpert = expert;
        registerProc(std::exchange(expert, nullptr));
      },
      ReportToHost, kStartFailureText);
  // An expert the host never took is ours to free.
  if (expert) expert->Release();
  return true;
}

}  // namespace glint
