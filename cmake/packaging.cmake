# Installation and packages: the program with its manual and documents (component "runtime"), and the
# projection library with its header and CMake package (component "development").
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ZELMOR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/zelmor)

set(ZELMOR_CONTACT "the zelmor developers <maintainers@users.noreply.c-seed-26a3654f.example>")

if(WIN32)
  # One folder, as Windows users unpack it: the program, the documents, the licence, and an example
  # dane.txt beside the program, so that starting it there converts the example at once.
  install(TARGETS zelmor zelmor-csv RUNTIME DESTINATION . COMPONENT runtime)
  install(FILES README.md README.pl.md examples/dane.txt examples/punkty.csv DESTINATION . COMPONENT runtime)
  # The pages the READMEs send their readers to, beside them as in the sources.
  install(DIRECTORY docs/ DESTINATION docs COMPONENT runtime FILES_MATCHING PATTERN "*.md" PATTERN "*.png" PATTERN "*.svg")
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT runtime)
  # The page that runs the program in a browser, where the browser build was made beside this one
  # (-DZELMOR_WEB_PAGE=<build-web>/zelmor.html): for users who would rather not run an .exe at all.
  set(ZELMOR_WEB_PAGE "" CACHE FILEPATH "zelmor.html of a browser build, to put in the Windows ZIP")
  if(ZELMOR_WEB_PAGE)
    install(FILES ${ZELMOR_WEB_PAGE} DESTINATION . COMPONENT runtime)
  endif()
else()
  install(TARGETS zelmor zelmor-csv RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
  install(FILES README.md README.pl.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
  install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs COMPONENT runtime
          FILES_MATCHING PATTERN "*.md" PATTERN "*.png" PATTERN "*.svg")
  install(FILES examples/dane.txt examples/punkty.csv DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples COMPONENT runtime)

  # The licence in Debian's machine-readable copyright format, made from LICENSE: its copyright line,
  # and its permission notice as the text of the licence (which Debian calls Expat).
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE ZELMOR_LICENSE)
  string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" ZELMOR_COPYRIGHT_LINE "${ZELMOR_LICENSE}")
  set(ZELMOR_COPYRIGHT "${CMAKE_MATCH_1}")
  string(REGEX REPLACE ".*Copyright \\(c\\) [^\n]*\n\n" "" ZELMOR_PERMISSION "${ZELMOR_LICENSE}")
  string(STRIP "${ZELMOR_PERMISSION}" ZELMOR_PERMISSION)
  string(REPLACE "\n\n" "\n.\n" ZELMOR_PERMISSION "${ZELMOR_PERMISSION}")
  string(REPLACE "\n" "\n " ZELMOR_PERMISSION "${ZELMOR_PERMISSION}")
  file(WRITE ${PROJECT_BINARY_DIR}/copyright
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: zelmor\n"
    "Upstream-Contact: ${ZELMOR_CONTACT}\n\n"
    "Files: *\nCopyright: ${ZELMOR_COPYRIGHT}\nLicense: Expat\n\n"
    "License: Expat\n ${ZELMOR_PERMISSION}\n")

  # The manual pages and the changelog compressed as Debian keeps them (man reads them either way), and
  # without a name or time in the gzip header, so that every build gives the same bytes. The manuals'
  # headers take the version from VERSION.
  find_program(ZELMOR_GZIP gzip REQUIRED)
  set(ZELMOR_COMPRESSED "")
  foreach(page man/zelmor.1 man/pl/zelmor.1 man/zelmor-csv.1 man/pl/zelmor-csv.1 cmake/debian/changelog)
    set(configured ${PROJECT_BINARY_DIR}/configured/${page})
    set(copy ${PROJECT_BINARY_DIR}/compressed/${page})
    configure_file(${PROJECT_SOURCE_DIR}/${page} ${configured} @ONLY)
    add_custom_command(OUTPUT ${copy}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${configured} ${copy}
      COMMAND ${ZELMOR_GZIP} -9nf ${copy}
      DEPENDS ${configured})
    list(APPEND ZELMOR_COMPRESSED ${copy}.gz)
  endforeach()
  add_custom_target(compressed_documents ALL DEPENDS ${ZELMOR_COMPRESSED})
  install(FILES ${PROJECT_BINARY_DIR}/compressed/man/zelmor.1.gz ${PROJECT_BINARY_DIR}/compressed/man/zelmor-csv.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
  install(FILES ${PROJECT_BINARY_DIR}/compressed/man/pl/zelmor.1.gz
          ${PROJECT_BINARY_DIR}/compressed/man/pl/zelmor-csv.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/pl/man1
          COMPONENT runtime)
  # Each package's own copyright and changelog (the Python package's only in its Debian package: a
  # plain install leaves the Python package to pip).
  set(ZELMOR_PACKAGES runtime:zelmor development:zelmor-dev)
  if(TARGET zelmor_python)
    list(APPEND ZELMOR_PACKAGES python:python3-zelmor)
  endif()
  foreach(component_package ${ZELMOR_PACKAGES})
    string(REPLACE ":" ";" pair ${component_package})
    list(GET pair 0 component)
    list(GET pair 1 package)
    set(only_when_asked "")
    if(component STREQUAL "python")
      set(only_when_asked EXCLUDE_FROM_ALL)
    endif()
    install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
            COMPONENT ${component} ${only_when_asked})
    install(FILES ${PROJECT_BINARY_DIR}/compressed/cmake/debian/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component} ${only_when_asked})
  endforeach()
endif()

install(TARGETS zelmor_projection EXPORT zelmorTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY projection/include/zelmor DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
install(EXPORT zelmorTargets NAMESPACE zelmor:: DESTINATION ${ZELMOR_CMAKE_DIR} COMPONENT development)
configure_package_config_file(cmake/zelmorConfig.cmake.in ${PROJECT_BINARY_DIR}/zelmorConfig.cmake
  INSTALL_DESTINATION ${ZELMOR_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/zelmorConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/zelmorConfig.cmake ${PROJECT_BINARY_DIR}/zelmorConfigVersion.cmake
  DESTINATION ${ZELMOR_CMAKE_DIR} COMPONENT development)

set(CPACK_PACKAGE_NAME zelmor)
set(CPACK_PACKAGE_VENDOR "the zelmor developers")
set(CPACK_PACKAGE_CONTACT "${ZELMOR_CONTACT}")
# Each Debian package's description: its synopsis (the first line), then the extended description. (No
# summary is set for all packages, or CPack would put it before each of these.)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "batch conversion between WGS84 and the Polish grid PUWG 1992
zelmor converts files of points between WGS84 geodetic coordinates (latitude
and longitude) and the Polish national grid PUWG 1992 (x and y), in both
directions, each result to four decimals. It names every line that it cannot
convert, with its line number, on the console, and handles files of hundreds
of millions of points in a few megabytes of memory. Its messages are in
Polish; its manual is in English and Polish.")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "WGS84 to PUWG 1992 conversions as a C++ library
The two conversions of zelmor, WGS84 geodetic coordinates to the Polish
national grid PUWG 1992 and back, as a static library with its C++ header
and a CMake package (find_package(zelmor), target zelmor::projection).")
set(CPACK_DEBIAN_PYTHON_DESCRIPTION "WGS84 to PUWG 1992 conversions for Python and numpy
The two conversions of zelmor, WGS84 geodetic coordinates to the Polish
national grid PUWG 1992 and back, for numpy arrays of any shape: the Python 3
module zelmor, with results bit for bit those of the C++ library. It works
with pandas and, block by block, with Dask.")
# The packaged program is stripped of its symbols and debugging information.
set(CPACK_STRIP_FILES ON)
if(WIN32)
  # cpack -G ZIP: the program's folder only.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_COMPONENTS_ALL runtime)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_PACKAGE_FILE_NAME zelmor-${PROJECT_VERSION}-windows-x86_64)   # the folder inside
  set(CPACK_ARCHIVE_RUNTIME_FILE_NAME ${CPACK_PACKAGE_FILE_NAME})          # the archive
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_COMPONENTS_ALL runtime development)
  if(TARGET zelmor_python)
    list(APPEND CPACK_COMPONENTS_ALL python)
  endif()
endif()

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME zelmor)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME zelmor-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-zelmor)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
# The module is built for one version of Python; numpy is its one dependency beyond the C libraries: from
# 1.22 (its allocator interface), of the binary interface Debian calls abi9.
if(ZELMOR_PYTHON_VERSION)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
      "python3 (>= ${ZELMOR_PYTHON_VERSION}~), python3 (<< ${ZELMOR_PYTHON_NEXT_VERSION}), python3-numpy (>= 1:1.22), python3-numpy-abi9")
endif()
# The libraries' versions the packages depend on come from dpkg-shlibdeps, which CPack runs on the
# files that `file` says are programs; without either, the plain dependency on the C library.
find_program(ZELMOR_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(ZELMOR_FILE file)
if(ZELMOR_DPKG_SHLIBDEPS AND ZELMOR_FILE)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  if(ZELMOR_DPKG_SHLIBDEPS)
    message(STATUS "The Debian packages depend on libc6 alone: the versions need `file` (apt-get install file)")
  endif()
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libc6")
endif()

include(CPack)
