# Cross-compiles Purgon as a 64-bit Windows program (the test build of machines that run
# no 32-bit code).
set(PURGON_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
