// Setup: registers the Glint Monitor add-in builds lying beside it. It takes no
// arguments and ends with exit code 0 once its message box is closed.
#include "setup/Setup.h"

int main() {
  glint::RunSetup();
  return 0;
}
