# Cross-compiles Purgon as a 32-bit Windows program.
set(PURGON_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
