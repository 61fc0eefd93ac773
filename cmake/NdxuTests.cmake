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

# Sets `variable` to the command that starts a test program: the hermetic
# script, ENVIRONMENT's variables (NAME=VALUE), and on Windows then Wine.
function(ndxu_test_launcher variable)
  cmake_parse_arguments(ARG "" "" "ENVIRONMENT" ${ARGN})
  set(launcher ${NDXU_HERMETIC_RUN})
  if(ARG_ENVIRONMENT)
    list(APPEND launcher env ${ARG_ENVIRONMENT})
  endif()
  if(WIN32)
    list(APPEND launcher ${NDXU_WINE_RUN} --fresh-drive-c)
  endif()
  set(${variable} "${launcher}" PARENT_SCOPE)
endfunction()

# Registers the tests of GoogleTest executable `target`, each started through
# the launcher above; ENVIRONMENT adds variables (NAME=VALUE) for them all,
# EXCLUDE leaves out the tests matching a GoogleTest filter pattern.
function(ndxu_register_tests target)
  cmake_parse_arguments(ARG "" "EXCLUDE" "ENVIRONMENT" ${ARGN})
  ndxu_test_launcher(launcher ENVIRONMENT ${ARG_ENVIRONMENT})
  set(filter)
  if(ARG_EXCLUDE)
    set(filter TEST_FILTER -${ARG_EXCLUDE})
  endif()
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR "${launcher}")
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE ${NDXU_TEST_DISCOVERY} ${filter}
                       PROPERTIES TIMEOUT 300 ${NDXU_TEST_PROPERTIES})
endfunction()

# Registers one test per scenario file (*.scenario) in `directory`, each
# running GoogleTest executable `target`'s tests `name`/* on that file alone,
# named in NDXU_SCENARIO. The files are found when ctest reads the test list
# (cmake/NdxuScenarioTests.cmake), so a new file is a test in the next ctest
# without a build. `target` registers its own tests with EXCLUDE `name`/*.
function(ndxu_add_scenario_tests target name directory)
  ndxu_test_launcher(launcher ENVIRONMENT NDXU_SCENARIO=@SCENARIO@)
  # What ndxu_test_path puts before a path: the file as the program names it.
  ndxu_test_path(path_prefix "")
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_scenarios.cmake)
  file(GENERATE OUTPUT ${script} CONTENT
"set(ndxu_scenario_directory [==[${directory}]==])
set(ndxu_scenario_path_prefix [==[${path_prefix}]==])
set(ndxu_scenario_name [==[${name}]==])
set(ndxu_scenario_command [==[${launcher};$<TARGET_FILE:${target}>;--gtest_filter=${name}/*]==])
set(ndxu_scenario_working_directory [==[${CMAKE_CURRENT_BINARY_DIR}]==])
set(ndxu_scenario_properties [==[TIMEOUT;300;${NDXU_TEST_PROPERTIES}]==])
include([==[${PROJECT_SOURCE_DIR}/cmake/NdxuScenarioTests.cmake]==])
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# Registers a test program that is not a GoogleTest executable.
function(ndxu_add_command_test name)
  add_test(NAME ${name} COMMAND ${NDXU_HERMETIC_RUN} ${ARGN})
endfunction()

# Builds a GoogleTest executable from SOURCES, linked with LIBS, and registers
# its tests (but those matching EXCLUDE).
function(ndxu_add_test name)
  cmake_parse_arguments(ARG "" "EXCLUDE" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ndxu_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  ndxu_register_tests(${name} EXCLUDE "${ARG_EXCLUDE}")
endfunction()
