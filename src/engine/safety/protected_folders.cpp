#include "engine/safety/protected_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "engine/files/folder_ids.h"
#include "engine/system/system_roots.h"
#include "engine/accounts/user_accounts.h"
#include "engine/text/wide_text.h"

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

// `path` relative to `folder` (both ending in a backslash) when it lies below it, in UTF-8.
bool RelativeTo(const std::wstring& folder, const std::wstring& path, std::string& relative) {
  const std::string base = NormalizeFolderPath(Utf8Of(folder));
  const std::string full = NormalizeFolderPath(Utf8Of(path));
  if (base.empty() || full.size() <= base.size() + 1 || full.compare(0, base.size(), base) != 0 ||
      full[base.size()] != '\\')
    return false;
  relative = full.substr(base.size() + 1);
  return true;
}

void AddProfileFolders(ProtectedFolders& folders) {
  const std::wstring profile = LongOrAsGiven(ShellFolder(CSIDL_PROFILE));
  AddFolder(folders.folders, ProfilesRoot(profile));
  if (profile.empty()) return;
  // Every entry of the profiles root is some user's profile folder.
  folders.childrenOf.push_back(Utf8Of(profile + L"\\.."));
  for (int id : kPerUserShellFolders) {
    std::string relative;
    if (RelativeTo(profile, LongOrAsGiven(ShellFolder(id)), relative))
      folders.belowChildren.push_back(relative);
  }
  std::string relative;
  if (RelativeTo(profile, LongOrAsGiven(TempFolder()), relative)) folders.belowChildren.push_back(relative);
}

// The other accounts' profiles, wherever the profile list puts them (not all lie in the
// profiles root), with the folders every user has inside a profile.
void AddOtherAccountsFolders(ProtectedFolders& folders) {
  for (const UserAccount& account : ListOtherUserAccounts()) {
    AddFolder(folders.folders, account.profile);
    for (const std::string& below : folders.belowChildren)
      AddFolder(folders.folders, account.profile + L"\\" + WideOfUtf8(below));
  }
}

}  // namespace

ProtectedFolders GatherProtectedFolders() {
  ProtectedFolders folders;
  const std::wstring windows = WindowsFolder();
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

bool IsProtectedTree(const std::wstring& directory) {
  static const ProtectedFolders folded = Folded(TheProtectedFolders());
  if (IsRefusedTree(FoldCase(Utf8Of(directory)), folded)) return true;
  const std::wstring longForm = LongForm(directory);
  return !longForm.empty() && IsRefusedTree(FoldCase(Utf8Of(longForm)), folded);
}

bool IsProtectedTree(const std::string& directory) { return IsProtectedTree(Widen(directory)); }

namespace {

// Gathered once per run, on first use: the folders do not move while the program runs.
const FolderIdSet& TheProtectedIds() {
  static const FolderIdSet ids(TheProtectedFolders());
  return ids;
}

}  // namespace

bool IsProtectedFolder(const BY_HANDLE_FILE_INFORMATION& folder) {
  return TheProtectedIds().Holds(folder);
}

bool IsSystemFolder(HANDLE folder) {
  static const FolderIdSet ids(GatherSystemFolders());
  return ids.Holds(folder);
}

bool IsFolderSafeToActIn(const std::wstring& folder) {
  return !folder.empty() && !IsProtectedTree(folder) && !TheProtectedIds().HoldsPath(folder);
}
