#pragma once
// The file removals on Windows 9x, by path through the ANSI calls (files_9x.h). Each returns
// the reason of its first failure, ERROR_SUCCESS when there was none.
#include <windows.h>

#include <string>

DWORD Win9xRemoveFile(const std::wstring& path);
// `directory` ends in a backslash.
DWORD Win9xRemoveDirTree(const std::wstring& directory);
