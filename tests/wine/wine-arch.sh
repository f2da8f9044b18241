# Sourced by the install step, the test and demo scripts and the Wine test
# scripts: which Windows build this host can run under Wine, and why.

# glint_use_wine ARCH STATE_DIR: ARCH is win32 or win64, the Windows build
# whose programs are run. For win64 a bin folder in STATE_DIR goes first on
# PATH, whose wine (and wine-stable, which Wine's own wineboot and friends
# call) runs Wine's 64-bit loader: Debian's wine always takes the 32-bit loader
# when it is installed.
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

# True when the kernel runs 32-bit x86 programs; some hosts refuse every one
# (ENOEXEC). Asked of the kernel itself with a 96-byte i386 ELF program that
# exits with 42, since Wine being installed or not says nothing about it.
# GLINT_HOST_RUNS_I386=0 or 1 overrides the answer (the install test uses it).
glint_host_runs_i386() {
  case "${GLINT_HOST_RUNS_I386:-}" in
    0) return 1 ;;
    1) return 0 ;;
  esac
  local dir rc=1
  # A temp folder may be mounted noexec; the working folder is the fallback.
  for dir in "${TMPDIR:-/tmp}" "$PWD"; do
    local probe
    probe=$(mktemp "$dir/glint-i386.XXXXXX" 2>/dev/null) || continue
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    local err
    err=$("$probe" 2>&1) && rc=0 || rc=$?
    rm -f "$probe"
    case "$err" in *"ermission denied"*) continue ;; esac
    break
  done
  [ "$rc" -eq 42 ]
}

# True when Wine's 32-bit half (Debian's wine32:i386) is installed.
glint_wine32_installed() {
  dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'
}

# glint_pick_windows_build: sets GLINT_WINDOWS to the Windows build this host
# tests and shows (win32, the modules users install, wherever they can run;
# else win64, the same sources as 64-bit programs) and GLINT_WINDOWS_WHY to one
# line that says which and why.
glint_pick_windows_build() {
  if ! glint_host_runs_i386; then
    GLINT_WINDOWS=win64
    GLINT_WINDOWS_WHY="This host's kernel refuses 32-bit (i386) programs: the Windows build runs as 64-bit programs of the same sources (win64)."
  elif ! glint_wine32_installed; then
    GLINT_WINDOWS=win64
    GLINT_WINDOWS_WHY="This host runs 32-bit programs, but Wine's 32-bit half (wine32:i386) is not installed: the Windows build runs as 64-bit programs of the same sources (win64)."
  else
    GLINT_WINDOWS=win32
    GLINT_WINDOWS_WHY="This host runs 32-bit programs and Wine's 32-bit half: the Windows build runs as the 32-bit modules users install (win32)."
  fi
}
