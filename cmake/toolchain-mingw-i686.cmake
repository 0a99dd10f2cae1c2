# Cross-compiles the x86 (32-bit) Windows program with the i686 mingw-w64 compilers.
set(BOXSWEEP_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain-common.cmake)
