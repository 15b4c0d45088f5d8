# Fails when a source file includes a header it may not: from a layer above
# its own, or, in a front end, anything but the game layer, the input layer
# and the board's position and move text; or when includes run in a circle.
#   cmake -DROOT=<folder holding src/ and tools/> -P check_layers.cmake
#
# The layers, lowest first: nnue, the network's inference, on nothing but
# the standard library; board; eval and the book; the classic search, and
# the strong board and search (strong/) beside it on board, eval and nnue
# alone; learn, the game records and the trainer, on strong; the game layer; then the front ends, xboard and uci, which know only
# the game layer (and io, the input layer beside it) and never each other.
# main and the tools (which also use learn) stand on top, and so does web, the browser build's
# entry, which starts the engine as main does and speaks through uci alone.
cmake_minimum_required(VERSION 3.22)
if(NOT ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()
get_filename_component(ROOT "${ROOT}" ABSOLUTE)

set(allowed_board    board front_board)
set(allowed_eval     board front_board eval)
set(allowed_book     board front_board book)
set(allowed_search   board front_board eval book search)
set(allowed_strong   board front_board eval strong nnue)
set(allowed_nnue     nnue)
set(allowed_learn    board front_board eval strong nnue learn)
set(allowed_game     board front_board eval book search strong game)
set(allowed_io       io)
set(allowed_xboard   game io xboard front_board)
set(allowed_uci      game io uci front_board)
set(allowed_main     board eval book search strong game io xboard uci front_board)
set(allowed_web      board front_board game io uci)
set(allowed_tools    board front_board eval book search strong game io nnue learn)

# The layer of a path relative to ROOT ("src/eval/x.cpp") or of an include
# ("eval/x.h"); empty for anything else. As included, the board headers that
# the front ends may read form a layer of their own.
function(layer_of path result)
  string(REGEX REPLACE "^src/" "" path "${path}")
  if(ARGV2 STREQUAL "included" AND path MATCHES "^board/(position|move_text)\\.h$")
    set(${result} front_board PARENT_SCOPE)
  elseif(path MATCHES "^(board|eval|book|search|strong|nnue|learn|game|io|xboard|uci|web|tools)/")
    set(${result} ${CMAKE_MATCH_1} PARENT_SCOPE)
  elseif(path STREQUAL "main.cpp")
    set(${result} main PARENT_SCOPE)
  else()
    set(${result} "" PARENT_SCOPE)
  endif()
endfunction()

# A header and its source are one unit: "src/game/game.cpp" -> "game/game".
function(unit_of path result)
  string(REGEX REPLACE "^(src|tools)/" "" path "${path}")
  string(REGEX REPLACE "\\.(h|cpp)$" "" path "${path}")
  set(${result} "${path}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/src/*.h" "${ROOT}/src/*.cpp"
     "${ROOT}/tools/*.h" "${ROOT}/tools/*.cpp")
list(LENGTH sources count)
if(count EQUAL 0)
  message(FATAL_ERROR "no sources under ${ROOT}")
endif()

set(violations "")
set(units "")
foreach(source IN LISTS sources)
  layer_of("${source}" own)
  unit_of("${source}" from)
  list(APPEND units "${from}")
  file(STRINGS "${ROOT}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
    layer_of("${header}" theirs included)
    if(own AND theirs AND NOT theirs IN_LIST allowed_${own})
      string(APPEND violations "  ${source} (${own}) includes ${header} (${theirs})\n")
    endif()
    # Includes between units, for the circle test.
    unit_of("${header}" to)
    if(EXISTS "${ROOT}/src/${header}" OR EXISTS "${ROOT}/tools/${header}")
      if(NOT to STREQUAL from)
        list(APPEND edges_of_${from} "${to}")
      endif()
    endif()
  endforeach()
endforeach()
if(violations)
  message(FATAL_ERROR "includes across the layers:\n${violations}")
endif()

# No circle: take away, again and again, the units that include no unit
# still left; whatever cannot be taken away stands in a circle.
list(REMOVE_DUPLICATES units)
set(left ${units})
set(changed TRUE)
while(changed)
  set(changed FALSE)
  set(next "")
  foreach(unit IN LISTS left)
    set(blocked FALSE)
    foreach(to IN LISTS edges_of_${unit})
      if(to IN_LIST left)
        set(blocked TRUE)
        break()
      endif()
    endforeach()
    if(blocked)
      list(APPEND next "${unit}")
    else()
      set(changed TRUE)
    endif()
  endforeach()
  set(left ${next})
endwhile()
if(left)
  string(REPLACE ";" ", " left "${left}")
  message(FATAL_ERROR "includes that run in a circle among: ${left}")
endif()
message(STATUS "${count} files: every include within its layers, and no circle")
