# Installs the build tree into a scratch prefix, checks what landed there, and builds and runs another
# CMake project against it with find_package(zelmor).
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DCXX_COMPILER=... -P install_and_consume.cmake
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${output}")
  endif()
  set(run_output "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

file(GLOB config_files ${prefix}/lib*/cmake/zelmor/zelmorConfig.cmake ${prefix}/lib/*/cmake/zelmor/zelmorConfig.cmake)
foreach(expected bin/zelmor share/man/man1/zelmor.1.gz share/man/pl/man1/zelmor.1.gz include/zelmor/projection.hpp
                 share/doc/zelmor/copyright share/doc/zelmor-dev/copyright share/doc/zelmor/README.md
                 share/doc/zelmor/README.pl.md share/doc/zelmor/examples/dane.txt)
  if(NOT EXISTS ${prefix}/${expected})
    message(FATAL_ERROR "not installed: ${expected}")
  endif()
endforeach()
if(NOT config_files)
  message(FATAL_ERROR "not installed: the CMake package zelmorConfig.cmake")
endif()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer -B ${WORK_DIR}/consumer -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run(${WORK_DIR}/consumer/consumer)
set(expected "0 459309.2094 500000.0000\n0 52.0000 19.0000\n0 459309.2094 500000.0000 1 -1.0000\n")
if(NOT run_output STREQUAL expected)
  message(FATAL_ERROR "the consumer printed:\n${run_output}\nexpected:\n${expected}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
