// ide/StdCall.h: the calling convention of every call between the IDE host and
// an add-in.
//
// The host and the add-in live in different modules built by different
// compilers, so each virtual method and callback of the host interfaces is
// standard-call on 32-bit Windows (arguments right to left on the stack, the
// object first, the callee pops them). Other builds have one convention, so
// the macro is empty there.
#pragma once

#if defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#if defined(__GNUC__)
#define GLINT_STDCALL __attribute__((stdcall))
#else
#define GLINT_STDCALL __stdcall
#endif
#else
#define GLINT_STDCALL
#endif
