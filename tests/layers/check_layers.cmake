# Fails when a source file includes a header it may not: from a layer above
# its own, or, in a front end, anything but the game layer, the input layer,
# the shared codes and the classic board's constants; when a front end or
# the strong search reaches, through any chain of includes, a header that
# declares the classic engine's mutable state; or when includes run in a
# circle.
#   cmake -DROOT=<folder holding src/ and tools/> [-DREAL_ROOT=<the real tree>] -P check_layers.cmake
# REAL_ROOT supplies the headers a planted tree does not hold itself.
#
# The layers, lowest first: common, the codes, limits and FEN text both
# engines share, and nnue, the network's inference, on nothing but the
# standard library; the classic board; eval and the book; the classic
# search; and beside them on common and nnue alone the strong search
# (strong/); learn, the game records and the trainer, on the strong search;
# the game layer; then the front ends, xboard and uci, which know only the
# game layer (and io, the input layer beside it) and never each other. main
# and the tools (which also use learn) stand on top, and so does web, the
# browser build's entry, which starts the engine through the game layer and
# speaks through uci alone.
cmake_minimum_required(VERSION 3.22)
if(NOT ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()
get_filename_component(ROOT "${ROOT}" ABSOLUTE)
if(NOT REAL_ROOT)
  set(REAL_ROOT "${ROOT}")
endif()
get_filename_component(REAL_ROOT "${REAL_ROOT}" ABSOLUTE)

set(allowed_common   common)
set(allowed_nnue     nnue)
set(allowed_board    common front_board board)
set(allowed_eval     common front_board board eval)
set(allowed_book     common front_board board book)
set(allowed_search   common front_board board eval book search)
set(allowed_strong   common nnue strong)
set(allowed_learn    common nnue strong learn)
set(allowed_game     common front_board board eval book search nnue strong game)
set(allowed_io       io)
set(allowed_xboard   common front_board game io xboard)
set(allowed_uci      common front_board game io uci)
set(allowed_main     common front_board board eval book search nnue strong game io xboard uci)
set(allowed_web      common front_board game io uci)
set(allowed_tools    common front_board board eval book search nnue strong learn game io)

# The layers whose files may never reach the classic engine's state.
set(kept_from_state xboard uci web strong nnue learn)

# The layer of a path relative to ROOT ("src/eval/x.cpp") or of an include
# ("eval/x.h"); empty for anything else. As included, the classic board's
# header of constants and types, which the front ends may read, forms a
# layer of its own.
function(layer_of path result)
  string(REGEX REPLACE "^src/" "" path "${path}")
  if(ARGV2 STREQUAL "included" AND path STREQUAL "board/types.h")
    set(${result} front_board PARENT_SCOPE)
  elseif(path MATCHES "^(common|nnue|board|eval|book|search|strong|learn|game|io|xboard|uci|web|tools)/")
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

# The project headers a file includes, as written ("board/position.h").
function(includes_of file result)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  set(headers "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
    list(APPEND headers "${header}")
  endforeach()
  set(${result} "${headers}" PARENT_SCOPE)
endfunction()

# Where an included header is: in the tree under test, else in the real one.
function(header_file header result)
  set(found "")
  foreach(base IN ITEMS "${ROOT}" "${REAL_ROOT}")
    foreach(folder IN ITEMS src tools)
      if(NOT found AND EXISTS "${base}/${folder}/${header}")
        set(found "${base}/${folder}/${header}")
      endif()
    endforeach()
  endforeach()
  set(${result} "${found}" PARENT_SCOPE)
endfunction()

# A header of the classic engine that declares mutable state: an extern
# that is not a constant.
function(is_state_header header result)
  set(${result} FALSE PARENT_SCOPE)
  if(NOT header MATCHES "^(board|eval|book|search)/")
    return()
  endif()
  header_file("${header}" file)
  if(file)
    file(STRINGS "${file}" externs REGEX "^[ \t]*extern[ \t]")
    foreach(line IN LISTS externs)
      if(NOT line MATCHES "^[ \t]*extern[ \t]+(const[ \t]|\"C\")")
        set(${result} TRUE PARENT_SCOPE)
        return()
      endif()
    endforeach()
  endif()
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
  includes_of("${ROOT}/${source}" headers)
  foreach(header IN LISTS headers)
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

  # Every chain of includes from a front end or the strong search, followed
  # breadth first; the first state header reached is reported with its chain.
  if(own IN_LIST kept_from_state)
    set(seen "")
    set(queue "")
    foreach(header IN LISTS headers)
      list(APPEND queue "${header}")
      set(chain_${header} "${source} -> ${header}")
    endforeach()
    while(queue)
      list(POP_FRONT queue header)
      if(header IN_LIST seen)
        continue()
      endif()
      list(APPEND seen "${header}")
      is_state_header("${header}" state)
      if(state)
        string(APPEND violations "  ${chain_${header}} (the classic engine's state)\n")
        break()
      endif()
      header_file("${header}" file)
      if(file)
        includes_of("${file}" next)
        foreach(n IN LISTS next)
          if(NOT n IN_LIST seen AND NOT DEFINED chain_${n})
            set(chain_${n} "${chain_${header}} -> ${n}")
          endif()
          list(APPEND queue "${n}")
        endforeach()
      endif()
    endwhile()
    foreach(header IN LISTS seen queue)
      unset(chain_${header})
    endforeach()
  endif()
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
message(STATUS "${count} files: every include within its layers, no front end or strong file reaching the classic state, and no circle")
