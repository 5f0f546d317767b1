# Puts the page's script (page_words.js, then page.js) and the workers' code (worker.js, then the program's module; worker.js,
# then the table converter's) into the page, and its version; the workers' code waits there as scripts
# of type text/plain for the page to start workers from.
#   cmake -DPAGE=page.html -DWORDS=page_words.js -DSCRIPT=page.js -DWORKER=worker.js -DMODULE=zelmor.js -DTABLE_MODULE=zelmor-csv.js
#         -DVERSION=<version>
#         -DOUTPUT=zelmor.html -P assemble_page.cmake
file(READ ${PAGE} page)
file(READ ${WORDS} page_words)
file(READ ${SCRIPT} page_script)
set(page_script "${page_words}\n${page_script}")
file(READ ${WORKER} worker)
file(READ ${MODULE} module)
file(READ ${TABLE_MODULE} table_module)
set(script "${worker}\n${module}")
set(table_script "${worker}\n${table_module}")
# Inside a script element these would end it, or change how the browser reads on.
foreach(part script table_script page_script)
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
string(REPLACE "@ZELMOR_TABLE_WORKER_SCRIPT@" "${table_script}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
