# Puts the worker's code (worker.js, then the program's module) into the page, where it waits as a
# script of type text/plain for the page to start workers from it.
#   cmake -DPAGE=page.html -DWORKER=worker.js -DMODULE=zelmor.js -DOUTPUT=zelmor.html -P assemble_page.cmake
file(READ ${PAGE} page)
file(READ ${WORKER} worker)
file(READ ${MODULE} module)
set(script "${worker}\n${module}")
# Inside a script element these would end it, or change how the browser reads on.
foreach(breaking "</script" "<!--" "<script")
  string(FIND "${script}" "${breaking}" found)
  if(NOT found EQUAL -1)
    message(FATAL_ERROR "the worker's code holds \"${breaking}\", which would break the page")
  endif()
endforeach()
string(REPLACE "@ZELMOR_WORKER_SCRIPT@" "${script}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
