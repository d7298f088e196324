# Cross-compiles Purgon for Windows with MinGW-w64; the toolchain file of each machine type
# sets PURGON_MINGW_ARCH first. The win32 thread model: the posix one links MinGW's thread
# library (winpthreads) into every program, and with it functions that Windows 95 and NT 4
# lack (GetTickCount64, vectored exception handlers). The program uses no C++ threads; the
# tests use the Windows thread calls, and GoogleTest is built without its own locking.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${PURGON_MINGW_ARCH})
set(CMAKE_C_COMPILER ${PURGON_MINGW_ARCH}-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER ${PURGON_MINGW_ARCH}-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER ${PURGON_MINGW_ARCH}-w64-mingw32-windres)
set(PURGON_WIDL ${PURGON_MINGW_ARCH}-w64-mingw32-widl CACHE STRING "IDL compiler for the type library")
set(CMAKE_FIND_ROOT_PATH /usr/${PURGON_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
