# Wine tests: Windows programs of the cross build run under Wine, in a
# throw-away 32-bit prefix on a private Xvfb display, made once per ctest run
# by the fixture test wine_setup (and ended by wine_cleanup). They carry the
# label "wine" and never run in parallel with each other. Without Wine, Xvfb
# or the fonts Wine ships, wine_setup fails and so does every Wine test.
#
#   glint_add_wine_test(NAME COMMAND cmd args... [TIMEOUT seconds] [ENVIRONMENT VAR=value...])
#
# COMMAND runs through tests/wine/wine-run.sh with WINEPREFIX, WINEARCH,
# WINEDEBUG and DISPLAY set (and GLINT_WINE_STATE, the fixture's folder).
# Run a Windows program as `wine $<TARGET_FILE:target>`; Windows programs get
# the ENVIRONMENT values too (Wine passes the environment on).

set(GLINT_WINE_STATE ${CMAKE_BINARY_DIR}/wine-state)
set(GLINT_WINE_SCRIPTS ${PROJECT_SOURCE_DIR}/tests/wine)
# The prefix matches the build: a 64-bit build (for hosts that cannot run
# 32-bit code) gets a 64-bit prefix and Wine's 64-bit loader.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(GLINT_WINE_ARCH win64)
else()
  set(GLINT_WINE_ARCH win32)
endif()

function(glint_wine_fixture)
  get_property(defined GLOBAL PROPERTY GLINT_WINE_FIXTURE)
  if(defined)
    return()
  endif()
  set_property(GLOBAL PROPERTY GLINT_WINE_FIXTURE ON)
  add_test(NAME wine_setup
           COMMAND bash ${GLINT_WINE_SCRIPTS}/wine-setup.sh ${GLINT_WINE_STATE} ${GLINT_WINE_ARCH})
  set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine LABELS wine TIMEOUT 400
                       RESOURCE_LOCK wine_display)
  add_test(NAME wine_cleanup COMMAND bash ${GLINT_WINE_SCRIPTS}/wine-cleanup.sh ${GLINT_WINE_STATE})
  set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine LABELS wine TIMEOUT 60
                       RESOURCE_LOCK wine_display)
endfunction()

function(glint_add_wine_test name)
  if(NOT GLINT_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(W "" "TIMEOUT" "COMMAND;ENVIRONMENT" ${ARGN})
  if(NOT W_TIMEOUT)
    set(W_TIMEOUT 300)
  endif()
  glint_wine_fixture()
  add_test(NAME ${name}
           COMMAND bash ${GLINT_WINE_SCRIPTS}/wine-run.sh ${GLINT_WINE_STATE} ${W_COMMAND})
  set_tests_properties(${name} PROPERTIES
    LABELS wine FIXTURES_REQUIRED wine RESOURCE_LOCK wine_display
    FAIL_REGULAR_EXPRESSION "${GLINT_GTEST_SKIPPED}" TIMEOUT ${W_TIMEOUT}
    ENVIRONMENT "GLINT_SOURCE_DIR=${PROJECT_SOURCE_DIR};GLINT_BUILD_DIR=${CMAKE_BINARY_DIR};${W_ENVIRONMENT}")
endfunction()
