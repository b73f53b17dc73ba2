# The part of the cross toolchains that does not depend on the target: the
# including file sets `triple` (i686-w64-mingw32 or x86_64-w64-mingw32) and
# the processor. Both use the mingw-w64 posix thread model.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR ${triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${triple}-ranlib CACHE FILEPATH "")

# System headers and zlib come from Debian's mingw packages; the picture
# libraries from the project's own cache, one per target.
get_filename_component(_top "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${_top}/build/deps/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine's debugger reads DWARF up to version 4, and walks a stack through
# the system's libraries by frame pointers: with both, the backtraces a
# stalled test prints reach and name this program's functions.
set(CMAKE_C_FLAGS_INIT "-gdwarf-4 -fno-omit-frame-pointer")
set(CMAKE_CXX_FLAGS_INIT "-gdwarf-4 -fno-omit-frame-pointer")
