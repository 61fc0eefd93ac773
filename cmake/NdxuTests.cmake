# SPDX-License-Identifier: MIT
# How every test is registered.
include(GoogleTest)

# Every test runs through this script: no proxies, a fixed locale, a home and
# temporary directory of its own.
set(NDXU_HERMETIC_RUN ${PROJECT_SOURCE_DIR}/tests/hermetic-run CACHE INTERNAL "")

# Registers the tests of GoogleTest executable `target`, each started through
# the hermetic script; ENVIRONMENT adds variables (NAME=VALUE) for them all.
function(ndxu_register_tests target)
  cmake_parse_arguments(ARG "" "" "ENVIRONMENT" ${ARGN})
  set(launcher ${NDXU_HERMETIC_RUN})
  if(ARG_ENVIRONMENT)
    list(APPEND launcher env ${ARG_ENVIRONMENT})
  endif()
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR "${launcher}")
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
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
