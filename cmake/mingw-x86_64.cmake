# Cross toolchain: 64-bit Windows. The same sources built for x86_64 carry the
# Windows suite on hosts that cannot run 32-bit code; the product stays i686.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Test programs run through the 64-bit loader itself: the `wine` wrapper
# would prefer the 32-bit one, which such hosts can only emulate.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
