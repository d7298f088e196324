#include "engine/system_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "engine/handles.h"
#include "engine/profile_layout.h"
#include "engine/shell.h"
#include "engine/user_accounts.h"

namespace {

// Shell folders that are the system's own: the folder itself and every folder above it are
// protected. Sub-folders (where the clients keep their files) are not.
const int kProtectedShellFolders[] = {
    CSIDL_PROGRAM_FILES,  CSIDL_PROGRAM_FILES_COMMON, CSIDL_APPDATA,
    CSIDL_LOCAL_APPDATA,  CSIDL_COMMON_APPDATA,       CSIDL_DESKTOP,
    CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PROGRAMS,
    CSIDL_COMMON_PROGRAMS, CSIDL_PERSONAL,             CSIDL_PROFILE,
};

// Of those, the ones every user has inside the profile folder.
const int kPerUserShellFolders[] = {
    CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS, CSIDL_PERSONAL,
};

std::string LongForm(const std::string& path) {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetLongPathNameA(path.c_str(), buffer, sizeof(buffer));
  if (length == 0 || length >= sizeof(buffer)) return std::string();
  return buffer;
}

void AddFolder(std::vector<std::string>& folders, const std::string& path) {
  if (path.empty()) return;
  folders.push_back(path);
  const std::string longForm = LongForm(path);
  if (!longForm.empty() && longForm != path) folders.push_back(longForm);
}

// A path from a call that writes into a MAX_PATH buffer and returns the length it needed.
template <typename Call>
std::string FromBuffer(Call call) {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = call(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();  // failed, or cut short
  return buffer;
}

std::string ShellFolder(int id) {
  std::string path;
  if (!GetSpecialFolderPath(id, path)) path.clear();
  return path;
}

std::string WindowsFolder() {
  return FromBuffer([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); });
}

std::string SystemFolder() {
  return FromBuffer([](char* b, UINT n) { return GetSystemDirectoryA(b, n); });
}

std::string TempFolder() {
  return FromBuffer([](char* b, UINT n) { return GetTempPathA(n, b); });
}

std::string LongOrAsGiven(const std::string& path) {
  const std::string longForm = LongForm(path);
  return longForm.empty() ? path : longForm;
}

// `path` relative to `folder` (both ending in a backslash) when it lies below it.
bool RelativeTo(const std::string& folder, const std::string& path, std::string& relative) {
  const std::string base = NormalizeFolderPath(folder);
  const std::string full = NormalizeFolderPath(path);
  if (base.empty() || full.size() <= base.size() + 1 || full.compare(0, base.size(), base) != 0 ||
      full[base.size()] != '\\')
    return false;
  relative = full.substr(base.size() + 1);
  return true;
}

// The folder that holds every profile, "" when the application-data folder is not known.
std::string ProfilesRoot(const std::string& profile) {
  const std::string appData = ShellFolder(CSIDL_APPDATA);
  return appData.empty() ? std::string() : FindProfileLayout(appData, profile).root;
}

void AddProfileFolders(ProtectedFolders& folders) {
  const std::string profile = LongOrAsGiven(ShellFolder(CSIDL_PROFILE));
  AddFolder(folders.folders, ProfilesRoot(profile));
  if (profile.empty()) return;
  // Every entry of the profiles root is some user's profile folder.
  folders.childrenOf.push_back(profile + "\\..");
  for (int id : kPerUserShellFolders) {
    std::string relative;
    if (RelativeTo(profile, LongOrAsGiven(ShellFolder(id)), relative))
      folders.belowChildren.push_back(relative);
  }
  std::string relative;
  if (RelativeTo(profile, LongOrAsGiven(TempFolder()), relative)) folders.belowChildren.push_back(relative);
}

std::string EnvironmentFolder(const char* name) {
  return FromBuffer([name](char* b, UINT n) { return GetEnvironmentVariableA(name, b, n); });
}

// A folder named in the 64-bit registry view (the 32-bit view names the "(x86)" folders).
std::string NativeRegistryFolder(const char* name) {
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                    KEY_READ | KEY_WOW64_64KEY, key.Receive()) != ERROR_SUCCESS)
    return std::string();
  char buffer[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH;
  DWORD type = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::string();
  return buffer;
}

// On 64-bit Windows this 32-bit program sees the "(x86)" Program Files and, under the name
// System32, the SysWOW64 folder; the native folders must be protected too. The names are
// protected on every Windows: where they do not exist, nothing is lost.
void AddNativeFolders(std::vector<std::string>& folders, const std::string& windows) {
  AddFolder(folders, EnvironmentFolder("ProgramW6432"));
  AddFolder(folders, EnvironmentFolder("CommonProgramW6432"));
  AddFolder(folders, NativeRegistryFolder("ProgramFilesDir"));
  AddFolder(folders, NativeRegistryFolder("CommonFilesDir"));
  if (windows.empty()) return;
  for (const char* name : {"\\System32", "\\SysWOW64", "\\Sysnative"})
    AddFolder(folders, windows + name);
}

// Upper-cases letters of every alphabet the way Windows compares file names (A to Z alone
// would let "C:\\Users\\\xC4..." pass for "C:\\Users\\\xE4...").
std::string FoldCase(const std::string& text) {
  std::string folded = text;
  if (!folded.empty()) CharUpperBuffA(&folded[0], static_cast<DWORD>(folded.size()));
  return folded;
}

ProtectedFolders Folded(const ProtectedFolders& folders) {
  ProtectedFolders out;
  for (const std::string& f : folders.folders) out.folders.push_back(FoldCase(f));
  for (const std::string& f : folders.childrenOf) out.childrenOf.push_back(FoldCase(f));
  for (const std::string& f : folders.belowChildren) out.belowChildren.push_back(FoldCase(f));
  return out;
}

// The other accounts' profiles, wherever the profile list puts them (not all lie in the
// profiles root), with the folders every user has inside a profile.
void AddOtherAccountsFolders(ProtectedFolders& folders) {
  for (const UserAccount& account : ListOtherUserAccounts()) {
    AddFolder(folders.folders, account.profile);
    for (const std::string& below : folders.belowChildren)
      AddFolder(folders.folders, account.profile + "\\" + below);
  }
}

}  // namespace

ProtectedFolders GatherProtectedFolders() {
  ProtectedFolders folders;
  const std::string windows = WindowsFolder();
  AddFolder(folders.folders, windows);
  AddFolder(folders.folders, SystemFolder());
  AddFolder(folders.folders, TempFolder());
  for (int id : kProtectedShellFolders) AddFolder(folders.folders, ShellFolder(id));
  AddNativeFolders(folders.folders, windows);
  AddProfileFolders(folders);
  AddOtherAccountsFolders(folders);
  return folders;
}

const ProtectedFolders& TheProtectedFolders() {
  // Gathered once: the shell lookups are slow (tens of milliseconds under Wine) and these
  // folders do not move while the program runs.
  static const ProtectedFolders folders = GatherProtectedFolders();
  return folders;
}

bool IsProtectedTree(const std::string& directory) {
  static const ProtectedFolders folded = Folded(TheProtectedFolders());
  if (IsRefusedTree(FoldCase(directory), folded)) return true;
  const std::string longForm = LongForm(directory);
  return !longForm.empty() && IsRefusedTree(FoldCase(longForm), folded);
}

ProtectedFolders GatherSystemFolders() {
  ProtectedFolders folders;
  AddFolder(folders.folders, WindowsFolder());
  AddFolder(folders.folders, SystemFolder());
  AddFolder(folders.folders, ShellFolder(CSIDL_PROGRAM_FILES));
  AddFolder(folders.folders, ShellFolder(CSIDL_PROGRAM_FILES_COMMON));
  AddFolder(folders.folders, ProfilesRoot(LongOrAsGiven(ShellFolder(CSIDL_PROFILE))));
  return folders;
}
