#pragma once
// File and directory removal primitives. Each reports every deletion it attempts to the
// cleanup context; missing files and folders are passed over without a report.
#include <string>
#include <vector>

// Deletes one file (no attribute is changed first, so a read-only file fails).
void RemoveFile(const std::string& path);

// Appends the names matching `pattern` (a folder path ending in a backslash followed by a
// wildcard name) to `names`, without "." and "..". True when the listing ran to its end.
bool ListDirectory(const std::string& pattern, std::vector<std::string>& names);

// Deletes a folder (path ending in a backslash; one is added when missing) with everything in
// it, contents first.
// Never follows a junction or symbolic link, and refuses drive roots and the system's own
// folders.
void RemoveDirTree(const std::string& directory);
