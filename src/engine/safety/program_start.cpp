#include "engine/safety/program_start.h"

#include "engine/core/sids.h"
#include "engine/files/change_rights.h"
#include "engine/files/files_9x.h"
#include "engine/files/folder_ids.h"
#include "engine/files/nt_files.h"
#include "engine/files/path_walk.h"

namespace {

// The groups every user is in, and how the report names them.
struct EveryUserGroup {
  WellKnownSid sid;
  const wchar_t* name;
};
const EveryUserGroup kEveryUser[] = {
    {WellKnownSid::Everyone, L"Everyone"},
    {WellKnownSid::Users, L"Users"},
    {WellKnownSid::AuthenticatedUsers, L"Authenticated Users"},
    {WellKnownSid::Interactive, L"INTERACTIVE"},
};

// What lets a user change the program that is started. The file: write or append to it,
// delete it, change its permissions or owner.
const ACCESS_MASK kFileRights =
    FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
// Its folder: put a file beside it (a DLL is looked for there first) or a folder (a ".local"
// redirection), delete or rename anything in it, or the folder itself.
const ACCESS_MASK kFolderRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE |
                                  WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
// A folder further up: rename or delete the folder on the way, or change who may. Making a
// new folder there changes nothing on the way (a drive root lets every user do that).
const ACCESS_MASK kAboveRights = FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_ALL;

// A folder passed through, held: it can be neither renamed nor deleted until it is let go,
// and its permissions can be read.
const OpenMode kHeldOnTheWay = {FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, EntryKind::Folder,
                                LinkHandling::AsItself};
// The program: nobody may write, rename or delete it while it is held; it can still be run.
const OpenMode kHeldProgram = {GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, EntryKind::File,
                               LinkHandling::AsItself};

// The group of every user that the open object's DACL lets change it (one of `rights`);
// empty when none. A DACL that cannot be read is as bad as one that grants: what cannot be
// checked is refused.
std::wstring UsersGranted(HANDLE object, ACCESS_MASK rights) {
  const auto onlySomeUsers = [](PSID sid) {
    for (const EveryUserGroup& group : kEveryUser)
      if (IsSid(sid, group.sid)) return false;
    return true;
  };
  SecurityBytes descriptor;
  const ChangeGrant grant = FindChangeGrant(object, rights, onlySomeUsers, descriptor);
  switch (grant.verdict) {
    case ChangeVerdict::NobodyElse:
      return std::wstring();
    case ChangeVerdict::NoDacl:
      return L"Everyone may change";
    case ChangeVerdict::Unreadable:
      return L"nobody can tell who may change";
    default:
      break;
  }
  for (const EveryUserGroup& group : kEveryUser)
    if (grant.account && IsSid(grant.account, group.sid)) return std::wstring(group.name) + L" may change";
  return L"an entry of a kind not checked here may let anyone change";
}

// Why the open folder or file at `path` makes the program unsafe to start; empty when it does
// not. A folder is judged by what it is and by its permissions.
std::wstring Objection(HANDLE object, const std::wstring& path, ACCESS_MASK rights, const FolderIdSet* userPlaces) {
  if (userPlaces) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!ReadOpenedInfo(object, info)) return L"nobody can tell what " + path + L" is";
    if (userPlaces->Holds(info)) return L"it lies in " + path + L", where users may write";
  }
  const std::wstring granted = UsersGranted(object, rights);
  return granted.empty() ? granted : granted + L" " + path;
}

}  // namespace

std::wstring CheckedProgram::Check(const std::wstring& path, const FileCalls& files, SafetyNet& safety) {
  held_.clear();
  found_ = checked_ = false;
  path_ = path;
  folder_ = path.substr(0, path.rfind(L'\\') + 1);
  if (!HasNtFileCalls()) {
    // Windows 9x has one account and no permissions: nothing runs with rights another program
    // of the user lacks, so there is nothing to check.
    found_ = Win9xExists(path);
    checked_ = found_;
    return std::wstring();
  }
  const std::wstring objection = CheckOnNt(path, files, safety);
  if (!objection.empty() || !found_) held_.clear();
  checked_ = found_ && objection.empty();
  return objection;
}

std::wstring CheckedProgram::CheckOnNt(const std::wstring& path, const FileCalls& files, SafetyNet& safety) {
  const FolderIdSet* userPlaces = &safety.UserPlaces();
  PathSteps steps;
  if (!SplitFullPath(path, steps) || steps.names.empty()) return path + L" is not a full path";
  KernelHandle at;
  const NtStatus root = OpenRoot(steps.root, kHeldOnTheWay, at);
  if (IsAbsent(root)) return std::wstring();
  if (!NtSucceeded(root)) return steps.root + L" cannot be opened";
  std::wstring folderPath = steps.root;
  for (size_t i = 0;; ++i) {
    const bool holdsProgram = i + 1 == steps.names.size();
    const std::wstring objection =
        Objection(at.get(), folderPath, holdsProgram ? kFolderRights : kAboveRights, userPlaces);
    if (!objection.empty()) return objection;
    held_.push_back(std::move(at));
    if (holdsProgram) break;
    switch (StepInto(files, held_.back().get(), folderPath, steps.names[i], kHeldOnTheWay, at)) {
      case Reach::Reached: break;
      case Reach::Gone: return std::wstring();
      default: return L"the way to it leads through " + folderPath + steps.names[i] + L", a link a user made or a folder that cannot be opened";
    }
    folderPath += steps.names[i] + L"\\";
  }
  KernelHandle file;
  const ListedOpen program =
      LookUpAndOpen(files, held_.back().get(), folderPath, steps.names.back(), kHeldProgram, file);
  if (program.reach == Reach::Gone) return std::wstring();
  found_ = true;
  if (program.reach != Reach::Reached) return path + L" cannot be opened as its folder lists it";
  if (program.entry.IsLink()) return path + L" is a link";
  const std::wstring objection = Objection(file.get(), path, kFileRights, nullptr);
  if (objection.empty()) held_.push_back(std::move(file));
  return objection;
}

bool CheckedProgram::StartAndWait(const std::wstring& arguments, DWORD waitMs) {
  if (!checked_) return false;
  KernelHandle process;
  if (!HasNtFileCalls()) {
    Win9xStart(path_, arguments, folder_, process);
  } else {
    // The command line is written into by the call.
    std::wstring line = L"\"" + path_ + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (CreateProcessW(path_.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                       &startup, &started)) {
      KernelHandle thread(started.hThread);  // not waited for
      process.Reset(started.hProcess);
    }
  }
  if (process) WaitForSingleObject(process.get(), waitMs);
  held_.clear();
  checked_ = false;
  return static_cast<bool>(process);
}
