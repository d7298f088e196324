#include <string>
#include <vector>

#include "engine/core/run_settings.h"
#include "engine/removal/data_folder.h"
#include "engine/registry/registry.h"
#include "engine/accounts/account_scope.h"
#include "engine/text/wide_text.h"
#include "pel/pel_ids.h"
#include "pel/pel_paths.h"
#include "pel/pel_removal.h"
#include "engine/registry/known_keys.h"

namespace {

const std::wstring kRunKey = Widen(KEY_RUN);
const char kUninstallKey[] = KEY_UNINSTALL_OF_EDITIONS "\\";

// Left behind by the client in every data folder, whatever was asked for.
const char* const kDataFolderLeftovers[] = {
    "error.log",   "errorlog.ini",        "nhelpers.xml",
    "nprefs_db_update.xml", "ncstore_db.xml.swap", "nprefs_db.xml.swap",
};

// "gw" is too short to match by containment: only the values named "gw" and "gw-gw" go.
// Another account's scope takes the values of its own Run key only.
void RemoveRunValues(const Remover& remove, const BrandEdition& edition) {
  if (RunValuesNamedExactly(edition)) {
    for (const wchar_t* name : {L"gw", L"gw-gw"}) {
      remove.DeleteValue(HKEY_CURRENT_USER, kRunKey, name);
      remove.DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, name);
    }
    return;
  }
  remove.DeleteValuesContaining(HKEY_CURRENT_USER, kRunKey, Widen(edition.editionId));
  remove.DeleteValuesContaining(HKEY_LOCAL_MACHINE, kRunKey, Widen(edition.editionId));
}

void RemoveUninstallEntry(const Remover& remove, const BrandEdition& edition) {
  const std::string key = kUninstallKey + std::string(PelId(edition.productCode));
  if (FitsBuffer(key, kPelKeyBufferSize)) remove.DeleteKeyTree(HKEY_LOCAL_MACHINE, Widen(key));
}

void RemoveInstallShieldFolder(const Remover& remove, const BrandEdition& edition, const PelLocations& locations) {
  if (locations.programFiles.empty()) return;
  const std::string folder = locations.programFiles + "InstallShield Installation Information\\" +
                             PelId(edition.productCode) + "\\";
  if (FitsBuffer(folder, kPelKeyBufferSize)) remove.RemoveDirTree(WideOfUtf8(folder));
}

void RemoveStartMenuFolder(const Remover& remove, const BrandEdition& edition, const PelLocations& locations) {
  if (locations.programs.empty()) return;
  const std::string folder = locations.programs + edition.companyName + "\\";
  if (FitsBuffer(folder, kPelKeyBufferSize)) remove.RemoveDirTree(WideOfUtf8(folder));
}

// Every file or folder under a data root's "Varenta\" whose name begins with the edition id.
void RemoveDataFoldersIn(const Remover& remove, const BrandEdition& edition, const std::wstring& root,
                         int32_t optionWord) {
  const std::wstring base = root + L"Varenta\\";
  std::vector<std::wstring> names;
  if (!remove.ListDirectory(base + Widen(edition.editionId) + L"*", names, true)) return;
  for (const std::wstring& name : names) CleanPelDataFolder(remove, base + name + L"\\", optionWord);
}

void RemoveDataFolders(const Remover& remove, const BrandEdition& edition, const PelLocations& locations,
                       int32_t optionWord) {
  if (locations.appData.empty()) return;
  for (const std::string& root : locations.dataRoots)
    RemoveDataFoldersIn(remove, edition, WideOfUtf8(root), optionWord);
}

void RemoveDesktopShortcuts(const Remover& remove, const BrandEdition& edition, const PelLocations& locations) {
  if (locations.desktop.empty()) return;
  const std::wstring desktop = WideOfUtf8(locations.desktop);
  std::vector<std::wstring> names;
  if (!remove.ListDirectory(desktop + Widen(edition.productName) + L"*.lnk", names, true)) return;
  for (const std::wstring& name : names) remove.RemoveFile(desktop + name);
}

}  // namespace

void RemoveBrandEdition(const Remover& remove, const BrandEdition& edition, const PelLocations& locations,
                        int32_t optionWord) {
  RemoveRunValues(remove, edition);
  RemoveUninstallEntry(remove, edition);
  RemoveInstallShieldFolder(remove, edition, locations);
  if (HasOptions(optionWord, OPT_START_MENU)) RemoveStartMenuFolder(remove, edition, locations);
  RemoveDataFolders(remove, edition, locations, optionWord);
  if (HasOptions(optionWord, OPT_DESKTOP_SHORTCUTS)) RemoveDesktopShortcuts(remove, edition, locations);
}

void RemoveBrandEditionForAccount(const Remover& remove, const BrandEdition& edition, int32_t optionWord) {
  RemoveRunValues(remove, edition);
  const OtherAccount& account = remove.scope().account();
  if (!account.appData.empty() && !account.appDataCleaned)
    RemoveDataFoldersIn(remove, edition, account.appData, optionWord);
}

void CleanPelDataFolder(const Remover& remove, const std::wstring& folder, int32_t optionWord) {
  CleanClientDataFolder(remove, folder, optionWord, kDataFolderLeftovers,
                        sizeof(kDataFolderLeftovers) / sizeof(kDataFolderLeftovers[0]));
}
