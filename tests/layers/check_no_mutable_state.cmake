# Fails when a library defines mutable data of its own: a variable at
# namespace scope or a static one inside a function. The front ends keep
# their state in the session they are handed.
#   cmake -DNM=<nm> -DLIBRARY=<archive> -P check_no_mutable_state.cmake
cmake_minimum_required(VERSION 3.22)
execute_process(COMMAND ${NM} --defined-only -C --format=sysv "${LIBRARY}" OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} could not read ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(mutable "")
foreach(line IN LISTS lines)
  # Writable data is b/B (zero-filled), d/D (initialised), u/V (shared by
  # copies); constants that hold addresses sit in .data.rel.ro, which the
  # loader alone writes.
  if(line MATCHES "^([^|]*[^ |]) *\\|[^|]*\\| *[bBdDuV] *\\|[^|]*\\|[^|]*\\|[^|]*\\|(.*)$")
    set(name "${CMAKE_MATCH_1}")
    set(section "${CMAKE_MATCH_2}")
    if(section MATCHES "^\\.data\\.rel\\.ro")
      continue()
    endif()
    # What the compiler and the sanitizers add on their own.
    if(NOT name MATCHES "^(__asan|__ubsan|__odr_asan|\\.L|__gcov|_GLOBAL__|guard variable)")
      string(APPEND mutable "  ${name}\n")
    endif()
  endif()
endforeach()
if(mutable)
  message(FATAL_ERROR "mutable data in ${LIBRARY}:\n${mutable}")
endif()
message(STATUS "${LIBRARY}: no mutable data")
