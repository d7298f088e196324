#pragma once
// What the backup's registry part hands its queue part: the registry file's text of a key line
// and a value's string data, and the full path of a key. (registry_backup.cpp)
#include <windows.h>

#include <string>

// The key line of `path` (a full key path, root name first), with the exact UTF-16 form of a
// path the ANSI code page cannot spell; false when it cannot be written.
bool AppendKeyLine(const std::wstring& path, std::string& text);

// The ANSI bytes of a value's UTF-16 string data, as regedit would read them back.
std::string AnsiBytes(const std::string& wide);

// "HKEY_CURRENT_USER\\..." for the predefined `root` and `subKey`; empty for another root.
std::wstring FullKeyPath(HKEY root, const std::wstring& subKey);

// The root and sub-key of a full key path; false for a path under no known root.
bool SplitKeyPath(const std::wstring& path, HKEY& root, std::wstring& subKey);
