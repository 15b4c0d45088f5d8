# Fails when a source file includes a header from a layer above its own.
#   cmake -DROOT=<folder holding src/ and tools/> -P check_layers.cmake
#
# The layers, lowest first: board, eval, then the search with the book beside
# it, then the game layer (protocol/game.* and protocol/time_control.*) and
# the front ends (the rest of protocol/). The strong board and search (strong/)
# stand on board and eval alone, beside the classic search; the game layer,
# the front ends and the tools may use them. The tools use everything below
# the front ends.
cmake_minimum_required(VERSION 3.22)
if(NOT ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()
get_filename_component(ROOT "${ROOT}" ABSOLUTE)

set(allowed_board    board)
set(allowed_eval     board eval)
set(allowed_strong   board eval strong)
set(allowed_book     board eval book)
set(allowed_search   board eval book search)
set(allowed_game     board eval book search strong game)
set(allowed_protocol board eval book search strong game protocol)
set(allowed_tools    board eval book search strong)

# The layer of a path relative to ROOT ("src/eval/x.cpp") or of an include
# ("eval/x.h"); empty for anything else.
function(layer_of path result)
  string(REGEX REPLACE "^src/" "" path "${path}")
  if(path MATCHES "^protocol/(game|time_control)\\.(h|cpp)$")
    set(${result} game PARENT_SCOPE)
  elseif(path MATCHES "^(board|eval|strong|book|search|protocol|tools)/")
    set(${result} ${CMAKE_MATCH_1} PARENT_SCOPE)
  else()
    set(${result} "" PARENT_SCOPE)
  endif()
endfunction()

file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/src/*.h" "${ROOT}/src/*.cpp"
     "${ROOT}/tools/*.h" "${ROOT}/tools/*.cpp")
set(violations "")
foreach(source IN LISTS sources)
  layer_of("${source}" own)
  if(NOT own)
    continue()
  endif()
  file(STRINGS "${ROOT}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
    layer_of("${header}" theirs)
    if(theirs AND NOT theirs IN_LIST allowed_${own})
      string(APPEND violations "  ${source} (${own}) includes ${header} (${theirs})\n")
    endif()
  endforeach()
endforeach()

list(LENGTH sources count)
if(count EQUAL 0)
  message(FATAL_ERROR "no sources under ${ROOT}")
endif()
if(violations)
  message(FATAL_ERROR "includes that run upward:\n${violations}")
endif()
message(STATUS "${count} files, every include runs downward")
