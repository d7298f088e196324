// The file and folder primitives of the remover (remover.h).
#include <windows.h>

#include "engine/core/cleanup_context.h"
#include "engine/core/handles.h"
#include "engine/files/file_calls.h"
#include "engine/files/files_9x.h"
#include "engine/files/folder_listing.h"
#include "engine/files/nt_files.h"
#include "engine/files/path_walk.h"
#include "engine/removal/file_removal_9x.h"
#include "engine/removal/remover.h"
#include "engine/text/wide_text.h"

namespace {

const DWORD kRefused = Outcome::kErrorRefused;

// Reports the failure with its reason and hands the reason on.
DWORD ReportFailed(RunContext& run, LogKind kind, const std::wstring& path, DWORD error) {
  run.report.ReportResult(kind, Outcome::Failed(error), LogText(path));
  return error;
}

DWORD ReportDirFailed(RunContext& run, const std::wstring& path, DWORD error) {
  return ReportFailed(run, LOG_DIR, path, error);
}

bool IsNetworkPath(const std::wstring& path) {
  return path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/');
}

// Why a look-up and open was refused: the open's reason, or the program's own refusal.
DWORD RefusalError(const ListedOpen& found) {
  return NtSucceeded(found.status) ? kRefused : ErrorOfStatus(found.status);
}

// Deletes the open entry as the run's policy says.
DWORD DeleteAsThePolicySays(RunContext& run, HANDLE entry, HANDLE parent, const std::wstring& name,
                            LogKind kind, const std::wstring& path) {
  return run.policy().Delete(OpenedEntry{entry, parent, name, kind, path}).error();
}

// Opens `name` of `parent` to delete it and deletes it as the policy says. An entry that is
// gone is passed over; one that is there but cannot be opened is reported as failed. Inside a
// tree walk, where `name` is the listing's own spelling, opened as given.
DWORD RemoveChild(RunContext& run, HANDLE parent, const std::wstring& name, LogKind kind, EntryKind entryKind,
                  const std::wstring& path) {
  OpenMode mode = kEntryToDelete;
  mode.kind = entryKind;
  KernelHandle entry;
  const NtStatus opened = run.files.openChild(parent, name, mode, entry);
  if (IsAbsent(opened)) return ERROR_SUCCESS;
  if (!NtSucceeded(opened)) return ReportFailed(run, kind, path, ErrorOfStatus(opened));
  return DeleteAsThePolicySays(run, entry.get(), parent, name, kind, path);
}

// The same for an entry looked up in its folder's listing: the object opened is that entry.
DWORD RemoveListedChild(RunContext& run, const Holder& at, const ListedEntry& listed, LogKind kind,
                        EntryKind entryKind, const std::wstring& path) {
  OpenMode mode = kEntryToDelete;
  mode.kind = entryKind;
  KernelHandle entry;
  const NtStatus opened = OpenListed(run.files, at.folder.get(), listed, mode, entry);
  if (IsAbsent(opened)) return ERROR_SUCCESS;
  if (!NtSucceeded(opened)) return ReportFailed(run, kind, path, ErrorOfStatus(opened));
  return DeleteAsThePolicySays(run, entry.get(), at.folder.get(), listed.name, kind, path);
}

// The same for a name the program asked for: the entry is the one its folder's listing shows
// under that name.
DWORD RemoveNamedChild(RunContext& run, const Holder& at, LogKind kind, EntryKind entryKind,
                       const std::wstring& path) {
  ListedEntry listed;
  switch (LookUp(run.files, at.folder.get(), at.folderPath, at.name, listed)) {
    case Looked::Missing: return ERROR_SUCCESS;
    case Looked::Refused: return ReportFailed(run, kind, path, kRefused);
    case Looked::Found: break;
  }
  return RemoveListedChild(run, at, listed, kind, entryKind, path);
}

// The walk below a held folder: every entry by the name its listing gave, relative to the
// folder's handle; folders depth first, links removed as links, the folder itself last.
// It keeps the reason of the first failure.
class TreeWalk {
 public:
  explicit TreeWalk(RunContext& run) : run_(run) {}
  DWORD firstError() const { return first_; }

  // Empties the held `folder` (named `name` in `parent`, with the path `path` ending in a
  // backslash, `held` its information as read through that handle) and removes it.
  void EmptyAndRemove(HANDLE parent, const std::wstring& name, KernelHandle folder,
                      const BY_HANDLE_FILE_INFORMATION& held, const std::wstring& path) {
    std::vector<ListedEntry> entries;
    const NtStatus listed = run_.files.listFolder(folder.get(), L"*", entries, path);
    if (!NtSucceeded(listed) && listed != kStatusNoSuchFile)
      return Note(ReportDirFailed(run_, path, ErrorOfStatus(listed)));
    std::wstring entryPath = path;
    for (const ListedEntry& entry : entries) {
      entryPath.resize(path.size());
      entryPath += entry.name;
      if (!entry.IsFolder()) {
        Note(RemoveChild(run_, folder.get(), entry.name, LOG_FILE, EntryKind::File, entryPath));
      } else if (entry.IsLink()) {
        Note(RemoveChild(run_, folder.get(), entry.name, LOG_DIR, EntryKind::Any, entryPath + L"\\"));
      } else {
        Enter(folder.get(), held, entry, entryPath + L"\\");
      }
    }
    // Let go just before the folder itself goes, then open it again as itself from its
    // parent: a folder that is not the one emptied (swapped meanwhile) is not removed.
    folder.Reset();
    KernelHandle again;
    const NtStatus opened = run_.files.openChild(parent, name, kEntryToDelete, again);
    if (IsAbsent(opened)) return;
    BY_HANDLE_FILE_INFORMATION now;
    if (!NtSucceeded(opened)) return Note(ReportDirFailed(run_, path, ErrorOfStatus(opened)));
    if (!ReadOpenedInfoWithin(again.get(), held, now)) return Note(ReportDirFailed(run_, path, GetLastError()));
    if (!SameObject(held, now)) return Note(ReportDirFailed(run_, path, kRefused));
    Note(DeleteAsThePolicySays(run_, again.get(), parent, name, LOG_DIR, path));
  }

 private:
  void Note(DWORD error) {
    if (first_ == ERROR_SUCCESS) first_ = error;
  }

  static bool SameObject(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber;
  }

  // The entry opened is the one listed: where the file system gives ids, they must agree
  // (under Wine a name swapped for a link opens what the link points at).
  static bool IsListedOne(const ListedEntry& entry, const BY_HANDLE_FILE_INFORMATION& info) {
    const ULONGLONG index = (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return entry.fileId == 0 || index == 0 || static_cast<ULONGLONG>(entry.fileId) == index;
  }

  // A folder of the tree (`within` the information of its parent): held open, checked,
  // emptied and removed.
  void Enter(HANDLE parent, const BY_HANDLE_FILE_INFORMATION& within, const ListedEntry& entry,
             const std::wstring& path) {
    KernelHandle folder;
    const NtStatus opened = run_.files.openChild(parent, entry.name, kHeldFolder, folder);
    if (IsAbsent(opened)) return;
    BY_HANDLE_FILE_INFORMATION info;
    if (!NtSucceeded(opened)) return Note(ReportDirFailed(run_, path, ErrorOfStatus(opened)));
    if (!ReadOpenedInfoWithin(folder.get(), within, info)) return Note(ReportDirFailed(run_, path, GetLastError()));
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {  // a link since the listing
      folder.Reset();
      return Note(RemoveChild(run_, parent, entry.name, LOG_DIR, EntryKind::Any, path));
    }
    if (!IsListedOne(entry, info) || run_.safety.IsProtectedFolder(info))
      return Note(ReportDirFailed(run_, path, kRefused));
    EmptyAndRemove(parent, entry.name, std::move(folder), info, path);
  }

  RunContext& run_;
  DWORD first_ = ERROR_SUCCESS;
};

bool ExistsAsGiven(RunContext& run, const std::wstring& path) {
  if (!HasNtFileCalls()) return Win9xExists(path);
  KernelHandle folder;
  return OpenFolder(run.files, path, folder) != Reach::Gone;
}

// What a removal returns for a path it could not reach: nothing for one that is not there, a
// failed line of `kind` for one refused on the way.
DWORD Unreached(RunContext& run, Reach reach, LogKind kind, const std::wstring& path) {
  switch (reach) {
    case Reach::Gone: return ERROR_SUCCESS;
    case Reach::Refused: return ReportFailed(run, kind, path, kRefused);
    default: return ERROR_INVALID_NAME;
  }
}

// The folder a removal names, reached, checked and removed.
DWORD RemoveNamedTree(RunContext& run, const std::wstring& path) {
  Holder at;
  const Reach reach = ReachHolder(run.files, path, at);
  if (reach != Reach::Reached) return Unreached(run, reach, LOG_DIR, path);
  const KernelHandle& parent = at.folder;
  KernelHandle folder;
  const ListedOpen found = LookUpAndOpen(run.files, parent.get(), at.folderPath, at.name, kHeldFolder, folder);
  if (found.reach == Reach::Gone) return ERROR_SUCCESS;  // not there, or a file: no folder of that name
  if (found.reach != Reach::Reached) return ReportDirFailed(run, path, RefusalError(found));
  const std::wstring& name = found.entry.name;
  // Read once for every check below: under Wine each reading is a round trip to another process.
  BY_HANDLE_FILE_INFORMATION info;
  const bool read = ReadOpenedInfo(folder.get(), info);
  if (found.entry.IsLink() || (read && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
    folder.Reset();  // only the link itself may go
    return RemoveListedChild(run, at, found.entry, LOG_DIR, EntryKind::Any, path);
  }
  if (!read) return ReportDirFailed(run, path, GetLastError());
  if (run.safety.IsProtectedFolder(info)) return ReportDirFailed(run, path, kRefused);
  TreeWalk walk(run);
  walk.EmptyAndRemove(parent.get(), name, std::move(folder), info, path);
  return walk.firstError();
}

}  // namespace

DWORD Remover::RemoveFile(const std::wstring& path) const {
  RunContext& run = *run_;
  if (!HasNtFileCalls()) return Win9xRemoveFile(run, path);
  Holder at;
  const Reach reach = ReachHolder(run.files, path, at);
  if (reach != Reach::Reached) return Unreached(run, reach, LOG_FILE, path);
  return RemoveNamedChild(run, at, LOG_FILE, EntryKind::File, path);
}

bool Remover::ListDirectory(const std::wstring& pattern, std::vector<std::wstring>& names,
                            bool reportUnlistable) const {
  // Only a preview passes over what it counted as gone; a removal lists the names as they are.
  const ChangePolicy& policy = this->policy();
  CleanupContext* unlistable = reportUnlistable ? &run_->report : nullptr;
  const std::wstring folderPath = pattern.substr(0, pattern.rfind(L'\\') + 1);
  if (folderPath.empty() || policy.IsPathGone(folderPath)) return false;
  if (!policy.ChangesNothing()) return ListFolderNames(run_->files, pattern, names, unlistable);
  std::vector<std::wstring> listed;
  const bool whole = ListFolderNames(run_->files, pattern, listed, unlistable);
  for (const std::wstring& name : listed)
    if (!policy.IsPathGone(folderPath + name)) names.push_back(name);
  return whole;
}

DWORD Remover::RemoveDirTree(const std::wstring& directory) const {
  RunContext& run = *run_;
  if (directory.empty()) return ERROR_INVALID_NAME;
  // A bad registry value or a short path must never take a drive or a system folder. The
  // check comes first, so that a refused network path is never even looked at; a refused
  // local folder that is not there leaves no trace, like any missing folder.
  if (run.safety.IsProtectedTree(directory)) {
    if (IsNetworkPath(directory) || ExistsAsGiven(run, directory)) return ReportDirFailed(run, directory, kRefused);
    return ERROR_SUCCESS;
  }
  // Names are appended to the path directly: without its backslash, "C:\a" + "x" would name
  // the neighbour "C:\ax".
  std::wstring path = directory;
  if (path.back() != L'\\') path += L'\\';
  if (policy().IsPathGone(path)) return ERROR_SUCCESS;  // nothing below it is looked at again
  if (!HasNtFileCalls()) return Win9xRemoveDirTree(run, path);
  return RemoveNamedTree(run, path);
}
