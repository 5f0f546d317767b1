# Installation and packages: the program with its manual and documents (component "runtime"), and the
# projection library with its header and CMake package (component "development").
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ZELMOR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/zelmor)

if(WIN32)
  # One folder, as Windows users unpack it: the program, the documents, and an example dane.txt beside
  # the program, so that starting it there converts the example at once.
  install(TARGETS zelmor RUNTIME DESTINATION . COMPONENT runtime)
  install(FILES README.md README.pl.md examples/dane.txt DESTINATION . COMPONENT runtime)
else()
  install(TARGETS zelmor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
  install(FILES man/zelmor.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
  install(FILES README.md README.pl.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
  install(FILES examples/dane.txt DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples COMPONENT runtime)
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
set(CPACK_PACKAGE_CONTACT "the zelmor developers <maintainers@users.noreply.c-seed-26a3654f.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch conversion between WGS84 and the Polish grid PUWG 1992")
set(CPACK_PACKAGE_DESCRIPTION
  "zelmor converts files of points between WGS84 geodetic coordinates (latitude, longitude) and the\
 Polish national grid PUWG 1992 (x, y), reporting every line it cannot convert.")
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
endif()

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME zelmor)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME zelmor-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
find_program(ZELMOR_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZELMOR_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libc6")
endif()

include(CPack)
