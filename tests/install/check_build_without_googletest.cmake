# Configures, builds and installs the engine from the sources as if
# GoogleTest were absent, and asks the installed engine for its version.
#   cmake -DSOURCE_DIR=<sources> -DWORK_DIR=<scratch folder> -P check_build_without_googletest.cmake
cmake_minimum_required(VERSION 3.22)
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND ${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${WORK_DIR}/build" -DCMAKE_BUILD_TYPE=Release
                        -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
                RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE configure_errors)
if(failed OR NOT configure_errors MATCHES "GoogleTest was not found")
  message(FATAL_ERROR "configuring without GoogleTest failed or said nothing:\n${configure_errors}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build "${WORK_DIR}/build" --target tavrin -j 2
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "building without GoogleTest failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --install "${WORK_DIR}/build" --prefix "${WORK_DIR}/prefix"
                RESULT_VARIABLE failed OUTPUT_QUIET)
execute_process(COMMAND "${WORK_DIR}/prefix/bin/tavrin" --version OUTPUT_VARIABLE version)
file(REMOVE_RECURSE "${WORK_DIR}")
if(failed OR NOT version MATCHES "^Tavrin [0-9]")
  message(FATAL_ERROR "installing without GoogleTest failed: ${version}")
endif()
