#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/removal/remover.h"

// Removes the ORV client: shutdown, configurations, catalogue, Windows folder, data folders,
// as the run's ORV option word asks.
void RemoveOrvClient(const Run& run);

// The sub-key names of HKCU "Software\orv" (in the remover's account), in enumeration order:
// the configurations, as the registry holds them.
std::vector<std::wstring> ListOrvConfigurations(const Remover& remove);

// Removes the client's files from one data folder (ending in a backslash): the whole folder
// with OPT_CONTENT_STORE and OPT_PREFS, otherwise the content store (OPT_CONTENT_STORE), the
// preferences (OPT_PREFS) and five files that always go.
void CleanOrvDataFolder(const Remover& remove, const std::wstring& folder, int32_t optionWord);
