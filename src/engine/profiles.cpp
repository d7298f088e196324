#include "engine/profiles.h"

#include <shlobj.h>

#include "engine/files.h"
#include "engine/profile_layout.h"
#include "engine/shell.h"

void AppendAllUsersAppDataFolders(const std::string& appData, std::vector<std::string>& folders) {
  std::string profile;
  if (!GetSpecialFolderPath(CSIDL_PROFILE, profile)) profile.clear();
  AppendAppDataFoldersOf(FindProfileLayout(appData, profile), folders);
}

void AppendAppDataFoldersOf(const ProfileLayout& layout, std::vector<std::string>& folders) {
  std::vector<std::string> entries;
  ListDirectory(layout.root + "\\*", entries);  // whatever was listed is used
  for (const std::string& entry : entries) folders.push_back(AppDataFolderOf(layout, entry));
}
