# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers (the posix
# thread model variants, so the C++ runtime links statically with winpthread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KARVO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KARVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KARVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KARVO_MINGW_PREFIX}-windres)

# Look for libraries and headers only in the target's sysroot, programs on the
# build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KARVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
