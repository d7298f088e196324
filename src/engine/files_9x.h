#pragma once
// The file primitives on Windows 9x, which has neither the kernel's file calls nor the wide
// ones: paths go through the ANSI code page and are resolved for every call, as the system
// allows nothing else. Every name a listing gives must be one plain name.
#include <string>
#include <vector>

bool Win9xExists(const std::wstring& path);
void Win9xRemoveFile(const std::wstring& path);
bool Win9xListDirectory(const std::wstring& pattern, std::vector<std::wstring>& names);
// `directory` ends in a backslash.
void Win9xRemoveDirTree(const std::wstring& directory);
