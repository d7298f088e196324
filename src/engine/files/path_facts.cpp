#include "engine/files/path_facts.h"

#include <windows.h>

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsOnFixedLocalDrive(const std::wstring& path) {
  if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return false;
  const wchar_t letter = path[0];
  if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z'))) return false;
  const wchar_t root[] = {letter, L':', L'\\', 0};
  return GetDriveTypeW(root) == DRIVE_FIXED;
}
