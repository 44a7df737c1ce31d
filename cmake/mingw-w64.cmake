# Cross-compiling toolchain for mingw-w64. The preset sets TAVRICK_TRIPLE to
# i686-w64-mingw32 (the shipped program) or x86_64-w64-mingw32 (run under Wine).
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${TAVRICK_TRIPLE}")

set(CMAKE_C_COMPILER ${TAVRICK_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRICK_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVRICK_TRIPLE}-windres)
# Archives of link-time-optimised objects need the compiler's plugin.
set(CMAKE_AR ${TAVRICK_TRIPLE}-gcc-ar-posix)
set(CMAKE_RANLIB ${TAVRICK_TRIPLE}-gcc-ranlib-posix)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVRICK_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
