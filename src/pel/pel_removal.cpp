#include "pel/pel_removal.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "engine/catalogue/catalogue_runner.h"
#include "engine/core/run_settings.h"
#include "engine/registry/registry.h"
#include "engine/core/handles.h"
#include "engine/accounts/profiles.h"
#include "engine/system/shell.h"
#include "engine/system/system_roots.h"
#include "engine/text/wide_text.h"
#include "pel/pel_catalogue.h"
#include "pel/pel_control.h"
#include "pel/pel_ids.h"
#include "pel/pel_paths.h"
#include "pel/pel_report.h"

namespace {

const char kSkinsKey[] = "SOFTWARE\\Varenta\\Skins";
const DWORD kDirValueBufferSize = 256;

// The "dir" value of one skin: the client's program sub-folder, ending in bin\.
std::wstring ReadSkinDir(HKEY skins, const std::wstring& skin) {
  RegKey key;
  if (OpenKey(skins, skin, KEY_READ | KEY_WRITE, key) != ERROR_SUCCESS)
    return std::wstring();
  return ReadRegStringWithin(key.get(), L"dir", kDirValueBufferSize);
}

// The skins in enumeration order, and the first one's "dir" value. The enumeration ends at
// the first error of any kind, so a key that keeps failing cannot hold it up.
void FindSkins(const Remover& remove, PelLocations& locations) {
  RegKey skins;
  if (!remove.OpenKey(HKEY_LOCAL_MACHINE, Widen(kSkinsKey), KEY_READ, skins)) return;
  const std::vector<std::wstring> names = SubKeyNames(skins.get());
  if (!names.empty()) locations.binFolder = Utf8Of(ReadSkinDir(skins.get(), names.front()));
  for (const std::wstring& name : names) locations.skins.push_back(Utf8Of(name));
}

bool ParseGuid(const char* text, GUID& guid) {
  std::wstring wide = Widen(text);
  return !wide.empty() && SUCCEEDED(CLSIDFromString(&wide[0], &guid));
}

// A skin's name exactly as the registry holds it.
Bstr ToBstr(const std::string& utf8) {
  const std::wstring wide = WideOfUtf8(utf8);
  return Bstr(SysAllocStringLen(wide.c_str(), static_cast<UINT>(wide.size())));
}

// Asks the running client, through its control object, to close each skin in turn. The
// object is created even without skins; the client does the rest in its own process.
void ShutDownSkins(const std::vector<std::string>& skins) {
  CLSID controlClass = {};
  IID controlInterface = {};
  if (!ParseGuid(PelId(PEL_CONTROL_CLASS), controlClass) ||
      !ParseGuid(PelId(PEL_CONTROL_IID), controlInterface))
    return;
  ComPtr<IPelControl> control;
  const HRESULT created = CoCreateInstance(controlClass, nullptr, CLSCTX_ALL, controlInterface,
                                           control.ReceiveVoid());
  if (created != S_OK || !control) return;
  for (const std::string& skin : skins) {
    Bstr name = ToBstr(skin);
    if (name) control->ShutdownSkin(name.get());  // the result tells nothing useful
  }
}

bool IsWin9xFamily() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

std::string SpecialFolder(int folderId) {
  std::wstring path;
  if (!GetSpecialFolderPath(folderId, path)) path.clear();
  return Utf8Of(path);
}

// The all-users Programs folder and desktop on the NT family, whatever the options say;
// Windows 9x has only the current user's.
void FindShellFolders(PelLocations& locations) {
  locations.programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
  locations.appData = SpecialFolder(CSIDL_APPDATA);
  locations.programs =
      SpecialFolder(locations.isWin9x ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS);
  locations.desktop =
      SpecialFolder(locations.isWin9x ? CSIDL_DESKTOP : CSIDL_COMMON_DESKTOPDIRECTORY);
}

void FindDataRoots(const Remover& remove, int32_t optionWord, PelLocations& locations) {
  if (!HasOptions(optionWord, OPT_ALL_USERS)) {
    locations.dataRoots.push_back(locations.appData);
    return;
  }
  // Every profile is found from the current user's folder; without it there is nothing to go by.
  if (locations.appData.empty()) return;
  std::vector<std::wstring> roots;
  AppendAllUsersAppDataFolders(remove.run().files, remove.run().report, WideOfUtf8(locations.appData), roots);
  for (const std::wstring& root : roots) locations.dataRoots.push_back(Utf8Of(root));
}

void RemoveAcrobatPlugins(const Remover& remove) {
  RemoveAcrobatPlugin(remove, "Adobe Acrobat", "6.0");
  RemoveAcrobatPlugin(remove, "Adobe Acrobat", "5.0");
  RemoveAcrobatPlugin(remove, "Acrobat Reader", "6.0");
  RemoveAcrobatPlugin(remove, "Acrobat Reader", "5.0");
}

void RemoveProgramFolder(const Remover& remove, const PelLocations& locations) {
  if (locations.programFiles.empty()) return;
  const std::string folder = locations.programFiles + "Varenta\\";
  if (FitsBuffer(folder, kPelPathBufferSize)) remove.RemoveDirTree(WideOfUtf8(folder));
}

// The folder above the client's bin\ folder, only when "dir" names such a folder plainly: a
// value read from the registry decides what is deleted here.
void RemoveInstallFolder(const Remover& remove, const PelLocations& locations) {
  std::string folder;
  if (InstallFolderFromBinDir(locations.binFolder, folder)) remove.RemoveDirTree(WideOfUtf8(folder));
}

void RemoveTemporaryImages(const Remover& remove) {
  const std::wstring temp = TempFolder();
  if (temp.empty() || temp.size() >= kPelPathBufferSize) return;
  std::string folder;
  if (TempImagesFolder(Utf8Of(temp), folder)) remove.RemoveDirTree(WideOfUtf8(folder));
}

// The per-user part once more, in another account: each edition's Run values and data
// folders, then the catalogue's rows of the current user's roots. No shutdown, and nothing
// machine-wide again.
void RemovePelForAccount(const Remover& remove, int32_t optionWord) {
  for (const BrandEdition& edition : kBrandEditions) RemoveBrandEditionForAccount(remove, edition, optionWord);
  RunCatalogue(remove, kPelCatalogue);
}

}  // namespace

void ShowPelInstallationReport(const PelLocations& locations, const char* title) {
  // The report holds names from the registry and the shell: "?" for what the code page lacks.
  MessageBoxA(nullptr, LogText(WideOfUtf8(BuildPelInstallationReport(locations))).c_str(),
              title, MB_OK);
}

// The running client is shut down before any file is touched, and the skins are read before
// the catalogue removes their key.
void RemovePelClient(const Run& run) {
  const Remover& remove = run.remove;
  const int32_t optionWord = run.settings.pelOptions;
  PelLocations locations;
  FindSkins(remove, locations);
  // A run that changes nothing asks nothing of the running client.
  if (HasOptions(optionWord, OPT_SHUTDOWN_CLIENT) && !remove.policy().ChangesNothing())
    ShutDownSkins(locations.skins);
  locations.isWin9x = IsWin9xFamily();
  FindShellFolders(locations);
  FindDataRoots(remove, optionWord, locations);
  if (run.settings.verbose) ShowPelInstallationReport(locations, run.title);
  for (const BrandEdition& edition : kBrandEditions) RemoveBrandEdition(remove, edition, locations, optionWord);
  RemoveAcrobatPlugins(remove);
  RunCatalogue(remove, kPelCatalogue);
  RemoveProgramFolder(remove, locations);
  RemoveInstallFolder(remove, locations);
  RemoveTemporaryImages(remove);
  if (HasOptions(optionWord, OPT_ALL_USERS))
    remove.ForEachOtherAccount([optionWord](const Remover& inAccount) { RemovePelForAccount(inAccount, optionWord); });
}
