# Writes a C++ source holding the bytes of INPUT as `extern const unsigned char
# SYMBOL[]` and its size as `extern const size_t SYMBOL_size`, so the module carries a
# file of the repository (the skin bitmaps) without any tool beyond CMake.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
get_filename_component(name "${INPUT}" NAME)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# Thirty-two bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 32 line)
string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp" "// Generated from ${name}.\n#include <cstddef>\n\n"
     "extern const unsigned char ${SYMBOL}[] = {\n${bytes}\n};\n"
     "extern const size_t ${SYMBOL}_size = ${size};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
