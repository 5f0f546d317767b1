# Makes the Debian packages with cpack, checks what the program's package holds, and has lintian check
# both, where it is installed (LINTIAN): not one error or warning.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DDPKG_DEB=... -DVERSION=... -DCHANGELOG=... [-DLINTIAN=...] -P debian_package.cmake
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND cpack --config ${BUILD_DIR}/CPackConfig.cmake -G DEB -B ${WORK_DIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${output}")
endif()
file(GLOB package ${WORK_DIR}/zelmor_*.deb)
if(NOT package)
  message(FATAL_ERROR "no zelmor_*.deb was made:\n${output}")
endif()
execute_process(COMMAND ${DPKG_DEB} --contents ${package} OUTPUT_VARIABLE contents)
foreach(expected ./usr/bin/zelmor ./usr/bin/zelmor-csv ./usr/share/man/man1/zelmor.1.gz ./usr/share/man/pl/man1/zelmor.1.gz
                 ./usr/share/man/man1/zelmor-csv.1.gz
                 ./usr/share/doc/zelmor/copyright ./usr/share/doc/zelmor/changelog.gz ./usr/share/doc/zelmor/README.md
                 ./usr/share/doc/zelmor/README.pl.md ./usr/share/doc/zelmor/docs/using.md
                 ./usr/share/doc/zelmor/docs/using.pl.md ./usr/share/doc/zelmor/examples/dane.txt
                 ./usr/share/doc/zelmor/examples/punkty.csv ./usr/share/doc/zelmor/docs/tables.md)
  string(FIND "${contents}" " ${expected}\n" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${package} lacks ${expected}:\n${contents}")
  endif()
endforeach()
# The package's version is the project's (from VERSION), and the changelog's latest entry is for it.
execute_process(COMMAND ${DPKG_DEB} --field ${package} Version OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT version STREQUAL VERSION)
  message(FATAL_ERROR "package version ${version}, expected ${VERSION}")
endif()
file(STRINGS ${CHANGELOG} latest LIMIT_COUNT 1)
if(NOT latest MATCHES "^zelmor \\(${VERSION}\\) ")
  message(FATAL_ERROR "the changelog's latest entry is not for ${VERSION}: ${latest}")
endif()
if(LINTIAN)
  file(GLOB packages ${WORK_DIR}/*.deb)
  execute_process(COMMAND ${LINTIAN} --allow-root --fail-on error,warning ${packages}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "lintian objects to the packages:\n${output}")
  endif()
elseif("$ENV{ZELMOR_REQUIRE_LINTIAN}" STREQUAL "1")
  message(FATAL_ERROR "lintian (Debian package lintian) is required here and is missing")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
