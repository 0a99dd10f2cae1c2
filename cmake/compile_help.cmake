# Compiles one language's help file; run by the build as
#
#   cmake -DCHMCMD=... -DSOURCE=help/LANG -DSHARED=help/boxsweep.css -DSTAGE=DIR
#         -DPROJECT=BoxSweep-LANG -DOUTPUT=TOP/BoxSweep-LANG.chm -P compile_help.cmake
#
# chmcmd writes the file its project names into its current folder and finds the pages there, so
# the language's sources and the shared style sheet are gathered in STAGE first. A warning of
# chmcmd (a page that links to a file the help lacks) fails the build like an error.
file(REMOVE_RECURSE ${STAGE})
file(GLOB sources ${SOURCE}/*)
file(COPY ${sources} ${SHARED} DESTINATION ${STAGE})
execute_process(COMMAND ${CHMCMD} --html-scan ${PROJECT}.hhp
  WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR output MATCHES "Warning")
  message(FATAL_ERROR "chmcmd failed on ${SOURCE}/${PROJECT}.hhp:\n${output}")
endif()
file(COPY_FILE ${STAGE}/${PROJECT}.chm ${OUTPUT})
