#pragma once
// The file system on Windows 9x, which has neither the kernel's file calls nor the wide ones:
// paths go through the ANSI code page and are resolved for every call, as the system allows
// nothing else. Every name a listing gives must be one plain name.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/core/handles.h"

// The attributes of `path`; INVALID_FILE_ATTRIBUTES also for a path the code page cannot spell.
DWORD Win9xAttributes(const std::wstring& path);
bool Win9xExists(const std::wstring& path);
bool Win9xListDirectory(const std::wstring& pattern, std::vector<std::wstring>& names);
// Deletes the file, or the empty folder when `folder`; the Windows error code, or
// ERROR_INVALID_NAME for a path the code page cannot spell exactly.
DWORD Win9xDelete(const std::wstring& path, bool folder);
// Starts the program `path` with `arguments` in `folder` through the ANSI call; false (and no
// process) for a path the code page cannot spell exactly, or one that does not start.
bool Win9xStart(const std::wstring& path, const std::wstring& arguments, const std::wstring& folder,
                KernelHandle& process);
