#pragma once
// A folder's listing by its path, as every lookup and removal reads one: on Windows NT the
// path is reached one folder at a time (see path_walk.h) and the folder listed through its
// handle; on Windows 9x through the ANSI calls.
#include <string>
#include <vector>

#include "engine/core/cleanup_context.h"
#include "engine/files/file_calls.h"

// Appends the names matching `pattern` (a folder path ending in a backslash followed by a
// wildcard name) to `names`, without "." and "..". True when the listing ran to its end and
// matched something. A folder that is there but cannot be listed or reached (a link on the
// way that no administrator made, no access) is reported as failed to `unlistable` when one is
// given, for a listing that decides what a removal deletes; a lookup gives none and says
// nothing.
bool ListFolderNames(const FileCalls& calls, const std::wstring& pattern, std::vector<std::wstring>& names,
                     CleanupContext* unlistable = nullptr);
