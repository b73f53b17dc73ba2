# Writes a C++ source that holds a file's bytes as they are (no terminating
# NUL, no change of line ends): cmake -DINPUT=file -DOUTPUT=source.cpp
# -DNAME=symbol -P embed_bytes.cmake. Defines NAME (the bytes) and NAME_size.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}: its bytes as they are.\n#include <cstddef>\n#include <cstdint>\n\n"
  "extern const std::uint8_t ${NAME}[] = {\n    ${bytes}\n};\nextern const std::size_t ${NAME}_size = ${size};\n")
