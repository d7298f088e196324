# Cross-compiles Purgon for Windows with MinGW-w64 (posix thread model, which GoogleTest's
# std::mutex needs); the toolchain file of each machine type sets PURGON_MINGW_ARCH first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${PURGON_MINGW_ARCH})
set(CMAKE_C_COMPILER ${PURGON_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${PURGON_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${PURGON_MINGW_ARCH}-w64-mingw32-windres)
set(PURGON_WIDL ${PURGON_MINGW_ARCH}-w64-mingw32-widl CACHE STRING "IDL compiler for the type library")
set(CMAKE_FIND_ROOT_PATH /usr/${PURGON_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
