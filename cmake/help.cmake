# The help: one compiled HTML Help file per language, BoxSweep-LANG.chm from help/LANG/, made by
# chmcmd (Free Pascal's CHM compiler, Debian package fp-utils) at the top of the build tree beside
# the program and the language modules. Without chmcmd the program builds without its help, and
# the target help_files does nothing.
find_program(CHMCMD chmcmd)
if(NOT CHMCMD)
  set(BOXSWEEP_HELP_BUILT 0)
  message(STATUS "No chmcmd (Debian package fp-utils): the help files are not built")
  add_custom_target(help_files)
  return()
endif()

set(BOXSWEEP_HELP_BUILT 1)
set(chm_files)
foreach(language de en nl)
  set(project BoxSweep-${language})
  set(chm ${CMAKE_BINARY_DIR}/${project}.chm)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/help/${language}/*)
  add_custom_command(OUTPUT ${chm}
    COMMAND ${CMAKE_COMMAND} -DCHMCMD=${CHMCMD} -DSOURCE=${PROJECT_SOURCE_DIR}/help/${language}
      -DSHARED=${PROJECT_SOURCE_DIR}/help/boxsweep.css -DSTAGE=${CMAKE_BINARY_DIR}/help/${language}
      -DPROJECT=${project} -DOUTPUT=${chm} -P ${PROJECT_SOURCE_DIR}/cmake/compile_help.cmake
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/help/boxsweep.css ${PROJECT_SOURCE_DIR}/cmake/compile_help.cmake
    COMMENT "Compiling the help file ${project}.chm"
    VERBATIM)
  list(APPEND chm_files ${chm})
endforeach()
add_custom_target(help_files ALL DEPENDS ${chm_files})
