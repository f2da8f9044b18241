// GlintMonExpert<N>.dll: the add-in library the IDE loads. Its one export,
// INITEXPERT0017, is standard-call and undecorated (the link drops the
// "@12"); it puts the Win32 backend under the control models and hands over
// to the add-in's entry. GLINT_IDE_VERSION (2, 3 or 4) names the IDE
// version the library is built for.
#include <windows.h>

#include "monitor/GlintExp.h"
#include "ui/Failure.h"
#include "ui/win32/Win32.h"

namespace {

// Lives until the library is unloaded; it unregisters its window classes
// then, after the forms (owned by Application()) are gone.
glint::TWin32& Backend() {
  static glint::TWin32 backend;
  return backend;
}

}  // namespace

extern "C" __declspec(dllexport) bool GLINT_STDCALL
    INITEXPERT0017(glint::TIToolServices* toolServices, glint::TExpertRegisterProc registerProc,
                   glint::TExpertTerminateProc* terminate) {
  // Nothing may unwind into the IDE; InitExpert reports its own failures.
  glint::RunReported(
      [&] {
        Backend();
        glint::IdeVersion = GLINT_IDE_VERSION;
        glint::InitExpert(toolServices, registerProc, terminate);
      },
      [toolServices](const char* text) {
        if (toolServices) toolServices->RaiseException(text);
      },
      glint::kStartFailureText);
  return true;
}
