# The Windows kit: everything a user unpacks into one folder and runs Setup.exe
# from. Setup registers the add-in builds that lie beside it and records the
# help file there, so the kit is flat. One command makes the ZIP:
#   cmake --build --preset win32 --target package
# (`cmake --install build/win32 --prefix DIR` lays out the same folder.)
if(NOT WIN32)
  return()
endif()

# Import libraries stay out: the kit is for running, not for linking.
install(TARGETS ${GLINT_KIT_PROGRAMS} RUNTIME DESTINATION .)
# Just what the kit holds, for a host that builds the kit but cannot test it:
#   cmake --build build/win32 --target glint_kit && cd build/win32 && cpack
add_custom_target(glint_kit)
add_dependencies(glint_kit ${GLINT_KIT_PROGRAMS} glint_help)

# The read-me is kept with LF endings and shipped with CR LF, for Notepad.
file(READ ${PROJECT_SOURCE_DIR}/setup/ReadMe.txt readme)
string(REPLACE "\n" "\r\n" readme "${readme}")
file(WRITE ${CMAKE_BINARY_DIR}/kit-files/ReadMe.txt "${readme}")
install(FILES ${CMAKE_BINARY_DIR}/kit-files/ReadMe.txt DESTINATION .)

# Glint.hlp installs itself beside them (help/CMakeLists.txt).

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(GLINT_KIT_ARCH win64)
else()
  set(GLINT_KIT_ARCH win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME GlintKit)
set(CPACK_PACKAGE_VENDOR Brackenware)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME GlintKit-${PROJECT_VERSION}-${GLINT_KIT_ARCH})
set(CPACK_STRIP_FILES ON)  # the kit ships without symbols
include(CPack)
