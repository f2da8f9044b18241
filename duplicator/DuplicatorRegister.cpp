// duplicator/DuplicatorRegister.cpp: the Duplicator package's registration procedure.
#include "duplicator/duprec.h"
#include "ide/Palette.h"

extern "C" void Register() { glint::RegisterComponents("Data Access", {"TQZDuplicator"}); }
