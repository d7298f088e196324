#pragma once
#include <string>
#include <vector>

// Appends the application-data folder of every entry of the profiles root (files and folders
// alike, in listing order), derived from the current user's application-data folder `appData`
// (ending in a backslash) and profile folder.
void AppendAllUsersAppDataFolders(const std::string& appData, std::vector<std::string>& folders);
