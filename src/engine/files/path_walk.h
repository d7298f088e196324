#pragma once
// A path reached one folder at a time, as the file primitives reach every path on Windows NT:
// from its drive or share, each folder opened relative to the one above it by its name. A
// folder on the way that is a link is followed only when an administrator made it (the
// system's own junctions, such as "Documents and Settings"); a user's own link could lead the
// program anywhere, so what lies behind it is refused.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/core/handles.h"
#include "engine/files/file_calls.h"
#include "engine/files/nt_files.h"

// A full path cut into the root it is reached from ("C:\", "\\server\share\") and the names
// below it.
struct PathSteps {
  std::wstring root;
  std::vector<std::wstring> names;
};

// The path resolved as Windows resolves it ("." and "..", "/", the final name's trailing dots
// and blanks), then cut. False for a path that leads to no drive or share.
bool SplitFullPath(const std::wstring& path, PathSteps& steps);

// Where a path leads when it is reached one folder at a time (NotAPath: no full path with a
// name in it).
enum class Reach { Reached, Gone, Refused, NotAPath };

// Not there, or not a folder where the path needs one: nothing of that name to act on.
bool IsAbsent(NtStatus status);

// True when the open entry shows itself as a link (on Windows; Wine shows the target).
bool IsLinkHandle(HANDLE handle);

// True when something of that name is in the open `folder` (opened as itself, to read nothing
// of it), or may be: only what is plainly not there counts as free.
bool IsEntryThere(const FileCalls& calls, HANDLE folder, const std::wstring& name);

// What a look-up of one name in a folder's listing found.
enum class Looked {
  Found,    // the entry the name means
  Missing,  // no entry of that name
  Refused,  // the folder cannot be listed, or several entries differ from the name only in
            // case and none is spelled exactly so: which one is meant cannot be told
};

// The entry `name` means in `entries`, a listing filtered by that name (which matches every
// spelling of it, and short names): the one spelled exactly so, else the only one.
Looked PickListed(const std::vector<ListedEntry>& entries, const std::wstring& name, ListedEntry& picked);

// How the listing of `folder` (a handle not listed yet) shows `name` (PickListed). Under Wine
// only the listing tells a link from a folder: an opened link shows the folder it points at.
Looked LookUp(const FileCalls& calls, HANDLE folder, const std::wstring& folderPath, const std::wstring& name,
              ListedEntry& entry);

// Opens the listed `entry` of `parent` by its own spelling, and makes sure the object opened
// is the one listed: where the file system gives ids, they must agree (a name opened again may
// be resolved to another spelling of it, or swapped since the listing). kStatusNotSameObject
// when they do not; the handle is then closed.
NtStatus OpenListed(const FileCalls& calls, HANDLE parent, const ListedEntry& entry, const OpenMode& mode,
                    KernelHandle& handle);

// Looks `name` up in the listing of `parent` and opens the entry found (OpenListed). Gone
// when there is no such entry, Refused when the look-up or the open was refused; `entry` is
// the listed entry, `status` the open's status.
struct ListedOpen {
  Reach reach = Reach::Gone;
  ListedEntry entry;
  NtStatus status = kStatusSuccess;
};
ListedOpen LookUpAndOpen(const FileCalls& calls, HANDLE parent, const std::wstring& parentPath,
                         const std::wstring& name, const OpenMode& mode, KernelHandle& handle);

// Opens the folder `name` of `parent` (its path `parentPath`) with the access of `mode`, the
// entry the listing shows under that name and no other. A link is followed only when an
// administrator made it; what lies behind a user's own link is Refused.
Reach StepInto(const FileCalls& calls, HANDLE parent, const std::wstring& parentPath, const std::wstring& name,
               const OpenMode& mode, KernelHandle& next);

// Opens the folder that holds the last of `steps.names` (the root when there is only one),
// that folder with the access of `mode`. `folderPath` is its path, ending in a backslash.
Reach OpenContainingFolder(const FileCalls& calls, const PathSteps& steps, KernelHandle& folder,
                           std::wstring& folderPath, const OpenMode& mode = kTraverseFolder);

// A named entry's place: the folder that holds it, open, with its path (ending in a
// backslash), and the entry's own name in it.
struct Holder {
  KernelHandle folder;
  std::wstring folderPath;
  std::wstring name;
};

// Splits the full `path` and opens the folder that holds its last name, as
// OpenContainingFolder does.
Reach ReachHolder(const FileCalls& calls, const std::wstring& path, Holder& holder,
                  const OpenMode& mode = kTraverseFolder);

// Opens the folder `path` itself, like the folders on the way to it.
Reach OpenFolder(const FileCalls& calls, const std::wstring& path, KernelHandle& folder);
