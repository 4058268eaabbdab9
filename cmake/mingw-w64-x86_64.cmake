# Cross-builds varnox.exe for 64-bit Windows with Debian's mingw-w64
# (g++-mingw-w64-x86-64, libz-mingw-w64-dev):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VARNOX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VARNOX_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${VARNOX_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${VARNOX_MINGW_PREFIX}-windres)

# Headers and libraries come from the Windows tree only; programs run on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VARNOX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
