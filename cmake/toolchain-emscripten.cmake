# Building the program for the browser, as one self-contained zelmor.html, with Debian's emscripten:
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-emscripten.cmake && cmake --build build-web
set(ZELMOR_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "Where emscripten is installed")
include(${ZELMOR_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

# emcc runs Node.js for the JavaScript steps of a link. A Node.js that is not Debian's own (one from
# NodeSource, say, which satisfies the package's dependency) finds Debian's modules, such as acorn,
# only when told where they are.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
