#pragma once
// The file system as the kernel's own calls reach it on Windows NT: a folder is held open,
// listed through its handle, and each entry is opened, checked and deleted relative to that
// handle by the exact name the listing gave. No path is resolved again, so nothing above or
// beside a held folder can be swapped in, and no length limit applies below it.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/core/handles.h"

typedef LONG NtStatus;
const NtStatus kStatusSuccess = 0;
const NtStatus kStatusNoMoreFiles = static_cast<NtStatus>(0x80000006);
const NtStatus kStatusNoSuchFile = static_cast<NtStatus>(0xC000000F);
const NtStatus kStatusAccessDenied = static_cast<NtStatus>(0xC0000022);
const NtStatus kStatusNameNotFound = static_cast<NtStatus>(0xC0000034);
const NtStatus kStatusPathNotFound = static_cast<NtStatus>(0xC000003A);
const NtStatus kStatusNameInvalid = static_cast<NtStatus>(0xC0000033);
const NtStatus kStatusNotSameDevice = static_cast<NtStatus>(0xC00000D4);
const NtStatus kStatusNotImplemented = static_cast<NtStatus>(0xC0000002);
// The program's own (customer bit): the object opened is not the one listed. Its Windows
// error is Outcome::kErrorRefused.
const NtStatus kStatusNotSameObject = static_cast<NtStatus>(0xE0000001);

inline bool NtSucceeded(NtStatus status) { return status >= 0; }
// The status of something that is not there (any more): passed over, never reported.
bool IsGoneStatus(NtStatus status);

// An entry as a folder's listing gave it.
struct ListedEntry {
  std::wstring name;
  DWORD attributes = 0;
  LONGLONG fileId = 0;  // 0 when the file system gives none
  bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

// True on Windows NT, where the kernel's file calls exist.
bool HasNtFileCalls();

// How an entry is opened.
enum class EntryKind { Folder, File, Any };
enum class LinkHandling { AsItself, Follow };

// Others may read, write and delete meanwhile.
const ULONG kShareAllAccess = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Access and sharing for each use of a handle.
struct OpenMode {
  ACCESS_MASK access;
  ULONG share;
  EntryKind kind;
  LinkHandling links;
};
// A folder passed through on the way to another: others may do anything with it meanwhile.
extern const OpenMode kTraverseFolder;
// A folder being emptied: it can be neither renamed nor deleted by others until it is let go.
extern const OpenMode kHeldFolder;
// A file, or anything else about to be deleted (a link is opened as itself).
extern const OpenMode kEntryToDelete;
// Only its owner is read.
extern const OpenMode kOwnerOnly;
// A folder something is put back into.
extern const OpenMode kFolderToFill;

// Opens the volume root or network share `root` ("C:\", "\\server\share\").
NtStatus OpenRoot(const std::wstring& root, const OpenMode& mode, KernelHandle& handle);

// Opens `name` (one plain name, never a path) in the open folder `parent`.
NtStatus OpenChild(HANDLE parent, const std::wstring& name, const OpenMode& mode, KernelHandle& handle);

// Reads the whole listing of the open folder, "." and ".." left out; `mask` ("*", "orv*")
// chooses the names. A handle is listed once. kStatusNoSuchFile when nothing matched.
NtStatus ListFolder(HANDLE folder, const std::wstring& mask, std::vector<ListedEntry>& entries);

// Deletes the open entry (a file, an empty folder, a link as itself) when its handle closes.
NtStatus DeleteOpened(HANDLE entry);

// Moves the open entry to `fullPath` (a full Win32 path on the same volume), never over
// anything that is there.
NtStatus MoveOpened(HANDLE entry, const std::wstring& fullPath);

// Moves the open entry into the open folder `folder` under `name`, never over anything that
// is there; no path is resolved on the way.
NtStatus MoveOpenedInto(HANDLE entry, HANDLE folder, const std::wstring& name);

// Makes the folder `name` in the open folder `parent` and opens it like a held folder.
NtStatus CreateChildFolder(HANDLE parent, const std::wstring& name, KernelHandle& handle);

// Makes the file `name` in the open folder `parent` for writing; never opens one that is there.
NtStatus CreateChildFile(HANDLE parent, const std::wstring& name, KernelHandle& handle);

// The same, opened as `mode` says.
NtStatus CreateChildWith(HANDLE parent, const std::wstring& name, const OpenMode& mode, KernelHandle& handle);

// The attributes and identity of an open entry, its volume included.
bool ReadOpenedInfo(HANDLE entry, BY_HANDLE_FILE_INFORMATION& info);

// Only the attributes of an open entry: a cheap reading, without the volume.
bool ReadOpenedAttributes(HANDLE entry, DWORD& attributes);

// The file id of an open entry (its file index, as a listing gives it), without its volume.
bool ReadOpenedFileId(HANDLE entry, LONGLONG& id);

// The attributes and identity of an entry opened inside a held tree, where the walk never crosses onto another
// volume (links are not followed): only the attributes and the file index are read, and the
// volume is the one `within` holds. Asking a file for its volume costs a round trip to
// another process under Wine, once per folder; inside a tree it is known already.
bool ReadOpenedInfoWithin(HANDLE entry, const BY_HANDLE_FILE_INFORMATION& within,
                          BY_HANDLE_FILE_INFORMATION& info);

// True when the open object's owner is the system, the administrators or the installer
// service: such a link is the system's own (as "Documents and Settings" is).
bool IsOwnedByAdministrators(HANDLE object);

// The Windows error code of a status, for reports that keep the reason.
DWORD ErrorOfStatus(NtStatus status);
