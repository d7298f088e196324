#pragma once
// A folder's listing by its path, as every lookup and removal reads one: on Windows NT the
// path is reached one folder at a time (see path_walk.h) and the folder listed through its
// handle; on Windows 9x through the ANSI calls.
#include <string>
#include <vector>

// What a listing does with a folder that is there but cannot be listed or reached (a link on
// the way that no administrator made, no access): a lookup says nothing, a listing that
// decides what a removal deletes reports the folder as failed.
enum class Unlistable { Quiet, Reported };

// Appends the names matching `pattern` (a folder path ending in a backslash followed by a
// wildcard name) to `names`, without "." and "..". True when the listing ran to its end and
// matched something.
bool ListFolderNames(const std::wstring& pattern, std::vector<std::wstring>& names,
                     Unlistable unlistable = Unlistable::Quiet);
