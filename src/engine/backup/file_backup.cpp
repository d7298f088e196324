// The files' part of a backup and of its restore, side by side: every file a removal deletes is
// moved into the backup's files folder (copied with its owner and DACL from another volume,
// never a file with other names), every folder kept as an empty folder; the restore walks them
// by handle and puts each back where the removal found it (restore_places.h).
#include <windows.h>

#include <algorithm>
#include <vector>

#include "engine/backup/backup_layout.h"
#include "engine/backup/backup_writer.h"
#include "engine/backup/restorer.h"
#include "engine/core/cleanup_context.h"
#include "engine/core/handles.h"
#include "engine/files/file_calls.h"
#include "engine/files/file_copy.h"
#include "engine/files/nt_files.h"
#include "engine/files/path_facts.h"
#include "engine/files/path_walk.h"
#include "engine/text/wide_text.h"

namespace {

// Opens the folder `relative` (names separated by backslashes) below the open folder `base`,
// making each folder that is missing.
bool OpenOrMakeBelow(const FileCalls& files, HANDLE base, const std::wstring& relative, KernelHandle& folder) {
  KernelHandle at;
  HANDLE current = base;
  for (size_t start = 0; start < relative.size();) {
    size_t end = relative.find(L'\\', start);
    if (end == std::wstring::npos) end = relative.size();
    const std::wstring name = relative.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    KernelHandle next;
    NtStatus status = files.openChild(current, name, kFolderToFill, next);
    if (IsGoneStatus(status)) {
      KernelHandle made;
      status = CreateChildFolder(current, name, made);
      if (NtSucceeded(status)) {
        made.Reset();
        status = files.openChild(current, name, kFolderToFill, next);
      }
    }
    if (!NtSucceeded(status)) return false;
    at = std::move(next);
    current = at.get();
  }
  folder = at ? std::move(at) : KernelHandle();
  return static_cast<bool>(folder);
}

// The same file: both ids read and equal.
bool SameFile(HANDLE a, HANDLE b) {
  LONGLONG first = 0, second = 0;
  return ReadOpenedFileId(a, first) && ReadOpenedFileId(b, second) && first == second;
}

// A kept folder, held while it is walked: it can be neither renamed nor replaced meanwhile.
const OpenMode& kKeptFolder = kHeldFolder;

std::wstring ParentOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

}  // namespace

// The folder inside the backup that keeps `path` (made when missing), open, and the name
// `path` has in it.
bool BackupWriter::OpenKeptFolder(const std::wstring& path, KernelHandle& folder, std::wstring& name) {
  std::string kept;
  if (!Ready() || !KeptPathOf(Utf8Of(path), kept)) return false;
  const std::wstring relative = Widen(kBackupFilesFolder) + L"\\" + WideOfUtf8(kept);
  const size_t slash = relative.rfind(L'\\');
  name = relative.substr(slash + 1);
  return OpenOrMakeBelow(run_.files, folder_.handle(), relative.substr(0, slash), folder);
}

// A file that cannot be moved into the backup: copied, with its owner and DACL. The copy is
// read through a handle of its own, made sure to be the file opened for deletion.
BackupWriter::FileKept BackupWriter::CopyToOtherVolume(const OpenedEntry& entry, HANDLE folder,
                                                       const std::wstring& name) {
  DWORD links = 0;
  if (!ReadOpenedLinkCount(entry.handle, links)) return FileKept::Failed;
  if (links > 1) return FileKept::Linked;
  privileges_.Enable();  // another account's file keeps its owner
  KernelHandle source;
  if (!NtSucceeded(run_.files.openChild(entry.parent, entry.name, kFileToCopy, source)) ||
      !SameFile(source.get(), entry.handle) || !CopyOpenedFile(source.get(), folder, name))
    return FileKept::Failed;
  if (NtSucceeded(run_.files.deleteOpened(entry.handle, entry.path))) return FileKept::Kept;
  KernelHandle copy;
  if (NtSucceeded(run_.files.openChild(folder, name, kEntryToDelete, copy))) run_.files.deleteOpened(copy.get(), name);
  return FileKept::Failed;
}

BackupWriter::FileKept BackupWriter::KeepFile(const OpenedEntry& entry) {
  // Windows 9x makes no backup (backup_root.h): its entries come without a handle.
  if (!entry.handle || !Ready()) return FileKept::Failed;
  DWORD attributes = 0;
  if (!ReadOpenedAttributes(entry.handle, attributes) || (attributes & FILE_ATTRIBUTE_READONLY))
    return FileKept::Failed;
  KernelHandle folder;
  std::wstring name;
  if (!OpenKeptFolder(entry.path, folder, name) || IsEntryThere(run_.files, folder.get(), name)) return FileKept::Failed;
  const NtStatus moved = MoveOpenedInto(entry.handle, folder.get(), name);
  if (NtSucceeded(moved)) return FileKept::Kept;
  if (moved != kStatusNotSameDevice) return FileKept::Failed;
  return CopyToOtherVolume(entry, folder.get(), name);
}

bool BackupWriter::KeepFolder(const std::wstring& path) {
  if (!Ready()) return false;
  std::string kept;
  if (!KeptPathOf(Utf8Of(path), kept)) return false;
  KernelHandle folder;
  return OpenOrMakeBelow(run_.files, folder_.handle(), Widen(kBackupFilesFolder) + L"\\" + WideOfUtf8(kept), folder);
}

void Restorer::RestoreFiles() {
  const std::wstring name = Widen(kBackupFilesFolder);
  KernelHandle files;
  const NtStatus opened = run_.files.openChild(backup_, name, kKeptFolder, files);
  if (IsGoneStatus(opened)) return;  // only keys kept
  if (!NtSucceeded(opened)) return Report(LOG_RESTORE_DIR, false, folder_ + name + L"\\");
  privileges_.Enable();  // a file copied back keeps another account as its owner
  RestoreFolder(files.get(), folder_ + name + L"\\", std::string());
}


// `folder` is the kept folder at `kept` (ending in a backslash), walked by handle as the
// removal walks a tree; `relative` is its path below the files folder (UTF-8). What a
// removal cannot have put here (a link, a name that leads nowhere) is not put back.
void Restorer::RestoreFolder(HANDLE folder, const std::wstring& kept, const std::string& relative) {
  std::vector<ListedEntry> entries;
  const NtStatus listed = run_.files.listFolder(folder, L"*", entries, kept);
  if (!NtSucceeded(listed) && listed != kStatusNoSuchFile) return Report(LOG_RESTORE_DIR, false, kept);
  for (const ListedEntry& entry : entries) {
    const std::wstring keptEntry = kept + entry.name;
    const std::string entryRelative =
        relative.empty() ? Utf8Of(entry.name) : relative + "\\" + Utf8Of(entry.name);
    std::string original;
    const bool placed = OriginalPathOf(entryRelative, original);
    if (entry.IsLink() || (!entry.IsFolder() && !placed)) {
      Report(entry.IsFolder() ? LOG_RESTORE_DIR : LOG_RESTORE_FILE, false, keptEntry);
    } else if (entry.IsFolder()) {
      // The drive, or the server and share of a network path, are only walked through.
      if (placed) PutFolderBack(WideOfUtf8(original));
      RestoreKeptFolder(folder, entry, keptEntry, entryRelative);
    } else {
      KernelHandle file;
      const bool opened = NtSucceeded(OpenListed(run_.files, folder, entry, kKeptFile, file));
      const std::wstring path = WideOfUtf8(original);
      Report(LOG_RESTORE_FILE, opened && PutFileBack(file.get(), path) == PutBack::Done, path);
    }
  }
}

// The kept folder `entry` of `parent`: what it holds goes back, then the folder itself goes
// from the backup when it is empty (what stays was not put back).
void Restorer::RestoreKeptFolder(HANDLE parent, const ListedEntry& entry, const std::wstring& keptEntry,
                       const std::string& relative) {
  {
    KernelHandle folder;
    if (!NtSucceeded(OpenListed(run_.files, parent, entry, kKeptFolder, folder)))
      return Report(LOG_RESTORE_DIR, false, keptEntry + L"\\");
    RestoreFolder(folder.get(), keptEntry + L"\\", relative);
  }
  KernelHandle emptied;
  if (!preview_ && NtSucceeded(OpenListed(run_.files, parent, entry, kEntryToDelete, emptied)))
    run_.files.deleteOpened(emptied.get(), keptEntry);
}

// Drive letters and the server and share of a network path are only walked through; a
// folder is reported when it is made, or when it cannot be.
void Restorer::PutFolderBack(const std::wstring& original) {
  if (original.compare(0, 2, L"\\\\") == 0 && std::count(original.begin(), original.end(), L'\\') < 4)
    return;
  PutBack put = PutBack::Done;
  if (!MadeInPreview(ParentOf(original))) put = MakeFolderBack(run_, original, mode_);
  if (preview_ && put == PutBack::Done) made_.MarkMade(Utf8Of(original), false);
  if (put != PutBack::There) Report(LOG_RESTORE_DIR, put == PutBack::Done, original + L"\\");
}

// A preview makes no folder: what goes into one it counts as made is not looked up.
PutBack Restorer::PutFileBack(HANDLE kept, const std::wstring& original) {
  if (!MadeInPreview(ParentOf(original))) return MoveFileBack(run_, kept, original, mode_);
  return IsOnFixedLocalDrive(original) ? PutBack::Done : PutBack::Refused;
}

bool Restorer::MadeInPreview(const std::wstring& folder) const { return preview_ && made_.IsMade(Utf8Of(folder)); }

