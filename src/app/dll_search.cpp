#include "app/dll_search.h"

#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

bool RestrictDllSearch() {
  // Both are looked up: the program also runs on Windows versions that lack them, where a
  // direct import would keep it from starting.
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  const auto setDefault = reinterpret_cast<SetDefaultDirectories>(
      GetProcAddress(kernel, "SetDefaultDllDirectories"));
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  using SetDirectory = BOOL(WINAPI*)(LPCSTR);
  const auto setDirectory =
      reinterpret_cast<SetDirectory>(GetProcAddress(kernel, "SetDllDirectoryA"));
  if (setDirectory) setDirectory("");  // drops the current directory
  return false;
}
