#pragma once
// The entries one ORV configuration leaves: uninstall and optional-component entries, desktop
// shortcuts, its start-up value and its key.
#include <windows.h>

#include <cstdint>
#include <string>

// Removes the entries of configuration `name`; the desktop shortcuts only with
// OPT_DESKTOP_SHORTCUTS. Only the shortcut files are reported.
void RemoveOrvConfiguration(const std::string& name, int32_t optionWord);

// Removes sub-key `name` of the open `key` with everything below it, reporting nothing. Stops
// at the first nested key that cannot be removed and returns its error; an empty name (which
// would mean `key` itself) is refused.
LONG DeleteSubKeyTree(HKEY key, const char* name);
