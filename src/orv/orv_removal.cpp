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
#include "orv/orv_catalogue.h"
#include "orv/orv_configuration.h"
#include "orv/orv_paths.h"
#include "orv/orv_shutdown.h"

namespace {

const DWORD kKeyNameBufferSize = 256;
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
void CleanDataFolders(const std::string& appData, const std::vector<std::string>& configurations,
                      int32_t optionWord) {
  const std::string dataRoot = appData + kDataRoot;
  std::vector<std::string> names;
  ListDirectory(dataRoot + "orv*", names);  // whatever was listed is used
  names.insert(names.end(), configurations.begin(), configurations.end());
  for (const std::string& name : names) {
    // A name such as ".." would turn the data root's parent into a data folder.
    if (!IsUsableDataFolderName(name)) continue;
    CleanOrvDataFolder(dataRoot + name + "\\", optionWord);
  }
}

}  // namespace

std::vector<std::string> ListOrvConfigurations() {
  std::vector<std::string> names;
  RegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\orv", 0, kKeyReadWrite, key.Receive()) !=
      ERROR_SUCCESS)
    return names;
  for (DWORD index = 0;; ++index) {
    char name[kKeyNameBufferSize];
    DWORD length = kKeyNameBufferSize;
    if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.push_back(name);
  }
  return names;
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
}
