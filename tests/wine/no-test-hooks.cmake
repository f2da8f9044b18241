# Fails when a module the kit ships holds a test hook or the recording IDE
# host, found by their names among the module's strings (symbols included).
# CONTROL names test modules that must hold one of them, so a search that
# could never match fails too.
#   cmake -DSHIPPED=a.dll|b.exe -DCONTROL=t.dll|u.exe -P no-test-hooks.cmake
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" SHIPPED "${SHIPPED}")
string(REPLACE "|" ";" CONTROL "${CONTROL}")
set(names "GLINT_FAULT_AFTER_ROWS|FaultAfterRows|TIdeHost")
foreach(file IN LISTS SHIPPED CONTROL)
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "no module ${file}")
  endif()
  file(STRINGS "${file}" hits REGEX "${names}")
  list(LENGTH hits count)
  if(file IN_LIST CONTROL AND count EQUAL 0)
    message(FATAL_ERROR "${file} is a test module, yet none of ${names} is found in it")
  elseif(NOT file IN_LIST CONTROL AND count GREATER 0)
    list(GET hits 0 first)
    message(FATAL_ERROR "${file} ships with a test hook: ${first}")
  endif()
  message(STATUS "${file}: ${count} test names")
endforeach()
