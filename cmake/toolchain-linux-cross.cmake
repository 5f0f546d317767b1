# Cross-compiling for another Linux processor with Debian's cross compilers, the tests run under
# qemu-user. For ARM servers and single-board computers (char is unsigned there) and for a big-endian
# processor:
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-linux-cross.cmake -DZELMOR_CROSS_TRIPLET=aarch64-linux-gnu
#   cmake -S . -B build-s390x -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-linux-cross.cmake -DZELMOR_CROSS_TRIPLET=s390x-linux-gnu
# (packages g++-aarch64-linux-gnu, g++-s390x-linux-gnu, qemu-user). The unit tests are built for the
# target from GoogleTest's sources (libgtest-dev) and ctest runs them through the emulator.
set(ZELMOR_CROSS_TRIPLET "aarch64-linux-gnu" CACHE STRING "Debian triplet of the target, such as aarch64-linux-gnu")
set(CMAKE_SYSTEM_NAME Linux)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${ZELMOR_CROSS_TRIPLET})

set(CMAKE_C_COMPILER ${ZELMOR_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${ZELMOR_CROSS_TRIPLET}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${ZELMOR_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The target's programs run under qemu-user, with the target's C and C++ libraries from the sysroot.
find_program(ZELMOR_QEMU qemu-${CMAKE_SYSTEM_PROCESSOR})
if(ZELMOR_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELMOR_QEMU} -L /usr/${ZELMOR_CROSS_TRIPLET})
endif()
