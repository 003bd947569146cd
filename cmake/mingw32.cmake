# Cross build for 32-bit Windows with Debian's MinGW-w64 (posix threads variant).
# Used by the "mingw32" preset; produces a statically linked scTAVExt.dll.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(SCTAV_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${SCTAV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SCTAV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SCTAV_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${SCTAV_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${SCTAV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# widl's target switch for the type library.
set(SCTAV_WIDL_TARGET --win32)
