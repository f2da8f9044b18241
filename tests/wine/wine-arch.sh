# Sourced by the Wine scripts. glint_use_wine ARCH STATE_DIR: ARCH is win32 or
# win64, the Windows build whose programs are run. For win64 a bin folder in
# STATE_DIR goes first on PATH, whose wine (and wine-stable, which Wine's own
# wineboot and friends call) runs Wine's 64-bit loader: Debian's wine always
# takes the 32-bit loader when it is installed.
glint_use_wine() {
  export WINEARCH=$1
  [ "$1" = win64 ] || return 0
  local bin=$2/bin name
  mkdir -p "$bin"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$bin/$name"
    chmod +x "$bin/$name"
  done
  case ":$PATH:" in *":$bin:"*) ;; *) export PATH="$bin:$PATH" ;; esac
}

# True when this machine runs 32-bit x86 programs; some hosts refuse them
# (their kernels return ENOEXEC for every i386 program), and there only the
# 64-bit Windows build can run under Wine.
glint_host_runs_i386() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
