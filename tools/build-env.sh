# Sourced by the scripts that build: every compiler call goes through ccache,
# whose cache lives outside the clone (GLINT_CCACHE_DIR, by default
# ~/.cache/glint/ccache) and is keyed on paths relative to the clone, so a
# second clone on the same machine compiles little. Takes effect when a build
# folder is configured for the first time.
if command -v ccache >/dev/null; then
  export CCACHE_DIR=${GLINT_CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/glint/ccache}
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-6G}
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
