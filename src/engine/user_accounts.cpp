#include "engine/user_accounts.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <set>

#include "engine/account_rules.h"
#include "engine/cleanup_context.h"
#include "engine/handles.h"
#include "engine/path_rules.h"
#include "engine/profile_layout.h"
#include "engine/profiles.h"
#include "engine/registry.h"
#include "engine/shell.h"
#include "engine/system_folders.h"

namespace {

const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUserHiveFile[] = "\\NTUSER.DAT";
const char kClassesHiveFile[] = "\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat";
const char kClassesSuffix[] = "_Classes";
const DWORD kPathValueSize = MAX_PATH;

// The SID of the account this process runs as, "" when it cannot be read.
std::string RunningAccountSid() {
  KernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return std::string();
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return std::string();
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
    return std::string();
  char* text = nullptr;
  if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
    return std::string();
  const std::string sid = text;
  LocalFree(text);
  return sid;
}

std::string Expanded(const std::string& value) {
  char buffer[kPathValueSize] = {};
  const DWORD length = ExpandEnvironmentStringsA(value.c_str(), buffer, kPathValueSize);
  if (length == 0 || length > kPathValueSize) return std::string();
  return buffer;
}

std::string WithoutTrailingBackslash(std::string path) {
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  return path;
}

std::string ReadPathValue(HKEY root, const std::string& key, const char* name) {
  RegKey opened;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, opened.Receive()) != ERROR_SUCCESS)
    return std::string();
  return ReadRegStringWithin(opened.get(), name, kPathValueSize);
}

// A folder of the account, read from its own registry (never the running account's
// environment); "" when not known.
std::string AccountShellFolder(const std::string& userKey, const std::string& profile,
                               const char* name) {
  std::string value = ReadPathValue(HKEY_USERS, userKey + "\\" + kUserShellFolders, name);
  if (value.empty()) value = ReadPathValue(HKEY_USERS, userKey + "\\" + kShellFolders, name);
  return value.empty() ? std::string() : AccountFolderPath(value, profile);
}

bool SameFolder(const std::string& a, const std::string& b) {
  return NormalizeFolderPath(a) == NormalizeFolderPath(b);
}

// Backup and restore privileges, enabled while the object lives (only once asked for) and
// put back as they were afterwards.
class HivePrivileges {
 public:
  HivePrivileges() = default;
  HivePrivileges(const HivePrivileges&) = delete;
  HivePrivileges& operator=(const HivePrivileges&) = delete;
  ~HivePrivileges() {
    if (changed_) AdjustTokenPrivileges(token_.get(), FALSE, &previous_.header, 0, nullptr, nullptr);
  }
  void Enable() {
    if (asked_) return;
    asked_ = true;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token_.Receive()))
      return;
    Privileges wanted = {};
    wanted.header.PrivilegeCount = 2;
    if (!LookupPrivilegeValueA(nullptr, SE_BACKUP_NAME, &wanted.header.Privileges[0].Luid) ||
        !LookupPrivilegeValueA(nullptr, SE_RESTORE_NAME, &wanted.second.Luid))
      return;
    wanted.header.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    wanted.second.Attributes = SE_PRIVILEGE_ENABLED;
    DWORD size = 0;
    changed_ = AdjustTokenPrivileges(token_.get(), FALSE, &wanted.header, sizeof(previous_),
                                     &previous_.header, &size) != FALSE;
  }

 private:
  // TOKEN_PRIVILEGES with room for two entries.
  struct Privileges {
    TOKEN_PRIVILEGES header;
    LUID_AND_ATTRIBUTES second;
  };
  KernelHandle token_;
  Privileges previous_ = {};
  bool asked_ = false;
  bool changed_ = false;
};

// One registry of another account under HKEY_USERS: the one already there (the account is
// logged on), or one loaded from its file and unloaded again when the object goes.
class UserHive {
 public:
  UserHive() = default;
  UserHive(const UserHive&) = delete;
  UserHive& operator=(const UserHive&) = delete;
  // A registry that stays loaded keeps its user from logging on normally: that is reported.
  ~UserHive() {
    if (loaded_ && RegUnLoadKeyA(HKEY_USERS, name_.c_str()) != ERROR_SUCCESS) ReportOnce(file_);
  }

  // True when the registry is at hand under `name`. A missing file is no failure; a file
  // that will not load is reported once per run.
  bool Mount(const std::string& name, const std::string& file, HivePrivileges& privileges) {
    RegKey present;
    if (RegOpenKeyExA(HKEY_USERS, name.c_str(), 0, KEY_READ, present.Receive()) == ERROR_SUCCESS)
      return Ready(name);
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    privileges.Enable();
    if (RegLoadKeyA(HKEY_USERS, name.c_str(), file.c_str()) == ERROR_SUCCESS) {
      loaded_ = true;
      file_ = file;
      return Ready(name);
    }
    ReportOnce(file);
    return false;
  }
  const std::string& name() const { return name_; }

 private:
  bool Ready(const std::string& name) {
    name_ = name;
    return true;
  }
  // Both clients pass every account; a file that resists is listed once.
  static void ReportOnce(const std::string& file) {
    static std::set<std::string> reported;
    if (reported.insert(file).second) TheCleanupContext().ReportUserHive(file, false);
  }
  std::string name_;
  std::string file_;
  bool loaded_ = false;
};

// What the running account's own folders tell about every account: the all-users
// application-data folders (cleaned in the running account's pass) and where this PC's
// layout puts application data inside a profile. Read once for all accounts.
struct RunningLayout {
  std::vector<std::string> cleanedFolders;
  bool known = false;  // false when the running account's application data is not known
  std::string appDataSuffix;
};

RunningLayout ReadRunningLayout() {
  RunningLayout layout;
  std::string appData;
  if (!GetSpecialFolderPath(CSIDL_APPDATA, appData) || appData.empty()) return layout;
  std::string profile;
  if (!GetSpecialFolderPath(CSIDL_PROFILE, profile)) profile.clear();
  const ProfileLayout found = FindProfileLayout(appData, profile);
  AppendAppDataFoldersOf(found, layout.cleanedFolders);
  layout.known = true;
  layout.appDataSuffix = found.suffix;
  return layout;
}

// The account's application-data folder: its own setting, else the place this PC's layout
// gives it in its profile.
std::string AccountAppData(const UserAccount& account, const std::string& userKey,
                           const RunningLayout& layout) {
  const std::string own = AccountShellFolder(userKey, account.profile, "AppData");
  if (!own.empty() || !layout.known) return own;
  return account.profile + layout.appDataSuffix;
}

OtherAccount DescribeAccount(const UserAccount& account, const std::string& userKey,
                             const std::string& classesKey, const RunningLayout& layout) {
  OtherAccount other;
  other.userKey = userKey;
  other.classesKey = classesKey;
  other.profile = account.profile + "\\";
  other.desktop = AccountShellFolder(userKey, account.profile, "Desktop");
  other.appData = AccountAppData(account, userKey, layout);
  for (const std::string& folder : layout.cleanedFolders)
    if (!other.appData.empty() && SameFolder(folder, other.appData)) other.appDataCleaned = true;
  return other;
}

std::vector<UserAccount> ReadOtherUserAccounts() {
  std::vector<UserAccount> accounts;
  RegKey list;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, list.Receive()) !=
      ERROR_SUCCESS)
    return accounts;
  const std::string running = RunningAccountSid();
  ProtectedFolders systemFolders = GatherSystemFolders();
  const std::string profilesRoot = Expanded(ReadRegStringWithin(list.get(), "ProfilesDirectory", kPathValueSize));
  if (!profilesRoot.empty()) systemFolders.folders.push_back(profilesRoot);
  for (const std::string& sid : SubKeyNames(list.get())) {
    if (!IsUserAccountSid(sid) || lstrcmpiA(sid.c_str(), running.c_str()) == 0) continue;
    const std::string profile = Expanded(ReadPathValue(list.get(), sid, "ProfileImagePath"));
    if (profile.empty() || !IsUsableProfileFolder(profile, systemFolders)) continue;
    accounts.push_back(UserAccount{sid, WithoutTrailingBackslash(profile)});
  }
  return accounts;
}

}  // namespace

const std::vector<UserAccount>& ListOtherUserAccounts() {
  // Read once: the protected folders and each client's pass over the accounts all need the
  // list, and the profile list does not change while the program runs.
  static const std::vector<UserAccount> accounts = ReadOtherUserAccounts();
  return accounts;
}

void ForEachOtherUserAccount(const std::function<void(const RegistryScope&)>& step) {
  const std::vector<UserAccount>& accounts = ListOtherUserAccounts();
  if (accounts.empty()) return;
  HivePrivileges privileges;  // outlives every hive below: unloading needs them too
  const RunningLayout layout = ReadRunningLayout();
  for (const UserAccount& account : accounts) {
    UserHive user;
    if (!user.Mount(account.sid, account.profile + kUserHiveFile, privileges)) continue;
    UserHive classes;
    const bool hasClasses = classes.Mount(account.sid + kClassesSuffix,
                                          account.profile + kClassesHiveFile, privileges);
    step(RegistryScope(DescribeAccount(account, user.name(), hasClasses ? classes.name() : "",
                                       layout)));
  }  // the classes go first, then the user's registry
}
