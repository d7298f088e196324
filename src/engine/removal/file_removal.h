#pragma once
// File and directory removal primitives. Each reports every deletion it attempts to the
// cleanup context; missing files and folders are passed over without a report, and anything
// that is there but cannot be opened, listed or reached is reported as failed. A removal
// returns the Windows error code of its first failure (Outcome::kErrorRefused for what the
// safety rules refused), ERROR_SUCCESS when nothing failed.
//
// On Windows NT a path is reached one folder at a time from its drive or share, each folder
// opened relative to the one above it; a folder on the way that is a link is followed only
// when an administrator made it (the system's own junctions), otherwise the item is refused.
// Below a folder the primitives act through handles, by the exact names the listings give.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/files/folder_listing.h"

// Deletes one file (no attribute is changed first, so a read-only file fails).
DWORD RemoveFile(const std::wstring& path);

// The folder listing of folder_listing.h for the removals: in a preview, what an earlier step
// counted as gone is left out (a folder counted as gone lists nothing).
bool ListDirectory(const std::wstring& pattern, std::vector<std::wstring>& names,
                   Unlistable unlistable = Unlistable::Quiet);

// Deletes a folder (path ending in a backslash; one is added when missing) with everything in
// it, contents first. Never enters a junction or symbolic link (it is removed as a link), and
// refuses drive roots and the system's own folders.
DWORD RemoveDirTree(const std::wstring& directory);

// The program's own ANSI paths, widened.
DWORD RemoveFile(const std::string& path);
DWORD RemoveDirTree(const std::string& directory);
