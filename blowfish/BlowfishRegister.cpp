// blowfish/BlowfishRegister.cpp: the packages' registration procedure.
#include "blowfish/Blowfish.h"
#include "ide/Palette.h"

extern "C" void Register() { glint::RegisterComponents("Crypto", {"TBlowfish"}); }
