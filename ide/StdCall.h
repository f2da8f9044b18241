// ide/StdCall.h: the calling convention of every call between the IDE host and
// an add-in.
//
// The host and the add-in live in different modules built by different
// compilers, so each virtual method and callback of the host interfaces is
// standard-call on 32-bit Windows (arguments right to left on the stack, the
// object first, the callee pops them). Other builds have one convention, so
// the macro is empty there.
// The build defines it (the glint::ide target), so no header here needs to
// know which platform it is compiled for.
#pragma once

#ifndef GLINT_STDCALL
#error "GLINT_STDCALL is defined by the glint::ide target; link against it"
#endif
