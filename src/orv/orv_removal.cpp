#include "orv/orv_removal.h"

#include <windows.h>
#include <shlobj.h>

#include "engine/core/run_settings.h"
#include "engine/catalogue/catalogue_runner.h"
#include "engine/removal/change_gate.h"
#include "engine/removal/data_folder.h"
#include "engine/removal/file_removal.h"
#include "engine/core/handles.h"
#include "engine/accounts/profiles.h"
#include "engine/registry/registry.h"
#include "engine/removal/registry_removal.h"
#include "engine/system/shell.h"
#include "engine/accounts/user_accounts.h"
#include "engine/text/wide_text.h"
#include "orv/orv_catalogue.h"
#include "orv/orv_configuration.h"
#include "engine/system/system_roots.h"
#include "orv/orv_paths.h"
#include "orv/orv_shutdown.h"

namespace {

const DWORD kWindowsPathBufferSize = 1024;
const wchar_t kDataRoot[] = L"Varenta\\";
// Files that go from every data folder whatever the options, in this order.
const char* const kAlwaysRemovedFiles[] = {"error.log", "errorlog.ini", "nhelpers.xml",
                                           "nprefs_db_update.xml", "ncstore_db.xml.swap"};

void RemoveWindowsOrvFolder() {
  const std::wstring windows = WindowsFolder();
  if (windows.empty() || windows.size() >= kWindowsPathBufferSize) return;
  RemoveDirTree(windows + L"\\orv\\");
}

// The application-data folders to clean: every profile's, or the current user's only. Empty
// when the current user's folder cannot be resolved.
std::vector<std::wstring> ApplicationDataFolders(int32_t optionWord) {
  std::vector<std::wstring> folders;
  std::wstring appData;
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
void CleanDataFolders(const std::wstring& appData, const std::vector<std::wstring>& configurations,
                      int32_t optionWord, bool listFolders = true) {
  const std::wstring dataRoot = appData + kDataRoot;
  std::vector<std::wstring> names;
  // Whatever was listed is used.
  if (listFolders) ListDirectory(dataRoot + L"orv*", names, Unlistable::Reported);
  names.insert(names.end(), configurations.begin(), configurations.end());
  for (const std::wstring& name : names) {
    // A name such as ".." would turn the data root's parent into a data folder.
    if (!IsUsableDataFolderName(Utf8Of(name))) continue;
    CleanOrvDataFolder(dataRoot + name + L"\\", optionWord);
  }
}

// The per-user part of the removal once more, with another account's own configurations,
// registry, desktop and application-data folder. Shutdown and machine-wide steps are not
// repeated.
void RemoveOrvForAccount(const AccountScope& scope, int32_t optionWord) {
  const std::vector<std::wstring> configurations = ListOrvConfigurations(scope);
  for (const std::wstring& name : configurations) RemoveOrvConfiguration(name, optionWord, scope);
  RunCatalogue(kOrvCatalogue, scope);
  const OtherAccount& account = scope.account();
  if (!account.appData.empty())
    CleanDataFolders(account.appData, configurations, optionWord, !account.appDataCleaned);
}

}  // namespace

std::vector<std::wstring> ListOrvConfigurations(const AccountScope& scope) {
  RegKey key;
  if (!OpenRegKeyIn(scope, HKEY_CURRENT_USER, L"Software\\orv", key)) return {};
  return SubKeyNames(key.get());
}

void CleanOrvDataFolder(const std::wstring& folder, int32_t optionWord) {
  CleanClientDataFolder(folder, optionWord, kAlwaysRemovedFiles,
                        sizeof(kAlwaysRemovedFiles) / sizeof(kAlwaysRemovedFiles[0]));
}

void RemoveOrvClient(const Run& run) {
  const int32_t optionWord = run.settings.orvOptions;
  // Read first: the catalogue deletes the key the names live in, and the data folders still
  // need them.
  const std::vector<std::wstring> configurations = ListOrvConfigurations();
  // A preview asks nothing of the running client.
  if (!run.settings.preview) ShutDownOrvClient();  // reads the host's server path itself
  for (const std::wstring& name : configurations) RemoveOrvConfiguration(name, optionWord);
  RunCatalogue(kOrvCatalogue);
  RemoveWindowsOrvFolder();
  for (const std::wstring& appData : ApplicationDataFolders(optionWord))
    CleanDataFolders(appData, configurations, optionWord);
  if (HasOptions(optionWord, OPT_ALL_USERS))
    ForEachOtherUserAccount(
        [optionWord](const AccountScope& scope) { RemoveOrvForAccount(scope, optionWord); });
}
