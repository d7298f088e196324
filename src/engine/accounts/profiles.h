#pragma once
#include <string>
#include <vector>

#include "engine/core/cleanup_context.h"
#include "engine/files/file_calls.h"
#include "engine/rules/profile_layout.h"

// Appends the application-data folder of every entry of the profiles root (files and folders
// alike, in listing order), derived from the current user's application-data folder `appData`
// (ending in a backslash) and profile folder.
// A profiles root that is there but cannot be listed is reported to `report`.
void AppendAllUsersAppDataFolders(const FileCalls& files, CleanupContext& report, const std::wstring& appData,
                                  std::vector<std::wstring>& folders);

// The same, for a layout already found (its texts in UTF-8).
void AppendAppDataFoldersOf(const FileCalls& files, CleanupContext& report, const ProfileLayout& layout,
                            std::vector<std::wstring>& folders);
