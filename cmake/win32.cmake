# The Windows side: the real window operations, the program and its language module, and the
# tests that run under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${PROJECT_SOURCE_DIR}")

# No DLL beyond the system's: the C and C++ runtimes and winpthreads are linked in.
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(boxsweep_win32 STATIC
  watcher/win32_window_ops.cpp
)
target_link_libraries(boxsweep_win32 PUBLIC boxsweep_core user32)

# GoogleTest from Debian's source package, built with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

add_subdirectory(tests/win32)
add_subdirectory(bench/win32)
