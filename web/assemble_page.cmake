# Puts the page's script (page.js) and the worker's code (worker.js, then the program's module) into the
# page, and its version; the worker's code waits there as a script of type text/plain for the page to
# start workers from it.
#   cmake -DPAGE=page.html -DSCRIPT=page.js -DWORKER=worker.js -DMODULE=zelmor.js -DVERSION=<version>
#         -DOUTPUT=zelmor.html -P assemble_page.cmake
file(READ ${PAGE} page)
file(READ ${SCRIPT} page_script)
file(READ ${WORKER} worker)
file(READ ${MODULE} module)
set(script "${worker}\n${module}")
# Inside a script element these would end it, or change how the browser reads on.
foreach(part script page_script)
  foreach(breaking "</script" "<!--" "<script")
    string(FIND "${${part}}" "${breaking}" found)
    if(NOT found EQUAL -1)
      message(FATAL_ERROR "the ${part} holds \"${breaking}\", which would break the page")
    endif()
  endforeach()
endforeach()
string(REPLACE "@ZELMOR_PAGE_SCRIPT@" "${page_script}" page "${page}")
string(REPLACE "@ZELMOR_VERSION@" "${VERSION}" page "${page}")
string(REPLACE "@ZELMOR_WORKER_SCRIPT@" "${script}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
