# Cross build of the same Windows modules as 64-bit programs with mingw-w64.
# The kit ships the 32-bit build; this one exists so that the Windows tests
# can run under Wine on hosts that cannot run 32-bit code at all.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Wine's 64-bit loader itself: Debian's `wine` picks the 32-bit one whenever
# it is installed.
find_program(GLINT_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(GLINT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${GLINT_WINE})
endif()
