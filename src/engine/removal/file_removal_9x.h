#pragma once
// The file removals on Windows 9x, by path through the ANSI calls (files_9x.h), as the run's
// policy says. Each returns the reason of its first failure, ERROR_SUCCESS when there was none.
#include <windows.h>

#include <string>

#include "engine/run/run_context.h"

DWORD Win9xRemoveFile(RunContext& run, const std::wstring& path);
// `directory` ends in a backslash.
DWORD Win9xRemoveDirTree(RunContext& run, const std::wstring& directory);
