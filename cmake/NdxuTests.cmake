# SPDX-License-Identifier: MIT
# How every test is registered.
include(GoogleTest)

# Every test runs through this script: no proxies, a fixed locale, a home and
# temporary directory of its own.
set(NDXU_HERMETIC_RUN ${PROJECT_SOURCE_DIR}/tests/hermetic-run CACHE INTERNAL "")

# The Windows build's programs run under Wine, in a prefix of the build's
# own; tests/wine-run makes it on first use. On Windows every test may use
# drive C: (the staging directory is C:\varn\ndxu511 there, shared by all),
# so they run one at a time.
if(WIN32)
  set(NDXU_WINE_RUN ${PROJECT_SOURCE_DIR}/tests/wine-run ${PROJECT_BINARY_DIR}/wine-prefix CACHE INTERNAL "")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NDXU_WINE_RUN})
  set(NDXU_TEST_DISCOVERY PRE_TEST)
  set(NDXU_TEST_PROPERTIES RESOURCE_LOCK drive_c)
else()
  set(NDXU_TEST_DISCOVERY POST_BUILD)
  set(NDXU_TEST_PROPERTIES)
endif()

# Sets `variable` to the path under which a test finds `path` of the build
# machine: the path itself, or under Wine on drive Z:, the root of the file
# system.
function(ndxu_test_path variable path)
  if(WIN32)
    set(${variable} "Z:${path}" PARENT_SCOPE)
  else()
    set(${variable} "${path}" PARENT_SCOPE)
  endif()
endfunction()

# Registers the tests of GoogleTest executable `target`, each started through
# the hermetic script (and on Windows then Wine); ENVIRONMENT adds variables
# (NAME=VALUE) for them all.
function(ndxu_register_tests target)
  cmake_parse_arguments(ARG "" "" "ENVIRONMENT" ${ARGN})
  set(launcher ${NDXU_HERMETIC_RUN})
  if(ARG_ENVIRONMENT)
    list(APPEND launcher env ${ARG_ENVIRONMENT})
  endif()
  if(WIN32)
    list(APPEND launcher ${NDXU_WINE_RUN} --fresh-drive-c)
  endif()
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR "${launcher}")
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE ${NDXU_TEST_DISCOVERY}
                       PROPERTIES TIMEOUT 300 ${NDXU_TEST_PROPERTIES})
endfunction()

# Registers a test program that is not a GoogleTest executable.
function(ndxu_add_command_test name)
  add_test(NAME ${name} COMMAND ${NDXU_HERMETIC_RUN} ${ARGN})
endfunction()

# Builds a GoogleTest executable from SOURCES, linked with LIBS, and registers
# its tests.
function(ndxu_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ndxu_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  ndxu_register_tests(${name})
endfunction()
