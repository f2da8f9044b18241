# Shared build settings: one warnings target, one test helper.

add_library(glint_warnings INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(glint_warnings INTERFACE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
  if(GLINT_WERROR)
    target_compile_options(glint_warnings INTERFACE -Werror)
  endif()
endif()

# __FILE__ (in GoogleTest's failure lines, say) names files relative to the
# source tree, so what one clone compiles is the same in any other and the
# compiler cache can share it, unity builds included.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-fmacro-prefix-map=${PROJECT_SOURCE_DIR}/=)
endif()

if(WIN32)
  # Each module must stand alone on a machine without the mingw runtime DLLs.
  add_link_options(-static-libgcc -static-libstdc++ -static)
endif()

# Natively GoogleTest comes from the system package; the cross build compiles
# Debian's shipped GoogleTest sources so the same tests run under Wine.
macro(glint_find_gtest)
  if(WIN32)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_gtest EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest_main)
      add_library(GTest::gtest ALIAS gtest)
      add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
  include(GoogleTest)
endmacro()

# A GoogleTest program that calls GTEST_SKIP still exits 0, so ctest would count
# it as passed; its "[  SKIPPED ]" line makes it a failure instead.
set(GLINT_GTEST_SKIPPED "\\[  SKIPPED \\]")

# glint_add_library(glint_x STATIC|SHARED|OBJECT|INTERFACE [SOURCES a.cpp ...]
#                   [PUBLIC libs...] [PRIVATE libs...])
# A library of the kit: its users include "x/Name.h" from the repository root
# and build as C++20; it compiles with the kit's warnings. glint_x also gets
# the name glint::x.
function(glint_add_library name type)
  cmake_parse_arguments(L "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  add_library(${name} ${type} ${L_SOURCES})
  if(type STREQUAL "INTERFACE")
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_compile_features(${name} INTERFACE cxx_std_20)
    target_link_libraries(${name} INTERFACE ${L_PUBLIC})
  else()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_features(${name} PUBLIC cxx_std_20)
    target_link_libraries(${name} PUBLIC ${L_PUBLIC} PRIVATE ${L_PRIVATE} glint_warnings)
  endif()
  if(name MATCHES "^glint_(.+)$")
    add_library(glint::${CMAKE_MATCH_1} ALIAS ${name})
  endif()
endfunction()

# glint_add_test(name SOURCES a.cpp b.cpp LIBS glint::rtl [LABELS x])
# Uses add_test(NAME ... COMMAND <target>) so CMAKE_CROSSCOMPILING_EMULATOR
# (wine in the cross build) applies to it unchanged.
function(glint_add_test name)
  if(NOT GLINT_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main glint_warnings)
  # The test code itself is not optimised: it compiles in half the time, and
  # what it tests (the libraries) keeps the build's own flags, sanitizers too.
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${name} PRIVATE -O0)
  endif()
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  set(labels unit ${T_LABELS})
  set_tests_properties(${name} PROPERTIES LABELS "${labels}"
    FAIL_REGULAR_EXPRESSION "${GLINT_GTEST_SKIPPED}"
    ENVIRONMENT "GLINT_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# glint_add_bench(name SOURCES ... LIBS ...): native only.
function(glint_add_bench name)
  if(NOT GLINT_BUILD_BENCH OR WIN32)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark glint_warnings)
endfunction()

# What a component package's API macro expands to while the package is built
# (GLINT_DLL_EXPORT) and for the programs that link it (GLINT_DLL_IMPORT).
if(WIN32)
  set(GLINT_DLL_EXPORT "__declspec(dllexport)")
  set(GLINT_DLL_IMPORT "__declspec(dllimport)")
else()
  set(GLINT_DLL_EXPORT "__attribute__((visibility(\"default\")))")
  set(GLINT_DLL_IMPORT "")
endif()
