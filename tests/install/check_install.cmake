# Installs the build into a fresh prefix and starts the installed engine from
# another folder: it must find the installed book.
#   cmake -DBUILD_DIR=<build> -DWORK_DIR=<scratch folder> -P check_install.cmake
cmake_minimum_required(VERSION 3.22)
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/elsewhere")
set(prefix "${WORK_DIR}/prefix")

execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(installed bin/tavrin share/tavrin/book.book share/man/man6/tavrin.6)
  if(NOT EXISTS "${prefix}/${installed}")
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()

file(WRITE "${WORK_DIR}/input" "quit\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=TAVRIN_BOOK "${prefix}/bin/tavrin"
                WORKING_DIRECTORY "${WORK_DIR}/elsewhere" INPUT_FILE "${WORK_DIR}/input"
                OUTPUT_VARIABLE output RESULT_VARIABLE failed TIMEOUT 20)
file(REMOVE_RECURSE "${WORK_DIR}")
if(failed OR NOT output MATCHES "\nBook version 1\\.0\\.\n")
  message(FATAL_ERROR "the installed engine did not find its book:\n${output}")
endif()
