#pragma once
// Checks on names and paths that the ORV client and the launcher keep in the user's registry,
// made before any of them becomes part of a path the program deletes. Texts are UTF-8.
#include <string>

#include "engine/text/text_utils.h"  // FolderOfPath

// A configuration name may name a data folder only when it is one plain folder name
// (IsPlainName). Its registry entries go in any case.
bool IsUsableDataFolderName(const std::string& name);

// A shortcut name may name a file on the desktop only when it is one name: no "\", "/" or
// ":", which could lead the path out of the desktop folder, and not "." or "..".
bool IsUsableShortcutName(const std::string& name);

// An absolute path ("X:\..." or "\\server\share\...") whose file name is "qlaunch.exe",
// ignoring case: the only executable the launcher removal starts and deletes.
bool IsLauncherExecutablePath(const std::string& path);

