#include <string>
#include <vector>

#include "engine/core/run_settings.h"
#include "engine/removal/data_folder.h"
#include "engine/removal/file_removal.h"
#include "engine/registry/registry.h"
#include "engine/accounts/account_scope.h"
#include "engine/removal/registry_removal.h"
#include "engine/text/wide_text.h"
#include "pel/pel_ids.h"
#include "pel/pel_paths.h"
#include "pel/pel_removal.h"

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Left behind by the client in every data folder, whatever was asked for.
const char* const kDataFolderLeftovers[] = {
    "error.log",   "errorlog.ini",        "nhelpers.xml",
    "nprefs_db_update.xml", "ncstore_db.xml.swap", "nprefs_db.xml.swap",
};

// "gw" is too short to match by containment: only the values named "gw" and "gw-gw" go.
// Another account's scope takes the values of its own Run key only.
void RemoveRunValues(const BrandEdition& edition, const AccountScope& scope) {
  if (RunValuesNamedExactly(edition)) {
    DeleteRegValueNamedIn(scope, HKEY_CURRENT_USER, kRunKey, L"gw");
    DeleteRegValueNamedIn(scope, HKEY_LOCAL_MACHINE, kRunKey, L"gw");
    DeleteRegValueNamedIn(scope, HKEY_CURRENT_USER, kRunKey, L"gw-gw");
    DeleteRegValueNamedIn(scope, HKEY_LOCAL_MACHINE, kRunKey, L"gw-gw");
    return;
  }
  DeleteRegValuesContainingIn(scope, HKEY_CURRENT_USER, kRunKey, Widen(edition.editionId));
  DeleteRegValuesContainingIn(scope, HKEY_LOCAL_MACHINE, kRunKey, Widen(edition.editionId));
}

void RemoveUninstallEntry(const BrandEdition& edition) {
  const std::string key = kUninstallKey + std::string(PelId(edition.productCode));
  if (FitsBuffer(key, kPelKeyBufferSize)) DeleteRegKeyTree(HKEY_LOCAL_MACHINE, key);
}

void RemoveInstallShieldFolder(const BrandEdition& edition, const PelLocations& locations) {
  if (locations.programFiles.empty()) return;
  const std::string folder = locations.programFiles + "InstallShield Installation Information\\" +
                             PelId(edition.productCode) + "\\";
  if (FitsBuffer(folder, kPelKeyBufferSize)) RemoveDirTree(WideOfUtf8(folder));
}

void RemoveStartMenuFolder(const BrandEdition& edition, const PelLocations& locations) {
  if (locations.programs.empty()) return;
  const std::string folder = locations.programs + edition.companyName + "\\";
  if (FitsBuffer(folder, kPelKeyBufferSize)) RemoveDirTree(WideOfUtf8(folder));
}

// Every file or folder under a data root's "Varenta\" whose name begins with the edition id.
void RemoveDataFoldersIn(const BrandEdition& edition, const std::wstring& root,
                         int32_t optionWord) {
  const std::wstring base = root + L"Varenta\\";
  std::vector<std::wstring> names;
  if (!ListDirectory(base + Widen(edition.editionId) + L"*", names, Unlistable::Reported)) return;
  for (const std::wstring& name : names) CleanPelDataFolder(base + name + L"\\", optionWord);
}

void RemoveDataFolders(const BrandEdition& edition, const PelLocations& locations,
                       int32_t optionWord) {
  if (locations.appData.empty()) return;
  for (const std::string& root : locations.dataRoots)
    RemoveDataFoldersIn(edition, WideOfUtf8(root), optionWord);
}

void RemoveDesktopShortcuts(const BrandEdition& edition, const PelLocations& locations) {
  if (locations.desktop.empty()) return;
  const std::wstring desktop = WideOfUtf8(locations.desktop);
  std::vector<std::wstring> names;
  if (!ListDirectory(desktop + Widen(edition.productName) + L"*.lnk", names, Unlistable::Reported))
    return;
  for (const std::wstring& name : names) RemoveFile(desktop + name);
}

}  // namespace

void RemoveBrandEdition(const BrandEdition& edition, const PelLocations& locations,
                        int32_t optionWord) {
  RemoveRunValues(edition, AccountScope());
  RemoveUninstallEntry(edition);
  RemoveInstallShieldFolder(edition, locations);
  if (HasOptions(optionWord, OPT_START_MENU)) RemoveStartMenuFolder(edition, locations);
  RemoveDataFolders(edition, locations, optionWord);
  if (HasOptions(optionWord, OPT_DESKTOP_SHORTCUTS)) RemoveDesktopShortcuts(edition, locations);
}

void RemoveBrandEditionForAccount(const BrandEdition& edition, const AccountScope& scope,
                                  int32_t optionWord) {
  RemoveRunValues(edition, scope);
  const OtherAccount& account = scope.account();
  if (!account.appData.empty() && !account.appDataCleaned)
    RemoveDataFoldersIn(edition, account.appData, optionWord);
}

void CleanPelDataFolder(const std::wstring& folder, int32_t optionWord) {
  CleanClientDataFolder(folder, optionWord, kDataFolderLeftovers,
                        sizeof(kDataFolderLeftovers) / sizeof(kDataFolderLeftovers[0]));
}
