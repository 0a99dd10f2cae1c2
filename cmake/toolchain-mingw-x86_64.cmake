# Cross-compiles the x64 Windows program with the x86_64 mingw-w64 compilers.
set(BOXSWEEP_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain-common.cmake)
