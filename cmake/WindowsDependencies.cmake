# SPDX-License-Identifier: MIT
# What the Windows build takes from Debian. Debian has no MinGW builds of
# curl, OpenSSL or Qt: the platform layer's Windows side uses the system's
# own interfaces instead. The header-only libraries come from Debian's
# headers, each through an include directory of its own (never all of
# /usr/include, whose C library headers are the build machine's), and
# GoogleTest is built from Debian's sources for the target.

# Makes the imported target `target` whose include directory holds only
# /usr/include/`name`.
function(ndxu_debian_headers target name)
  set(directory ${PROJECT_BINARY_DIR}/debian-headers/${name})
  if(NOT EXISTS /usr/include/${name})
    message(FATAL_ERROR "/usr/include/${name} is missing: run scripts/install-deps")
  endif()
  file(MAKE_DIRECTORY ${directory})
  file(CREATE_LINK /usr/include/${name} ${directory}/${name} SYMBOLIC)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} SYSTEM INTERFACE ${directory})
endfunction()

ndxu_debian_headers(CLI11::CLI11 CLI)
ndxu_debian_headers(nlohmann_json::nlohmann_json nlohmann)

# GoogleTest and GoogleMock from /usr/src/googletest; their build names them
# as find_package(GTest) does on Linux (GTest::gtest ...). Their warnings are
# not ours to fix.
function(ndxu_googletest_from_sources)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  foreach(library gtest gtest_main gmock gmock_main)
    set_target_properties(${library} PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
    target_compile_options(${library} PRIVATE -w)
  endforeach()
endfunction()
