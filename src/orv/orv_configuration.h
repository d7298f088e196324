#pragma once
// The entries one ORV configuration leaves: uninstall and optional-component entries, desktop
// shortcuts, its start-up value and its key.
#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/registry_scope.h"

// Removes the entries of configuration `name`; the desktop shortcuts only with
// OPT_DESKTOP_SHORTCUTS. Only the shortcut files are reported. For another account the
// entries are those of its registry and its desktop.
void RemoveOrvConfiguration(const std::string& name, int32_t optionWord,
                            const RegistryScope& scope = RegistryScope());

// Removes sub-key `name` of the open `key` with everything below it, reporting nothing. Stops
// at the first nested key that cannot be removed and returns its error; an empty name (which
// would mean `key` itself) is refused.
LONG DeleteSubKeyTree(HKEY key, const char* name);
