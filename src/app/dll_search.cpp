#include "app/dll_search.h"

#include <windows.h>

#include "engine/core/optional_calls.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

bool RestrictDllSearch() {
  // Both are looked up: the program also runs on Windows versions that lack them, where a
  // direct import would keep it from starting.
  const OptionalCalls& calls = Optional();
  if (calls.setDefaultDllDirectories && calls.setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  if (calls.setDllDirectoryA) calls.setDllDirectoryA("");  // drops the current directory
  return false;
}
