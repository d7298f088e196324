#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/removal/remover.h"

// Removes a client's files from one of its data folders (path ending in a backslash): with
// both the content-store and preferences bits the whole folder; otherwise the content store
// and its thumbnails (content-store bit), the preferences file (preferences bit), and then
// each of `alwaysRemoved`, whatever the bits. The folder itself stays in the latter case.
void CleanClientDataFolder(const Remover& remove, const std::wstring& folder, int32_t optionWord,
                           const char* const* alwaysRemoved, size_t alwaysRemovedCount);
