#include <string>
#include <vector>

#include "engine/run_settings.h"
#include "engine/data_folder.h"
#include "engine/files.h"
#include "engine/registry.h"
#include "engine/registry_scope.h"
#include "pel/pel_ids.h"
#include "pel/pel_paths.h"
#include "pel/pel_removal.h"

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Left behind by the client in every data folder, whatever was asked for.
const char* const kDataFolderLeftovers[] = {
    "error.log",   "errorlog.ini",        "nhelpers.xml",
    "nprefs_db_update.xml", "ncstore_db.xml.swap", "nprefs_db.xml.swap",
};

// "gw" is too short to match by containment: only the values named "gw" and "gw-gw" go.
// Another account's scope takes the values of its own Run key only.
void RemoveRunValues(const BrandEdition& edition, const RegistryScope& scope) {
  if (RunValuesNamedExactly(edition)) {
    DeleteRegValueNamedIn(scope, HKEY_CURRENT_USER, kRunKey, "gw");
    DeleteRegValueNamedIn(scope, HKEY_LOCAL_MACHINE, kRunKey, "gw");
    DeleteRegValueNamedIn(scope, HKEY_CURRENT_USER, kRunKey, "gw-gw");
    DeleteRegValueNamedIn(scope, HKEY_LOCAL_MACHINE, kRunKey, "gw-gw");
    return;
  }
  DeleteRegValuesContainingIn(scope, HKEY_CURRENT_USER, kRunKey, edition.editionId);
  DeleteRegValuesContainingIn(scope, HKEY_LOCAL_MACHINE, kRunKey, edition.editionId);
}

void RemoveUninstallEntry(const BrandEdition& edition) {
  const std::string key = kUninstallKey + std::string(PelId(edition.productCode));
  if (FitsBuffer(key, kPelKeyBufferSize)) DeleteRegKeyTree(HKEY_LOCAL_MACHINE, key.c_str());
}

void RemoveInstallShieldFolder(const BrandEdition& edition, const PelLocations& locations) {
  if (locations.programFiles.empty()) return;
  const std::string folder = locations.programFiles + "InstallShield Installation Information\\" +
                             PelId(edition.productCode) + "\\";
  if (FitsBuffer(folder, kPelKeyBufferSize)) RemoveDirTree(folder);
}

void RemoveStartMenuFolder(const BrandEdition& edition, const PelLocations& locations) {
  if (locations.programs.empty()) return;
  const std::string folder = locations.programs + edition.companyName + "\\";
  if (FitsBuffer(folder, kPelKeyBufferSize)) RemoveDirTree(folder);
}

// Every file or folder under a data root's "Varenta\" whose name begins with the edition id.
void RemoveDataFoldersIn(const BrandEdition& edition, const std::string& root,
                         int32_t optionWord) {
  const std::string base = root + "Varenta\\";
  std::vector<std::string> names;
  if (!ListDirectory(base + edition.editionId + "*", names)) return;
  for (const std::string& name : names) CleanPelDataFolder(base + name + "\\", optionWord);
}

void RemoveDataFolders(const BrandEdition& edition, const PelLocations& locations,
                       int32_t optionWord) {
  if (locations.appData.empty()) return;
  for (const std::string& root : locations.dataRoots) RemoveDataFoldersIn(edition, root, optionWord);
}

void RemoveDesktopShortcuts(const BrandEdition& edition, const PelLocations& locations) {
  if (locations.desktop.empty()) return;
  std::vector<std::string> names;
  if (!ListDirectory(locations.desktop + edition.productName + "*.lnk", names)) return;
  for (const std::string& name : names) RemoveFile(locations.desktop + name);
}

}  // namespace

void RemoveBrandEdition(const BrandEdition& edition, const PelLocations& locations,
                        int32_t optionWord) {
  RemoveRunValues(edition, RegistryScope());
  RemoveUninstallEntry(edition);
  RemoveInstallShieldFolder(edition, locations);
  if (HasOptions(optionWord, OPT_START_MENU)) RemoveStartMenuFolder(edition, locations);
  RemoveDataFolders(edition, locations, optionWord);
  if (HasOptions(optionWord, OPT_DESKTOP_SHORTCUTS)) RemoveDesktopShortcuts(edition, locations);
}

void RemoveBrandEditionForAccount(const BrandEdition& edition, const RegistryScope& scope,
                                  int32_t optionWord) {
  RemoveRunValues(edition, scope);
  const OtherAccount& account = scope.account();
  if (!account.appData.empty() && !account.appDataCleaned)
    RemoveDataFoldersIn(edition, account.appData, optionWord);
}

void CleanPelDataFolder(const std::string& folder, int32_t optionWord) {
  CleanClientDataFolder(folder, optionWord, kDataFolderLeftovers,
                        sizeof(kDataFolderLeftovers) / sizeof(kDataFolderLeftovers[0]));
}
