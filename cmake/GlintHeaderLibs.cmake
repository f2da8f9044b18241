# The header-only libraries the tools use: CLI11 (options) and nlohmann-json
# (JSON), from Debian's libcli11-dev and nlohmann-json3-dev, as the targets
# glint::cli11 and glint::json.
# A cross build cannot put the host's /usr/include on its include path (the
# host's C library headers would shadow mingw's), so it gets a copy of just
# these two header trees inside the build directory.
function(glint_header_lib target header)
  find_path(${target}_ROOT ${header} PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH
            NO_DEFAULT_PATH)
  if(NOT ${target}_ROOT)
    message(FATAL_ERROR "${header} not found: install Debian's libcli11-dev and nlohmann-json3-dev "
                        "(bash .ci/install-deps)")
  endif()
  set(include ${${target}_ROOT})
  if(CMAKE_CROSSCOMPILING)
    get_filename_component(top ${header} DIRECTORY)
    set(include ${CMAKE_BINARY_DIR}/header-libs/${target})
    file(COPY ${${target}_ROOT}/${top} DESTINATION ${include})
  endif()
  add_library(glint_${target} INTERFACE)
  target_include_directories(glint_${target} SYSTEM INTERFACE ${include})
  add_library(glint::${target} ALIAS glint_${target})
endfunction()

glint_header_lib(cli11 CLI/CLI.hpp)
glint_header_lib(json nlohmann/json.hpp)
