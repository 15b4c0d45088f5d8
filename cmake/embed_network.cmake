# Writes a network file as a C++ array, so that the engine carries its
# default network on every platform (emscripten and MinGW included) without
# assembler directives.
#   cmake -DINPUT=<network file> -DOUTPUT=<.cpp> -P embed_network.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT} by cmake/embed_network.cmake; do not edit.\n"
  "#include <cstddef>\n"
  "extern const unsigned char tavrin_default_network[];\n"
  "extern const std::size_t tavrin_default_network_size;\n"
  "alignas(64) const unsigned char tavrin_default_network[] = {${bytes}};\n"
  "const std::size_t tavrin_default_network_size = ${size};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
