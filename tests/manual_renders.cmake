# Renders each manual page with every groff warning on, its encoding (UTF-8 for Polish) read as man
# reads it; any warning fails.
foreach(page ${PAGES})
  execute_process(COMMAND ${GROFF} -k -man -Tutf8 -ww -z ${page} RESULT_VARIABLE status ERROR_VARIABLE warnings)
  if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "${page} does not render cleanly:\n${warnings}")
  endif()
endforeach()
