#include "orv/orv_removal.h"

#include <windows.h>
#include <shlobj.h>

#include "engine/core/run_settings.h"
#include "engine/catalogue/catalogue_runner.h"
#include "engine/removal/data_folder.h"
#include "engine/core/handles.h"
#include "engine/accounts/profiles.h"
#include "engine/registry/registry.h"
#include "engine/system/shell.h"
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

void RemoveWindowsOrvFolder(const Remover& remove) {
  const std::wstring windows = WindowsFolder();
  if (windows.empty() || windows.size() >= kWindowsPathBufferSize) return;
  remove.RemoveDirTree(windows + L"\\orv\\");
}

// The application-data folders to clean: every profile's, or the current user's only. Empty
// when the current user's folder cannot be resolved.
std::vector<std::wstring> ApplicationDataFolders(const Remover& remove, int32_t optionWord) {
  std::vector<std::wstring> folders;
  std::wstring appData;
  if (!GetSpecialFolderPath(CSIDL_APPDATA, appData) || appData.empty()) return folders;
  if (HasOptions(optionWord, OPT_ALL_USERS))
    AppendAllUsersAppDataFolders(remove.run().files, remove.run().report, appData, folders);
  else
    folders.push_back(appData);
  return folders;
}

// Cleans the data folders of one application-data folder: those whose names match "orv*",
// then one per configuration name that is a plain folder name.
// `listFolders` false: the "orv*" folders were cleaned already.
void CleanDataFolders(const Remover& remove, const std::wstring& appData,
                      const std::vector<std::wstring>& configurations, int32_t optionWord, bool listFolders = true) {
  const std::wstring dataRoot = appData + kDataRoot;
  std::vector<std::wstring> names;
  // Whatever was listed is used.
  if (listFolders) remove.ListDirectory(dataRoot + L"orv*", names, true);
  names.insert(names.end(), configurations.begin(), configurations.end());
  for (const std::wstring& name : names) {
    // A name such as ".." would turn the data root's parent into a data folder.
    if (!IsUsableDataFolderName(Utf8Of(name))) continue;
    CleanOrvDataFolder(remove, dataRoot + name + L"\\", optionWord);
  }
}

// The per-user part of the removal once more, with another account's own configurations,
// registry, desktop and application-data folder. Shutdown and machine-wide steps are not
// repeated.
void RemoveOrvForAccount(const Remover& remove, int32_t optionWord) {
  const std::vector<std::wstring> configurations = ListOrvConfigurations(remove);
  for (const std::wstring& name : configurations) RemoveOrvConfiguration(remove, name, optionWord);
  RunCatalogue(remove, kOrvCatalogue);
  const OtherAccount& account = remove.scope().account();
  if (!account.appData.empty())
    CleanDataFolders(remove, account.appData, configurations, optionWord, !account.appDataCleaned);
}

}  // namespace

std::vector<std::wstring> ListOrvConfigurations(const Remover& remove) {
  RegKey key;
  if (!remove.OpenKey(HKEY_CURRENT_USER, L"Software\\orv", kKeyReadWrite, key)) return {};
  return SubKeyNames(key.get());
}

void CleanOrvDataFolder(const Remover& remove, const std::wstring& folder, int32_t optionWord) {
  CleanClientDataFolder(remove, folder, optionWord, kAlwaysRemovedFiles,
                        sizeof(kAlwaysRemovedFiles) / sizeof(kAlwaysRemovedFiles[0]));
}

void RemoveOrvClient(const Run& run) {
  const Remover& remove = run.remove;
  const int32_t optionWord = run.settings.orvOptions;
  // Read first: the catalogue deletes the key the names live in, and the data folders still
  // need them.
  const std::vector<std::wstring> configurations = ListOrvConfigurations(remove);
  // A run that changes nothing asks nothing of the running client.
  if (!remove.policy().ChangesNothing()) ShutDownOrvClient();  // reads the host's server path itself
  for (const std::wstring& name : configurations) RemoveOrvConfiguration(remove, name, optionWord);
  RunCatalogue(remove, kOrvCatalogue);
  RemoveWindowsOrvFolder(remove);
  for (const std::wstring& appData : ApplicationDataFolders(remove, optionWord))
    CleanDataFolders(remove, appData, configurations, optionWord);
  if (HasOptions(optionWord, OPT_ALL_USERS))
    remove.ForEachOtherAccount([optionWord](const Remover& inAccount) { RemoveOrvForAccount(inAccount, optionWord); });
}
