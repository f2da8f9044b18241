// Setup: registers the Glint Monitor add-in builds lying beside it. It takes no
// arguments and, once its message box is closed, ends with exit code 0 when all it
// registered is saved, 1 when something could not be written.
#include "setup/Setup.h"

int main() { return glint::RunSetup(); }
