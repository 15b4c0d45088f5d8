# Builds the engine with the top-level Makefile into an EXE= path of its
# own, as testing frameworks do, and reads its bench: the classic signature,
# and the strong one with the speed as the last two lines.
#   cmake -DSOURCE_DIR=<sources> -DWORK_DIR=<scratch folder> -P check_make_bench.cmake
cmake_minimum_required(VERSION 3.22)
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND make -C "${SOURCE_DIR}" EXE=${WORK_DIR}/some/path/tavrin BUILD=${WORK_DIR}/build
                RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
if(failed)
  message(FATAL_ERROR "make EXE=... failed")
endif()
execute_process(COMMAND "${WORK_DIR}/some/path/tavrin" bench OUTPUT_VARIABLE output RESULT_VARIABLE failed)
file(REMOVE_RECURSE "${WORK_DIR}")
if(failed OR NOT output MATCHES "\nclassic search: 14469483 nodes [0-9]+ nps\n" OR NOT output MATCHES "\n1489998 nodes\n[0-9]+ nps\n$")
  message(FATAL_ERROR "bench did not end with the signature and the speed:\n${output}")
endif()
