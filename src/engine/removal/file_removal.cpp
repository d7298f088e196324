#include "engine/removal/file_removal.h"

#include <windows.h>

#include "engine/removal/change_gate.h"
#include "engine/core/cleanup_context.h"
#include "engine/files/file_calls.h"
#include "engine/files/files_9x.h"
#include "engine/removal/file_removal_9x.h"
#include "engine/safety/protected_folders.h"
#include "engine/core/handles.h"
#include "engine/files/nt_files.h"
#include "engine/files/path_walk.h"
#include "engine/text/wide_text.h"

namespace {

const DWORD kRefused = Outcome::kErrorRefused;

// Reports the failure with its reason and hands the reason on.
DWORD ReportFailed(int kind, const std::wstring& path, DWORD error) {
  TheCleanupContext().ReportResult(kind, Outcome::Failed(error), LogText(path));
  return error;
}

DWORD ReportDirFailed(const std::wstring& path, DWORD error) { return ReportFailed(LOG_DIR, path, error); }

bool IsNetworkPath(const std::wstring& path) {
  return path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') &&
         (path[1] == L'\\' || path[1] == L'/');
}

// Why a look-up and open was refused: the open's reason, or the program's own refusal.
DWORD RefusalError(const ListedOpen& found) {
  return NtSucceeded(found.status) ? kRefused : ErrorOfStatus(found.status);
}

// Deletes the open entry through the change gate.
DWORD DeleteThroughGate(HANDLE entry, HANDLE parent, const std::wstring& name, int kind,
                        const std::wstring& path) {
  return TheChangeGate().Delete(OpenedEntry{entry, parent, name, kind, path}).error();
}

// Opens `name` of `parent` to delete it and deletes it through the change gate. An entry that
// is gone is passed over; one that is there but cannot be opened is reported as failed. Inside
// a tree walk, where `name` is the listing's own spelling, opened as given.
DWORD RemoveChild(HANDLE parent, const std::wstring& name, int kind, EntryKind entryKind,
                  const std::wstring& path) {
  OpenMode mode = kEntryToDelete;
  mode.kind = entryKind;
  KernelHandle entry;
  const NtStatus opened = TheFileCalls().openChild(parent, name, mode, entry);
  if (IsAbsent(opened)) return ERROR_SUCCESS;
  if (!NtSucceeded(opened)) return ReportFailed(kind, path, ErrorOfStatus(opened));
  return DeleteThroughGate(entry.get(), parent, name, kind, path);
}

// The same for a name the program asked for: the entry is the one its folder's listing shows
// under that name, and the object opened is that entry.
DWORD RemoveNamedChild(const Holder& at, int kind, EntryKind entryKind, const std::wstring& path) {
  OpenMode mode = kEntryToDelete;
  mode.kind = entryKind;
  KernelHandle entry;
  const ListedOpen found = LookUpAndOpen(at.folder.get(), at.folderPath, at.name, mode, entry);
  if (found.reach == Reach::Gone) return ERROR_SUCCESS;
  if (found.reach != Reach::Reached) return ReportFailed(kind, path, RefusalError(found));
  return DeleteThroughGate(entry.get(), at.folder.get(), found.entry.name, kind, path);
}

// The walk below a held folder: every entry by the name its listing gave, relative to the
// folder's handle; folders depth first, links removed as links, the folder itself last.
// It keeps the reason of the first failure.
class TreeWalk {
 public:
  DWORD firstError() const { return first_; }

  // Empties the held `folder` (named `name` in `parent`, with the path `path` ending in a
  // backslash, `held` its information as read through that handle) and removes it.
  void EmptyAndRemove(HANDLE parent, const std::wstring& name, KernelHandle folder,
                      const BY_HANDLE_FILE_INFORMATION& held, const std::wstring& path) {
    std::vector<ListedEntry> entries;
    const NtStatus listed = TheFileCalls().listFolder(folder.get(), L"*", entries, path);
    if (!NtSucceeded(listed) && listed != kStatusNoSuchFile) return Note(ReportDirFailed(path, ErrorOfStatus(listed)));
    std::wstring entryPath = path;
    for (const ListedEntry& entry : entries) {
      entryPath.resize(path.size());
      entryPath += entry.name;
      if (!entry.IsFolder()) {
        Note(RemoveChild(folder.get(), entry.name, LOG_FILE, EntryKind::File, entryPath));
      } else if (entry.IsLink()) {
        Note(RemoveChild(folder.get(), entry.name, LOG_DIR, EntryKind::Any, entryPath + L"\\"));
      } else {
        Enter(folder.get(), held, entry, entryPath + L"\\");
      }
    }
    // Let go just before the folder itself goes, then open it again as itself from its
    // parent: a folder that is not the one emptied (swapped meanwhile) is not removed.
    folder.Reset();
    KernelHandle again;
    const NtStatus opened = TheFileCalls().openChild(parent, name, kEntryToDelete, again);
    if (IsAbsent(opened)) return;
    BY_HANDLE_FILE_INFORMATION now;
    if (!NtSucceeded(opened)) return Note(ReportDirFailed(path, ErrorOfStatus(opened)));
    if (!ReadOpenedInfoWithin(again.get(), held, now)) return Note(ReportDirFailed(path, GetLastError()));
    if (!SameObject(held, now)) return Note(ReportDirFailed(path, kRefused));
    Note(TheChangeGate().Delete(OpenedEntry{again.get(), parent, name, LOG_DIR, path}).error());
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
    const NtStatus opened = TheFileCalls().openChild(parent, entry.name, kHeldFolder, folder);
    if (IsAbsent(opened)) return;
    BY_HANDLE_FILE_INFORMATION info;
    if (!NtSucceeded(opened)) return Note(ReportDirFailed(path, ErrorOfStatus(opened)));
    if (!ReadOpenedInfoWithin(folder.get(), within, info)) return Note(ReportDirFailed(path, GetLastError()));
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {  // a link since the listing
      folder.Reset();
      return Note(RemoveChild(parent, entry.name, LOG_DIR, EntryKind::Any, path));
    }
    if (!IsListedOne(entry, info) || IsProtectedFolder(info)) return Note(ReportDirFailed(path, kRefused));
    EmptyAndRemove(parent, entry.name, std::move(folder), info, path);
  }

  DWORD first_ = ERROR_SUCCESS;
};

bool ExistsAsGiven(const std::wstring& path) {
  if (!HasNtFileCalls()) return Win9xExists(path);
  KernelHandle folder;
  return OpenFolder(path, folder) != Reach::Gone;
}

// What a removal returns for a path it could not reach: nothing for one that is not there, a
// failed line of `kind` for one refused on the way.
DWORD Unreached(Reach reach, int kind, const std::wstring& path) {
  switch (reach) {
    case Reach::Gone: return ERROR_SUCCESS;
    case Reach::Refused: return ReportFailed(kind, path, kRefused);
    default: return ERROR_INVALID_NAME;
  }
}

// The folder a removal names, reached, checked and removed.
DWORD RemoveNamedTree(const std::wstring& path) {
  Holder at;
  const Reach reach = ReachHolder(path, at);
  if (reach != Reach::Reached) return Unreached(reach, LOG_DIR, path);
  const KernelHandle& parent = at.folder;
  KernelHandle folder;
  const ListedOpen found = LookUpAndOpen(parent.get(), at.folderPath, at.name, kHeldFolder, folder);
  if (found.reach == Reach::Gone) return ERROR_SUCCESS;  // not there, or a file: no folder of that name
  if (found.reach != Reach::Reached) return ReportDirFailed(path, RefusalError(found));
  const std::wstring& name = found.entry.name;
  // Read once for every check below: under Wine each reading is a round trip to another process.
  BY_HANDLE_FILE_INFORMATION info;
  const bool read = ReadOpenedInfo(folder.get(), info);
  if (found.entry.IsLink() || (read && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
    folder.Reset();  // only the link itself may go
    return RemoveNamedChild(at, LOG_DIR, EntryKind::Any, path);
  }
  if (!read) return ReportDirFailed(path, GetLastError());
  if (IsProtectedFolder(info)) return ReportDirFailed(path, kRefused);
  TreeWalk walk;
  walk.EmptyAndRemove(parent.get(), name, std::move(folder), info, path);
  return walk.firstError();
}

}  // namespace

DWORD RemoveFile(const std::wstring& path) {
  if (!HasNtFileCalls()) return Win9xRemoveFile(path);
  Holder at;
  const Reach reach = ReachHolder(path, at);
  if (reach != Reach::Reached) return Unreached(reach, LOG_FILE, path);
  return RemoveNamedChild(at, LOG_FILE, EntryKind::File, path);
}

bool ListDirectory(const std::wstring& pattern, std::vector<std::wstring>& names,
                   Unlistable unlistable) {
  // Only a preview passes over what it counted as gone; a removal lists the names as they are.
  const ChangeGate& gate = TheChangeGate();
  const std::wstring folderPath = pattern.substr(0, pattern.rfind(L'\\') + 1);
  if (folderPath.empty() || gate.IsPathGone(folderPath)) return false;
  if (!gate.IsPreview()) return ListFolderNames(pattern, names, unlistable);  // no path built per name
  std::vector<std::wstring> listed;
  const bool whole = ListFolderNames(pattern, listed, unlistable);
  for (const std::wstring& name : listed)
    if (!gate.IsPathGone(folderPath + name)) names.push_back(name);
  return whole;
}

DWORD RemoveDirTree(const std::wstring& directory) {
  if (directory.empty()) return ERROR_INVALID_NAME;
  // A bad registry value or a short path must never take a drive or a system folder. The
  // check comes first, so that a refused network path is never even looked at; a refused
  // local folder that is not there leaves no trace, like any missing folder.
  if (IsProtectedTree(directory)) {
    if (IsNetworkPath(directory) || ExistsAsGiven(directory)) return ReportDirFailed(directory, kRefused);
    return ERROR_SUCCESS;
  }
  // Names are appended to the path directly: without its backslash, "C:\a" + "x" would name
  // the neighbour "C:\ax".
  std::wstring path = directory;
  if (path.back() != L'\\') path += L'\\';
  if (TheChangeGate().IsPathGone(path)) return ERROR_SUCCESS;  // nothing below it is looked at again
  if (!HasNtFileCalls()) return Win9xRemoveDirTree(path);
  return RemoveNamedTree(path);
}

DWORD RemoveFile(const std::string& path) { return RemoveFile(Widen(path)); }

DWORD RemoveDirTree(const std::string& directory) { return RemoveDirTree(Widen(directory)); }
