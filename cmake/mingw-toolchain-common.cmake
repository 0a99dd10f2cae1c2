# The part both mingw-w64 toolchain files share; they set BOXSWEEP_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR first. The posix thread model is the one GoogleTest needs for std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${BOXSWEEP_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BOXSWEEP_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${BOXSWEEP_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BOXSWEEP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows programs run under Wine on a private X display (see tools/wine-run).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
