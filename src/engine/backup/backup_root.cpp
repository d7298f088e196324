#include "engine/backup/backup_root.h"

#include <shlobj.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/accounts/running_account.h"
#include "engine/backup/backup_names.h"
#include "engine/core/optional_calls.h"
#include "engine/files/change_rights.h"
#include "engine/files/file_security.h"
#include "engine/files/nt_files.h"
#include "engine/files/path_facts.h"
#include "engine/text/text_utils.h"

namespace {

const wchar_t kPurgonFolder[] = L"Purgon";
const wchar_t kBackupsFolder[] = L"backups";
const unsigned kMaxBackupsPerSecond = 1000;

// What lets an account put something into a folder, take it away, or give itself that right.
const ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE |
                                  WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

BackupPlaceResult Failed(BackupPlaceOutcome outcome, const std::wstring& reason, DWORD error = 0) {
  BackupPlaceResult result;
  result.outcome = outcome;
  result.error = error;
  result.reason = reason;
  if (error) result.reason += L" (error " + std::to_wstring(error) + L")";
  return result;
}

// Backup names are ASCII; anything else in a listing is no backup.
bool AsciiName(const wchar_t* wide, std::string& name) {
  name.clear();
  for (; *wide; ++wide) {
    if (*wide < 0x20 || *wide > 0x7e) return false;
    name += static_cast<char>(*wide);
  }
  return true;
}

std::wstring WidenAscii(const std::string& name) { return std::wstring(name.begin(), name.end()); }

// The accounts that may own and change the folders: the system, the administrators and the
// running account.
class TrustedAccounts {
 public:
  TrustedAccounts()
      : system_(SidOf(WellKnownSid::System)),
        administrators_(SidOf(WellKnownSid::Administrators)),
        user_(RunningAccountSid()) {
    complete_ = !system_.empty() && !administrators_.empty() && !user_.empty();
  }
  bool complete() const { return complete_; }
  bool Contains(PSID sid) const {
    for (const std::vector<BYTE>* trusted : {&system_, &administrators_, &user_})
      if (!trusted->empty() && EqualSid(sid, const_cast<BYTE*>(trusted->data()))) return true;
    return false;
  }

 private:
  bool complete_ = false;
  SidBytes system_, administrators_, user_;
};

BackupPlaceResult CheckSecurity(HANDLE folder, const std::wstring& what) {
  const TrustedAccounts trusted;
  SecurityBytes ownerBytes;
  const PSID owner = OwnerOf(folder, ownerBytes);
  const DWORD status = owner ? ERROR_SUCCESS : GetLastError();
  if (!owner || !trusted.complete())
    return Failed(BackupPlaceOutcome::Unreadable, what + L" cannot be checked",
                  status != ERROR_SUCCESS ? status : ERROR_INVALID_SECURITY_DESCR);
  if (!trusted.Contains(owner))
    return Failed(BackupPlaceOutcome::ForeignOwner, what + L" belongs to another account");
  SecurityBytes daclBytes;
  const ChangeGrant grant = FindChangeGrant(
      folder, kChangeRights, [&trusted](PSID sid) { return trusted.Contains(sid); }, daclBytes);
  switch (grant.verdict) {
    case ChangeVerdict::NobodyElse:
      return BackupPlaceResult();
    case ChangeVerdict::Unreadable: {
      const DWORD error = GetLastError();
      return Failed(BackupPlaceOutcome::Unreadable, what + L" cannot be checked",
                    error != ERROR_SUCCESS ? error : ERROR_INVALID_SECURITY_DESCR);
    }
    default:
      return Failed(BackupPlaceOutcome::OthersMayChange, what + L" can be changed by other users");
  }
}

// The name the open folder really has: under Wine a Unix link is opened as what it points at
// and shows as a plain folder on the handle, but its final path names the target.
bool NamedOtherwise(HANDLE folder, const std::wstring& path) {
  const auto finalPath = Optional().getFinalPathNameByHandleW;
  if (!finalPath) return false;  // before Vista: junctions only, which the handle shows
  std::vector<wchar_t> buffer(32768);
  const DWORD length = finalPath(folder, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
  // Unknown: Windows itself shows its links on the handle, which was checked before.
  if (length == 0 || length >= buffer.size()) return false;
  const std::wstring final(buffer.data(), length);
  const std::wstring asked = path.substr(path.rfind(L'\\') + 1);
  const std::wstring got = final.substr(final.rfind(L'\\') + 1);
  return lstrcmpiW(asked.c_str(), got.c_str()) != 0;
}

BackupPlaceResult CheckIsOwnFolder(HANDLE folder, const std::wstring& path, const std::wstring& what) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(folder, &info)) {
    const DWORD error = GetLastError();
    return Failed(BackupPlaceOutcome::Unreadable, what + L" cannot be checked", error);
  }
  // The handle shows a Windows link itself; the path shows a Unix link under Wine.
  const DWORD byPath = GetFileAttributesW(path.c_str());
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      (byPath != INVALID_FILE_ATTRIBUTES && (byPath & FILE_ATTRIBUTE_REPARSE_POINT)) ||
      NamedOtherwise(folder, path))
    return Failed(BackupPlaceOutcome::Link, what + L" is a link");
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return Failed(BackupPlaceOutcome::NotAFolder, what + L" is not a folder");
  return BackupPlaceResult();
}

// The protected DACL of what is made here: the system and the administrators, and for the
// per-user folder the running account, with full control of the folder and all below it.
std::vector<SidBytes> FolderAccounts(bool perUser) {
  std::vector<SidBytes> accounts = {SidOf(WellKnownSid::System), SidOf(WellKnownSid::Administrators)};
  if (perUser) accounts.push_back(RunningAccountSid());
  return accounts;
}

// Makes the folder with that DACL. One that is there already keeps its own (`existed`).
BackupPlaceResult MakeFolder(const std::wstring& path, const wchar_t* label, bool perUser, bool& existed) {
  existed = false;
  ProtectedSecurity descriptor(FolderAccounts(perUser));
  DWORD error = ERROR_SUCCESS;
  if (descriptor.get()) {
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor.get(), FALSE};
    if (CreateDirectoryW(path.c_str(), &attributes)) return BackupPlaceResult();
    error = GetLastError();
    existed = error == ERROR_ALREADY_EXISTS;
    if (existed) return BackupPlaceResult();
  } else {
    error = GetLastError();
  }
  return Failed(BackupPlaceOutcome::NotMade, std::wstring(label) + L" " + path + L" could not be made", error);
}

BackupPlaceResult MakeOrOpen(const std::wstring& path, const wchar_t* label, bool perUser,
                             CheckedFolder& folder) {
  bool existed = false;
  const BackupPlaceResult made = MakeFolder(path, label, perUser, existed);
  return made.ok() ? folder.Open(path, label) : made;
}

BackupTime BackupTimeOf(const SYSTEMTIME& utc) {
  BackupTime time;
  time.year = utc.wYear;
  time.month = utc.wMonth;
  time.day = utc.wDay;
  time.hour = utc.wHour;
  time.minute = utc.wMinute;
  time.second = utc.wSecond;
  return time;
}

}  // namespace


BackupPlaceResult CheckedFolder::Open(const std::wstring& folder, const wchar_t* label) {
  Release();
  const std::wstring what = std::wstring(label) + L" " + folder;
  // Read access takes part in sharing; without FILE_SHARE_DELETE the folder cannot be
  // renamed or deleted while it is held. FILE_FLAG_OPEN_REPARSE_POINT opens a link itself.
  KernelHandle handle(CreateFileW(folder.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) {
    const DWORD error = GetLastError();
    return Failed(BackupPlaceOutcome::Unreadable, what + L" cannot be opened", error);
  }
  BackupPlaceResult result = CheckIsOwnFolder(handle.get(), folder, what);
  if (result.ok()) result = CheckSecurity(handle.get(), what);
  if (!result.ok()) return result;
  path_ = folder + L"\\";
  handle_ = std::move(handle);
  return result;
}

void CheckedFolder::Release() {
  handle_.Reset();
  path_.clear();
}

BackupPlaceResult BackupRoot::Open() {
  // Windows 9x has no permissions: no folder there could keep a backup from other programs.
  if (OnWindows9x())
    return Failed(BackupPlaceOutcome::NoBaseFolder, L"Windows 9x has no permissions to protect a backup with");
  const auto folderPath = Optional().shGetFolderPathW;
  if (!folderPath)
    return Failed(BackupPlaceOutcome::NoBaseFolder,
                  L"the folder for application data is not known (SHFolder.dll is missing)");
  const bool perUser = !IsElevatedRun();
  wchar_t base[MAX_PATH] = {};
  if (folderPath(nullptr, perUser ? CSIDL_LOCAL_APPDATA : CSIDL_COMMON_APPDATA, nullptr,
                 SHGFP_TYPE_CURRENT, base) != S_OK || !base[0])
    return Failed(BackupPlaceOutcome::NoBaseFolder, L"the folder for application data is not known");
  return OpenBelow(base, perUser);
}

BackupPlaceResult BackupRoot::OpenBelow(const std::wstring& base, bool perUser) {
  purgon_.Release();
  backups_.Release();
  perUser_ = perUser;
  const std::wstring parent = WithoutTrailingBackslashes(base);
  if (parent.empty())
    return Failed(BackupPlaceOutcome::NoBaseFolder, L"the folder for application data is not known");
  const std::wstring purgon = parent + L"\\" + kPurgonFolder;
  BackupPlaceResult result = MakeOrOpen(purgon, L"the folder", perUser, purgon_);
  if (result.ok()) result = MakeOrOpen(purgon + L"\\" + kBackupsFolder, L"the backups folder", perUser, backups_);
  if (!result.ok()) purgon_.Release();
  return result;
}

BackupPlaceResult BackupRoot::MakeBackupFolder(const SYSTEMTIME& utc, CheckedFolder& folder) const {
  folder.Release();
  if (path().empty()) return Failed(BackupPlaceOutcome::NoBaseFolder, L"the backups folder is not open");
  const BackupTime time = BackupTimeOf(utc);
  for (unsigned number = 1; number <= kMaxBackupsPerSecond; ++number) {
    const std::string name = BackupNameFor(time, number);
    if (name.empty()) return Failed(BackupPlaceOutcome::BadName, L"the time of the backup is not a date");
    const std::wstring candidate = path() + WidenAscii(name);
    // A name whose restored form exists is taken too: renaming after a restore never fails.
    if (PathExists(candidate + WidenAscii(kRestoredSuffix))) continue;
    bool existed = false;
    const BackupPlaceResult made = MakeFolder(candidate, L"the backup", perUser_, existed);
    if (existed) continue;  // only a folder made now is this run's backup
    return made.ok() ? folder.Open(candidate, L"the backup") : made;
  }
  return Failed(BackupPlaceOutcome::NotMade, L"no free backup name is left in " + path(), ERROR_ALREADY_EXISTS);
}

std::vector<std::string> BackupRoot::ListBackups() const {
  std::vector<std::string> names;
  std::vector<ListedEntry> entries;
  if (!backups_.handle() || !NtSucceeded(ListFolder(backups_.handle(), L"*", entries))) return names;
  for (const ListedEntry& entry : entries) {
    std::string name;
    BackupName parsed;
    if (entry.IsFolder() && AsciiName(entry.name.c_str(), name) && ParseBackupName(name, parsed))
      names.push_back(name);
  }
  return names;
}

BackupPlaceResult BackupRoot::OpenBackup(const std::string& name, CheckedFolder& folder) const {
  folder.Release();
  if (path().empty()) return Failed(BackupPlaceOutcome::NoBaseFolder, L"the backups folder is not open");
  const std::string chosen = name.empty() ? NewestBackupName(ListBackups()) : name;
  if (chosen.empty()) return Failed(BackupPlaceOutcome::NoBackup, L"there is no backup in " + path());
  BackupName parsed;
  if (!ParseBackupName(chosen, parsed))
    return Failed(BackupPlaceOutcome::BadName,
                  L"a backup is named for its time: YYYYMMDD-HHMMSS, with .2, .3, ... after it for later ones");
  BackupPlaceResult result = folder.Open(path() + WidenAscii(chosen), L"the backup");
  if (result.outcome == BackupPlaceOutcome::Unreadable &&
      (result.error == ERROR_FILE_NOT_FOUND || result.error == ERROR_PATH_NOT_FOUND))
    return Failed(BackupPlaceOutcome::NoBackup, L"there is no backup " + WidenAscii(chosen) + L" in " + path());
  return result;
}

bool BackupRoot::CreateProtectedFile(const std::wstring& path, KernelHandle& file) const {
  ProtectedSecurity descriptor(FolderAccounts(perUser_));
  if (!descriptor.get()) return false;
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor.get(), FALSE};
  file.Reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &attributes, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}
