# Windows test executables run under Wine through the build tree's own wrapper. A 64-bit
# build (the way to test where no 32-bit code runs) starts Wine's 64-bit loader directly:
# the `wine` script would pick the 32-bit one whenever it is installed.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PURGON_DEFAULT_WINEARCH win64)
  find_program(PURGON_WINE_LOADER wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  if(NOT PURGON_WINE_LOADER)
    set(PURGON_WINE_LOADER /usr/lib/wine/wine64)
  endif()
else()
  set(PURGON_DEFAULT_WINEARCH win32)
  set(PURGON_WINE_LOADER wine)
endif()
# Where setup builds the locales a test may ask for.
set(PURGON_LOCALE_DIR ${PROJECT_SOURCE_DIR}/build/locale)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

# purgon_wine_test(NAME SOURCES... [FRESH_PREFIX] [WINVER v] [WINEARCH win64] [LOCALE l]
#                  [LIBS libs...] [TIMEOUT s])
# Builds a GoogleTest executable for Windows and runs it under Wine as one ctest test.
# FRESH_PREFIX runs it in its own copy of the prepared prefix, for tests that change
# machine-wide state (the profile folders, HKCU, HKLM). WINEARCH win64 runs it in a 64-bit
# prefix (the program then runs under WoW64). LOCALE runs Wine in that locale (one setup builds).
function(purgon_wine_test name)
  cmake_parse_arguments(T "FRESH_PREFIX" "WINVER;WINEARCH;LOCALE;TIMEOUT" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE purgon_win purgon_test_support gtest_main ${T_LIBS})
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set(env "")
  if(T_FRESH_PREFIX)
    list(APPEND env PURGON_FRESH_PREFIX=1)
  endif()
  if(T_WINVER)
    list(APPEND env PURGON_WINVER=${T_WINVER})
  endif()
  if(T_WINEARCH)
    list(APPEND env PURGON_WINEARCH=${T_WINEARCH})
  endif()
  if(T_LOCALE)
    list(APPEND env PURGON_LOCALE=${T_LOCALE})
  endif()
  if(env)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
