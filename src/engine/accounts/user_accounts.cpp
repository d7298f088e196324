#include "engine/accounts/user_accounts.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <set>

#include "engine/accounts/privileges.h"
#include "engine/accounts/running_account.h"
#include "engine/rules/account_rules.h"
#include "engine/core/cleanup_context.h"
#include "engine/core/handles.h"
#include "engine/core/optional_calls.h"
#include "engine/rules/path_rules.h"
#include "engine/rules/profile_layout.h"
#include "engine/accounts/profiles.h"
#include "engine/registry/registry.h"
#include "engine/system/shell.h"
#include "engine/files/folder_ids.h"
#include "engine/system/system_roots.h"
#include "engine/text/text_utils.h"
#include "engine/text/wide_text.h"
#include "engine/registry/known_keys.h"

namespace {

const wchar_t kProfileList[] = L"" KEY_PROFILE_LIST;
const wchar_t kUserShellFolders[] = L"" KEY_USER_SHELL_FOLDERS;
const wchar_t kShellFolders[] = L"" KEY_SHELL_FOLDERS;
const wchar_t kUserHiveFile[] = L"\\NTUSER.DAT";
const wchar_t kClassesHiveFile[] = L"\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat";
const wchar_t kClassesSuffix[] = L"_Classes";
const DWORD kPathValueSize = 32767;  // the longest path Windows knows, in characters

std::wstring Expanded(const std::wstring& value) {
  const DWORD needed = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
  if (needed == 0) return std::wstring();
  std::wstring buffer(needed, L'\0');
  const DWORD length = ExpandEnvironmentStringsW(value.c_str(), &buffer[0], needed);
  if (length == 0 || length > needed) return std::wstring();
  buffer.resize(length - 1);
  return buffer;
}

std::wstring ReadPathValue(HKEY root, const std::wstring& key, const wchar_t* name) {
  RegKey opened;
  if (OpenKey(root, key, KEY_READ, opened) != ERROR_SUCCESS)
    return std::wstring();
  return ReadRegStringWithin(opened.get(), name, kPathValueSize);
}

// A folder of the account, read from its own registry (never the running account's
// environment); "" when not known.
std::wstring AccountShellFolder(const std::wstring& userKey, const std::wstring& profile,
                                const wchar_t* name) {
  std::wstring value = ReadPathValue(HKEY_USERS, userKey + L"\\" + kUserShellFolders, name);
  if (value.empty()) value = ReadPathValue(HKEY_USERS, userKey + L"\\" + kShellFolders, name);
  return value.empty() ? std::wstring()
                       : WideOfUtf8(AccountFolderPath(Utf8Of(value), Utf8Of(profile)));
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  return NormalizeFolderPath(Utf8Of(a)) == NormalizeFolderPath(Utf8Of(b));
}

// One registry of another account under HKEY_USERS: the one already there (the account is
// logged on), or one loaded from its file and unloaded again when the object goes.
class UserHive {
 public:
  explicit UserHive(OtherAccounts& accounts) : accounts_(accounts) {}
  UserHive(const UserHive&) = delete;
  UserHive& operator=(const UserHive&) = delete;
  // A registry that stays loaded keeps its user from logging on normally: that is reported.
  ~UserHive() {
    if (loaded_ && UnloadUserRegistry(name_) != ERROR_SUCCESS) accounts_.ReportHiveOnce(file_);
  }

  // True when the registry is at hand under `name`. A missing file is no failure; a file
  // that is there but cannot be read or loaded is reported once per run.
  bool Mount(const std::wstring& name, const std::wstring& file, BackupPrivileges& privileges) {
    RegKey present;
    if (OpenKey(HKEY_USERS, name, KEY_READ, present) == ERROR_SUCCESS)
      return Ready(name);
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) accounts_.ReportHiveOnce(file);
      return false;
    }
    privileges.Enable();
    if (LoadUserRegistry(name, file) == ERROR_SUCCESS) {
      loaded_ = true;
      file_ = file;
      return Ready(name);
    }
    accounts_.ReportHiveOnce(file);
    return false;
  }
  const std::wstring& name() const { return name_; }

 private:
  bool Ready(const std::wstring& name) {
    name_ = name;
    return true;
  }
  OtherAccounts& accounts_;
  std::wstring name_;
  std::wstring file_;
  bool loaded_ = false;
};

// What the running account's own folders tell about every account: the all-users
// application-data folders (cleaned in the running account's pass) and where this PC's
// layout puts application data inside a profile. Read once for all accounts.
struct RunningLayout {
  std::vector<std::wstring> cleanedFolders;
  bool known = false;  // false when the running account's application data is not known
  std::wstring appDataSuffix;
};

RunningLayout ReadRunningLayout(const FileCalls& files, CleanupContext& report) {
  RunningLayout layout;
  std::wstring appData;
  if (!GetSpecialFolderPath(CSIDL_APPDATA, appData) || appData.empty()) return layout;
  std::wstring profile;
  if (!GetSpecialFolderPath(CSIDL_PROFILE, profile)) profile.clear();
  const ProfileLayout found = FindProfileLayout(Utf8Of(appData), Utf8Of(profile));
  AppendAppDataFoldersOf(files, report, found, layout.cleanedFolders);
  layout.known = true;
  layout.appDataSuffix = WideOfUtf8(found.suffix);
  return layout;
}

// The account's application-data folder: its own setting, else the place this PC's layout
// gives it in its profile.
std::wstring AccountAppData(const UserAccount& account, const std::wstring& userKey,
                            const RunningLayout& layout) {
  const std::wstring own = AccountShellFolder(userKey, account.profile, L"AppData");
  if (!own.empty() || !layout.known) return own;
  return account.profile + layout.appDataSuffix;
}

OtherAccount DescribeAccount(const UserAccount& account, const std::wstring& userKey,
                             const std::wstring& classesKey, const RunningLayout& layout) {
  OtherAccount other;
  other.userKey = userKey;
  other.classesKey = classesKey;
  other.profile = account.profile + L"\\";
  other.desktop = AccountShellFolder(userKey, account.profile, L"Desktop");
  other.appData = AccountAppData(account, userKey, layout);
  for (const std::wstring& folder : layout.cleanedFolders)
    if (!other.appData.empty() && SameFolder(folder, other.appData)) other.appDataCleaned = true;
  return other;
}

// A profile folder that may be used: not a system folder by its spelling, and not one by what
// it is on disk (a short name or ".." spells a system folder otherwise).
bool IsUsableProfile(const std::wstring& profile, const ProtectedFolders& systemFolders,
                     const FolderIdSet& systemIds) {
  return IsUsableProfileFolder(Utf8Of(profile), systemFolders) && !systemIds.HoldsPath(profile);
}

std::vector<UserAccount> ReadOtherUserAccounts(const FileCalls& files) {
  std::vector<UserAccount> accounts;
  RegKey list;
  if (OpenKey(HKEY_LOCAL_MACHINE, kProfileList, KEY_READ, list) != ERROR_SUCCESS)
    return accounts;
  const std::wstring running = RunningAccountSidText();
  ProtectedFolders systemFolders = GatherSystemFolders();
  const std::wstring profilesRoot =
      Expanded(ReadRegStringWithin(list.get(), L"ProfilesDirectory", kPathValueSize));
  if (!profilesRoot.empty()) systemFolders.folders.push_back(Utf8Of(profilesRoot));
  const FolderIdSet systemIds(systemFolders, files);
  for (const std::wstring& sid : SubKeyNames(list.get())) {
    if (!IsUserAccountSid(Utf8Of(sid)) || lstrcmpiW(sid.c_str(), running.c_str()) == 0) continue;
    const std::wstring profile = Expanded(ReadPathValue(list.get(), sid, L"ProfileImagePath"));
    if (profile.empty() || !IsUsableProfile(profile, systemFolders, systemIds)) continue;
    accounts.push_back(UserAccount{sid, WithoutTrailingBackslashes(profile)});
  }
  return accounts;
}

}  // namespace

const std::vector<UserAccount>& OtherAccounts::List() {
  // Read once a run: the protected folders and each client's pass over the accounts all need
  // the list, and the profile list does not change while the program runs.
  if (!read_ && !OnWindows9x()) accounts_ = ReadOtherUserAccounts(files_);
  read_ = true;
  return accounts_;
}

void OtherAccounts::ReportHiveOnce(const std::wstring& file) {
  if (reported_.insert(file).second) report_.ReportUserHive(LogText(file), false);
}

struct AccountRegistries::Held {
  BackupPrivileges privileges;  // outlives every hive: unloading needs them too
  std::vector<std::unique_ptr<UserHive>> hives;
};

AccountRegistries::AccountRegistries(OtherAccounts& accounts) : accounts_(accounts), held_(new Held) {}

AccountRegistries::~AccountRegistries() {
  while (!held_->hives.empty()) held_->hives.pop_back();  // the last loaded goes first
}

bool AccountRegistries::Mount(const std::wstring& key) {
  RegKey present;
  if (OpenKey(HKEY_USERS, key, KEY_READ, present) == ERROR_SUCCESS)
    return true;
  const size_t suffix = key.size() > wcslen(kClassesSuffix) ? key.size() - wcslen(kClassesSuffix) : 0;
  const bool classes = suffix && lstrcmpiW(key.c_str() + suffix, kClassesSuffix) == 0;
  const std::wstring sid = classes ? key.substr(0, suffix) : key;
  for (const UserAccount& account : accounts_.List()) {
    if (lstrcmpiW(account.sid.c_str(), sid.c_str()) != 0) continue;
    std::unique_ptr<UserHive> hive(new UserHive(accounts_));
    const std::wstring file = account.profile + (classes ? kClassesHiveFile : kUserHiveFile);
    if (!hive->Mount(key, file, held_->privileges)) return false;
    held_->hives.push_back(std::move(hive));
    return true;
  }
  return false;
}

void OtherAccounts::ForEach(const std::function<void(const AccountScope&)>& step) {
  const std::vector<UserAccount>& accounts = List();
  if (accounts.empty()) return;
  BackupPrivileges privileges;  // outlives every hive below: unloading needs them too
  const RunningLayout layout = ReadRunningLayout(files_, report_);
  for (const UserAccount& account : accounts) {
    UserHive user(*this);
    if (!user.Mount(account.sid, account.profile + kUserHiveFile, privileges)) continue;
    UserHive classes(*this);
    const bool hasClasses = classes.Mount(account.sid + kClassesSuffix,
                                          account.profile + kClassesHiveFile, privileges);
    step(AccountScope(DescribeAccount(account, user.name(), hasClasses ? classes.name() : std::wstring(),
                                       layout)));
  }  // the classes go first, then the user's registry
}
