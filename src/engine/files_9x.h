#pragma once
// The file primitives on Windows 9x, which has neither the kernel's file calls nor the wide
// ones: paths go through the ANSI code page and are resolved for every call, as the system
// allows nothing else. Every name a listing gives must be one plain name.
#include <windows.h>

#include <string>
#include <vector>

bool Win9xExists(const std::wstring& path);
DWORD Win9xRemoveFile(const std::wstring& path);
bool Win9xListDirectory(const std::wstring& pattern, std::vector<std::wstring>& names);
// Each removal returns the reason of its first failure, ERROR_SUCCESS when there was none.
// `directory` ends in a backslash.
DWORD Win9xRemoveDirTree(const std::wstring& directory);
