#include "orv/orv_removal.h"

#include <windows.h>
#include <shlobj.h>

#include "engine/run_settings.h"
#include "engine/change_gate.h"
#include "engine/data_folder.h"
#include "engine/files.h"
#include "engine/handles.h"
#include "engine/profiles.h"
#include "engine/registry.h"
#include "engine/shell.h"
#include "engine/user_accounts.h"
#include "orv/orv_catalogue.h"
#include "orv/orv_configuration.h"
#include "orv/orv_paths.h"
#include "orv/orv_shutdown.h"

namespace {

const DWORD kWindowsPathBufferSize = 1024;
const char kDataRoot[] = "Varenta\\";
// Files that go from every data folder whatever the options, in this order.
const char* const kAlwaysRemovedFiles[] = {"error.log", "errorlog.ini", "nhelpers.xml",
                                           "nprefs_db_update.xml", "ncstore_db.xml.swap"};

void RemoveWindowsOrvFolder() {
  char windows[kWindowsPathBufferSize] = {};
  if (GetWindowsDirectoryA(windows, kWindowsPathBufferSize) == 0) return;
  RemoveDirTree(std::string(windows) + "\\orv\\");
}

// The application-data folders to clean: every profile's, or the current user's only. Empty
// when the current user's folder cannot be resolved.
std::vector<std::string> ApplicationDataFolders(int32_t optionWord) {
  std::vector<std::string> folders;
  std::string appData;
  if (!GetSpecialFolderPath(CSIDL_APPDATA, appData) || appData.empty()) return folders;
  if (HasOptions(optionWord, OPT_ALL_USERS))
    AppendAllUsersAppDataFolders(appData, folders);
  else
    folders.push_back(appData);
  return folders;
}

// Cleans the data folders of one application-data folder: those whose names match "orv*",
// then one per configuration name that is a plain folder name.
// `listFolders` false: the "orv*" folders were cleaned already.
void CleanDataFolders(const std::string& appData, const std::vector<std::string>& configurations,
                      int32_t optionWord, bool listFolders = true) {
  const std::string dataRoot = appData + kDataRoot;
  std::vector<std::string> names;
  if (listFolders) ListDirectory(dataRoot + "orv*", names);  // whatever was listed is used
  names.insert(names.end(), configurations.begin(), configurations.end());
  for (const std::string& name : names) {
    // A name such as ".." would turn the data root's parent into a data folder.
    if (!IsUsableDataFolderName(name)) continue;
    CleanOrvDataFolder(dataRoot + name + "\\", optionWord);
  }
}

// The per-user part of the removal once more, with another account's own configurations,
// registry, desktop and application-data folder. Shutdown and machine-wide steps are not
// repeated.
void RemoveOrvForAccount(const RegistryScope& scope, int32_t optionWord) {
  const std::vector<std::string> configurations = ListOrvConfigurations(scope);
  for (const std::string& name : configurations) RemoveOrvConfiguration(name, optionWord, scope);
  RemoveOrvCatalogue(scope);
  const OtherAccount& account = scope.account();
  if (!account.appData.empty())
    CleanDataFolders(account.appData, configurations, optionWord, !account.appDataCleaned);
}

}  // namespace

std::vector<std::string> ListOrvConfigurations(const RegistryScope& scope) {
  std::vector<std::string> names;
  RegKey key;
  if (!OpenRegKeyIn(scope, HKEY_CURRENT_USER, "Software\\orv", key))
    return names;
  return SubKeyNames(key.get());
}

void CleanOrvDataFolder(const std::string& folder, int32_t optionWord) {
  CleanClientDataFolder(folder, optionWord, kAlwaysRemovedFiles,
                        sizeof(kAlwaysRemovedFiles) / sizeof(kAlwaysRemovedFiles[0]));
}

void RemoveOrvClient(int32_t optionWord) {
  // Read first: the catalogue deletes the key the names live in, and the data folders still
  // need them.
  const std::vector<std::string> configurations = ListOrvConfigurations();
  // A preview asks nothing of the running client.
  if (!IsPreview()) ShutDownOrvClient();  // reads the host's server path itself
  for (const std::string& name : configurations) RemoveOrvConfiguration(name, optionWord);
  RemoveOrvCatalogue();
  RemoveWindowsOrvFolder();
  for (const std::string& appData : ApplicationDataFolders(optionWord))
    CleanDataFolders(appData, configurations, optionWord);
  if (HasOptions(optionWord, OPT_ALL_USERS))
    ForEachOtherUserAccount(
        [optionWord](const RegistryScope& scope) { RemoveOrvForAccount(scope, optionWord); });
}
