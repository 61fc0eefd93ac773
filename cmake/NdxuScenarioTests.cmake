# SPDX-License-Identifier: MIT
# Read by ctest with the test list (see ndxu_add_scenario_tests in
# NdxuTests.cmake), which sets:
#   ndxu_scenario_directory          the scenario files' directory
#   ndxu_scenario_path_prefix        what goes before a path as the test
#                                    program names it ("Z:" under Wine)
#   ndxu_scenario_name               the tests' name before the file's
#   ndxu_scenario_command            the command running one scenario, the
#                                    file's path given for @SCENARIO@
#   ndxu_scenario_working_directory  where the tests run
#   ndxu_scenario_properties         the tests' properties
# Adds one test per scenario file found now, named as GoogleTest's discovery
# names a test of the parameterized suite: the file's name with every
# character but a letter or digit made "_", then the file it was given.
#
# The environment variable NDXU_TEST_SCENARIOS names another directory in
# place of the registered one (tests/check-scenario-discovery adds a file to
# a copy of the scenarios).
if(DEFINED ENV{NDXU_TEST_SCENARIOS})
  set(ndxu_scenario_directory "$ENV{NDXU_TEST_SCENARIOS}")
endif()
file(GLOB ndxu_scenario_files LIST_DIRECTORIES false "${ndxu_scenario_directory}/*.scenario")
list(SORT ndxu_scenario_files)
foreach(file IN LISTS ndxu_scenario_files)
  cmake_path(GET file STEM LAST_ONLY stem)
  string(REGEX REPLACE "[^A-Za-z0-9]" "_" stem "${stem}")
  set(path "${ndxu_scenario_path_prefix}${file}")
  set(test "${ndxu_scenario_name}/${stem}  # GetParam() = \"${path}\"")
  string(REPLACE "@SCENARIO@" "${path}" command "${ndxu_scenario_command}")
  add_test("${test}" ${command})
  set_tests_properties("${test}" PROPERTIES WORKING_DIRECTORY "${ndxu_scenario_working_directory}"
                       SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]" ${ndxu_scenario_properties})
endforeach()
