#include "engine/accounts/profiles.h"

#include <shlobj.h>

#include "engine/files/folder_listing.h"
#include "engine/rules/profile_layout.h"
#include "engine/system/shell.h"
#include "engine/text/wide_text.h"

void AppendAllUsersAppDataFolders(const FileCalls& files, CleanupContext& report, const std::wstring& appData,
                                  std::vector<std::wstring>& folders) {
  std::wstring profile;
  if (!GetSpecialFolderPath(CSIDL_PROFILE, profile)) profile.clear();
  AppendAppDataFoldersOf(files, report, FindProfileLayout(Utf8Of(appData), Utf8Of(profile)), folders);
}

void AppendAppDataFoldersOf(const FileCalls& files, CleanupContext& report, const ProfileLayout& layout,
                            std::vector<std::wstring>& folders) {
  std::vector<std::wstring> entries;
  // Whatever was listed is used; a profiles root that is there but cannot be listed leaves
  // every profile's data, and is reported.
  ListFolderNames(files, WideOfUtf8(layout.root) + L"\\*", entries, &report);
  for (const std::wstring& entry : entries)
    folders.push_back(WideOfUtf8(AppDataFolderOf(layout, Utf8Of(entry))));
}
