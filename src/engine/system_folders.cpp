#include "engine/system_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "engine/profile_layout.h"
#include "engine/shell.h"

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

void AddProfileFolders(ProtectedFolders& folders) {
  const std::string profile = LongOrAsGiven(ShellFolder(CSIDL_PROFILE));
  const std::string appData = ShellFolder(CSIDL_APPDATA);
  if (!appData.empty()) AddFolder(folders.folders, FindProfileLayout(appData, profile).root);
  if (profile.empty()) return;
  // Every entry of the profiles root is some user's profile folder.
  folders.childrenOf.push_back(profile + "\\..");
  for (int id : kPerUserShellFolders) {
    std::string relative;
    if (RelativeTo(profile, LongOrAsGiven(ShellFolder(id)), relative))
      folders.belowChildren.push_back(relative);
  }
  std::string relative;
  const std::string temp = FromBuffer([](char* b, UINT n) { return GetTempPathA(n, b); });
  if (RelativeTo(profile, LongOrAsGiven(temp), relative)) folders.belowChildren.push_back(relative);
}

}  // namespace

ProtectedFolders GatherProtectedFolders() {
  ProtectedFolders folders;
  AddFolder(folders.folders, FromBuffer([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); }));
  AddFolder(folders.folders, FromBuffer([](char* b, UINT n) { return GetSystemDirectoryA(b, n); }));
  AddFolder(folders.folders, FromBuffer([](char* b, UINT n) { return GetTempPathA(n, b); }));
  for (int id : kProtectedShellFolders) AddFolder(folders.folders, ShellFolder(id));
  AddProfileFolders(folders);
  return folders;
}

bool IsProtectedTree(const std::string& directory) {
  // Gathered once: the shell lookups are slow (tens of milliseconds under Wine) and these
  // folders do not move while the program runs.
  static const ProtectedFolders folders = GatherProtectedFolders();
  if (IsRefusedTree(directory, folders)) return true;
  const std::string longForm = LongForm(directory);
  return !longForm.empty() && IsRefusedTree(longForm, folders);
}

ProtectedFolders GatherSystemFolders() {
  ProtectedFolders folders;
  AddFolder(folders.folders, FromBuffer([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); }));
  AddFolder(folders.folders, FromBuffer([](char* b, UINT n) { return GetSystemDirectoryA(b, n); }));
  AddFolder(folders.folders, ShellFolder(CSIDL_PROGRAM_FILES));
  AddFolder(folders.folders, ShellFolder(CSIDL_PROGRAM_FILES_COMMON));
  const std::string appData = ShellFolder(CSIDL_APPDATA);
  if (!appData.empty())
    AddFolder(folders.folders,
              FindProfileLayout(appData, LongOrAsGiven(ShellFolder(CSIDL_PROFILE))).root);
  return folders;
}
