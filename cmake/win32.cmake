# The Windows side: the real window operations, the program and its language module, and the
# tests that run under Wine.
enable_language(RC)

# The version header and the manifest are generated for this build: the version from project(),
# the manifest's processorArchitecture from the target processor.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(BOXSWEEP_MANIFEST_ARCH amd64)
else()
  set(BOXSWEEP_MANIFEST_ARCH x86)
endif()
set(generated_dir ${CMAKE_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/resources/version.h.in ${generated_dir}/version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/boxsweep.manifest.in ${generated_dir}/boxsweep.manifest
  @ONLY)
include_directories(${generated_dir})
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${PROJECT_SOURCE_DIR} -I${generated_dir}")

# No DLL beyond the system's: the C and C++ runtimes and winpthreads are linked in.
if(NOT MSVC)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

add_library(boxsweep_win32 STATIC
  watcher/win32_window_ops.cpp
  watcher/win32_accessibility.cpp
  watcher/win32_watch_service.cpp
)
target_link_libraries(boxsweep_win32 PUBLIC boxsweep_core user32 oleacc ole32 oleaut32)

# The program. The shell and the dialogs are Win32 glue over the core; the built-in German
# resources are linked in. It lands at the top of the build tree, beside the language modules.
file(GLOB shell_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/shell/win32_*.cpp)
file(GLOB dialog_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/dialogs/win32_*.cpp)
# The resource compiler does not report the manifest it reads: a changed manifest rebuilds it.
set_source_files_properties(resources/version.rc PROPERTIES OBJECT_DEPENDS ${generated_dir}/boxsweep.manifest)
add_executable(boxsweep WIN32 ${shell_sources} ${dialog_sources} resources/boxsweep.rc resources/version.rc)
target_link_libraries(boxsweep PRIVATE boxsweep_win32 shell32 comctl32)
set_target_properties(boxsweep PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The prepared list the first-run setup offers lies beside the program.
configure_file(${PROJECT_SOURCE_DIR}/mostcommon.lst ${CMAKE_BINARY_DIR}/mostcommon.lst COPYONLY)

# The same program without early scans, for the benchmark that measures what they bring.
add_executable(boxsweep_timer_only WIN32 EXCLUDE_FROM_ALL ${shell_sources} ${dialog_sources} resources/boxsweep.rc
  resources/version.rc)
target_link_libraries(boxsweep_timer_only PRIVATE boxsweep_win32 shell32 comctl32)
target_compile_definitions(boxsweep_timer_only PRIVATE BOXSWEEP_TIMER_ONLY)
set_target_properties(boxsweep_timer_only PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The language modules dutch.dll and english.dll: resources and an entry point that only reports
# success, linked against nothing at all.
function(add_language_module name)
  add_library(${name} SHARED lang/module_entry.c lang/${name}/${name}.rc lang/${name}/version.rc)
  # Named here, not only in the resource compiler's flags, so that CMake sees the module depend on
  # resources/resource_ids.h: a changed id must rebuild every module, not the program alone.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  if(MSVC)
    target_link_options(${name} PRIVATE /NOENTRY /NODEFAULTLIB)
  elseif(BOXSWEEP_MANIFEST_ARCH STREQUAL amd64)
    target_link_options(${name} PRIVATE -nostdlib -Wl,-e,DllEntry -Wl,--fatal-warnings)
  else()
    # The entry symbol carries the stdcall decoration on x86 only.
    target_link_options(${name} PRIVATE -nostdlib -Wl,-e,_DllEntry@12 -Wl,--fatal-warnings)
  endif()
endfunction()
add_language_module(dutch)
add_language_module(english)

include(cmake/help.cmake)

# Looking at and waiting for another process's windows, for the Win32 tests and the screenshot
# helper.
add_library(win32_window_support STATIC tests/win32/window_support.cpp)
target_include_directories(win32_window_support PUBLIC ${PROJECT_SOURCE_DIR}/tests/win32)
target_link_libraries(win32_window_support PUBLIC user32 comctl32)

# The Win32 tests and benchmarks need GoogleTest's source, which Debian installs in
# /usr/src/googletest (GOOGLETEST_SOURCE elsewhere). Without it only the program and the
# language module are built, as on a Windows machine that just wants to run BoxSweep.
set(GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source folder for the Win32 tests")
if(EXISTS ${GOOGLETEST_SOURCE}/CMakeLists.txt)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  add_subdirectory(tests/win32)
  # The package tests make and install the x64 release (an x64 MSI installs under wine64 only),
  # so they belong to the x64 tree.
  if(BOXSWEEP_MANIFEST_ARCH STREQUAL amd64)
    add_subdirectory(tests/package)
  endif()
  add_subdirectory(bench/win32)
else()
  message(STATUS "No GoogleTest source at ${GOOGLETEST_SOURCE}: building the program only")
endif()

# The helper of tools/screenshots.sh: opens the tray menu and the dialogs and reports window
# rectangles. A console program of each Windows build.
add_executable(screenshot_helper EXCLUDE_FROM_ALL tools/screenshot_helper.cpp)
target_link_libraries(screenshot_helper PRIVATE win32_window_support)
target_include_directories(screenshot_helper PRIVATE ${PROJECT_SOURCE_DIR})
set_target_properties(screenshot_helper PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
