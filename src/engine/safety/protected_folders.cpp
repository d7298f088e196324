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
void AddOtherAccountsFolders(OtherAccounts& accounts, ProtectedFolders& folders) {
  for (const UserAccount& account : accounts.List()) {
    AddFolder(folders.folders, account.profile);
    for (const std::string& below : folders.belowChildren)
      AddFolder(folders.folders, account.profile + L"\\" + WideOfUtf8(below));
  }
}

ProtectedFolders GatherProtectedFolders(OtherAccounts& accounts) {
  ProtectedFolders folders;
  const std::wstring windows = WindowsFolder();
  AddFolder(folders.folders, windows);
  AddFolder(folders.folders, SystemFolder());
  AddFolder(folders.folders, TempFolder());
  for (int id : kProtectedShellFolders) AddFolder(folders.folders, ShellFolder(id));
  AddNativeFolders(folders.folders, windows);
  AddProfileFolders(folders);
  AddOtherAccountsFolders(accounts, folders);
  return folders;
}

std::vector<std::wstring> GatherUserPlaces(OtherAccounts& accounts) {
  const std::wstring profile = LongOrAsGiven(ShellFolder(CSIDL_PROFILE));
  const std::wstring documents = ShellFolder(CSIDL_COMMON_DOCUMENTS);
  std::vector<std::wstring> folders = {
      ProfilesRoot(profile), profile, ShellFolder(CSIDL_COMMON_APPDATA), documents,
      documents.substr(0, documents.rfind(L'\\')), ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY),
      TempFolder(), WindowsFolder() + L"\\Temp",
  };
  for (const UserAccount& account : accounts.List()) folders.push_back(account.profile);
  return folders;
}

}  // namespace

// Each set is gathered on its first use in the run: the shell lookups are slow (tens of
// milliseconds under Wine) and the folders do not move while the program runs.
struct SafetyNet::Gathered {
  std::unique_ptr<ProtectedFolders> folders, folded, system, systemFolded;
  std::unique_ptr<FolderIdSet> ids, systemIds, userPlaces;
};

SafetyNet::SafetyNet(OtherAccounts& accounts, const FileCalls& files)
    : accounts_(accounts), files_(files), gathered_(new Gathered) {}

SafetyNet::~SafetyNet() = default;

const ProtectedFolders& SafetyNet::Protected() {
  if (!gathered_->folders) gathered_->folders.reset(new ProtectedFolders(GatherProtectedFolders(accounts_)));
  return *gathered_->folders;
}

const FolderIdSet& SafetyNet::ProtectedIds() {
  if (!gathered_->ids) gathered_->ids.reset(new FolderIdSet(Protected(), files_));
  return *gathered_->ids;
}

bool SafetyNet::IsProtectedTree(const std::wstring& directory) {
  if (!gathered_->folded) gathered_->folded.reset(new ProtectedFolders(Folded(Protected())));
  if (IsRefusedTree(FoldCase(Utf8Of(directory)), *gathered_->folded)) return true;
  const std::wstring longForm = LongForm(directory);
  return !longForm.empty() && IsRefusedTree(FoldCase(Utf8Of(longForm)), *gathered_->folded);
}

bool SafetyNet::IsProtectedFolder(const BY_HANDLE_FILE_INFORMATION& folder) { return ProtectedIds().Holds(folder); }

bool SafetyNet::IsSystemFolder(HANDLE folder) {
  if (!gathered_->system) gathered_->system.reset(new ProtectedFolders(GatherSystemFolders()));
  if (!gathered_->systemIds) gathered_->systemIds.reset(new FolderIdSet(*gathered_->system, files_));
  return gathered_->systemIds->Holds(folder);
}

bool SafetyNet::IsSystemFolderPath(const std::wstring& folder) {
  if (!gathered_->system) gathered_->system.reset(new ProtectedFolders(GatherSystemFolders()));
  if (!gathered_->systemFolded) gathered_->systemFolded.reset(new ProtectedFolders(Folded(*gathered_->system)));
  return IsRefusedTree(FoldCase(Utf8Of(folder)), *gathered_->systemFolded);
}

bool SafetyNet::IsFolderSafeToActIn(const std::wstring& folder) {
  return !folder.empty() && !IsProtectedTree(folder) && !ProtectedIds().HoldsPath(folder);
}

const FolderIdSet& SafetyNet::UserPlaces() {
  if (!gathered_->userPlaces) gathered_->userPlaces.reset(new FolderIdSet(GatherUserPlaces(accounts_)));
  return *gathered_->userPlaces;
}
