# Cross toolchain: 32-bit Windows, the product's own target.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Test programs run through Wine; the caller's environment gives the prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
