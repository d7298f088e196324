#include "engine/files.h"

#include <windows.h>

#include "engine/change_gate.h"
#include "engine/cleanup_context.h"
#include "engine/file_calls.h"
#include "engine/folder_identity.h"
#include "engine/handles.h"
#include "engine/system_folders.h"
#include "engine/text_utils.h"
#include "engine/wide_text.h"

namespace {

const FileCalls kRealFileCalls = {GetFileAttributesA, DeleteFileA, RemoveDirectoryA,
                                  FindFirstFileA, FindNextFileA};

// The ANSI file functions take paths of fewer than MAX_PATH characters; a longer one would
// be cut by them or refused, so the primitives refuse it themselves.
bool FitsPathBuffer(size_t length) { return length < MAX_PATH; }

// Whether an item too long for the ANSI functions is there all the same, asked through the
// wide functions' long-path form. A refused item that exists is reported as a failure; one
// that does not exist leaves no trace, like any missing item, so that it never asks for a
// reboot that cannot help.
bool ExistsBeyondAnsiReach(const std::string& path) {
  const std::string bare = WithoutTrailingBackslashes(path);
  const bool unc = bare.compare(0, 2, "\\\\") == 0;
  const std::wstring wide = Widen(bare);
  if (wide.empty()) return false;
  const std::wstring longForm = unc ? L"\\\\?\\UNC\\" + wide.substr(2) : L"\\\\?\\" + wide;
  return GetFileAttributesW(longForm.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsNetworkPath(const std::string& path) {
  return path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
         (path[1] == '\\' || path[1] == '/');
}

bool ExistsAsGiven(const std::string& path) {
  std::string bare = WithoutTrailingBackslashes(path);
  if (bare.empty() || bare.back() == ':') bare += '\\';  // a root keeps its backslash
  return TheFileCalls().getFileAttributes(bare.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDotEntry(const char* name) {
  return (name[0] == '.' && name[1] == '\0') ||
         (name[0] == '.' && name[1] == '.' && name[2] == '\0');
}

// Removes a junction or directory symbolic link itself; what it points at is left alone.
void RemoveLink(const std::string& directory) { RemoveDirectoryThroughGate(directory); }

// Removes the folder `directory` (ending in a backslash) and its contents. The one path
// string is extended by each entry's name and cut back, so an entry costs only its name.
// The folder is judged by its identity and held open until its entries are gone.
void RemoveTreeAt(std::string& directory) {
  HeldFolder held;
  switch (held.Enter(directory)) {
    case FolderEntry::Held: break;
    case FolderEntry::Gone: return;
    case FolderEntry::Link: RemoveLink(directory); return;
    case FolderEntry::Refused: TheCleanupContext().ReportDir(directory, false); return;
  }
  std::vector<std::string> names;
  directory += '*';
  const bool listed = ListDirectory(directory, names);
  directory.pop_back();
  if (!listed) return;  // gone, or unreadable: not touched, not reported
  const size_t base = directory.size();
  for (const std::string& name : names) {
    directory.resize(base);
    directory += name;
    const DWORD attributes = TheFileCalls().getFileAttributes(directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;  // vanished since the listing
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      RemoveFile(directory);
      continue;
    }
    directory += '\\';
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
      RemoveLink(directory);
    else if (!FitsPathBuffer(directory.size() + 1))  // room for the "*" of its listing
      TheCleanupContext().ReportDir(directory, false);
    else
      RemoveTreeAt(directory);
  }
  directory.resize(base);
  held.Release();
  RemoveDirectoryThroughGate(directory);
}

}  // namespace

FileCalls& TheFileCalls() {
  static FileCalls calls = kRealFileCalls;
  return calls;
}

const FileCalls& RealFileCalls() { return kRealFileCalls; }

void RemoveFile(const std::string& path) {
  if (!FitsPathBuffer(path.size())) {
    if (ExistsBeyondAnsiReach(path)) TheCleanupContext().ReportFile(path, false);
    return;
  }
  if (IsPathGone(path)) return;
  if (TheFileCalls().getFileAttributes(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  DeleteFileThroughGate(path);
}

bool ListDirectory(const std::string& pattern, std::vector<std::string>& names) {
  if (!FitsPathBuffer(pattern.size())) return false;
  // Only a preview passes over what it counted as gone; a removal lists the names as they are.
  const bool preview = IsPreview();
  const std::string folder = preview ? pattern.substr(0, pattern.rfind('\\') + 1) : std::string();
  if (preview && IsPathGone(folder)) return false;
  WIN32_FIND_DATAA entry;
  FindHandle search(TheFileCalls().findFirstFile(pattern.c_str(), &entry));
  if (!search) return false;
  do {
    if (!IsDotEntry(entry.cFileName) && !(preview && IsPathGone(folder + entry.cFileName)))
      names.push_back(entry.cFileName);
  } while (TheFileCalls().findNextFile(search.get(), &entry));
  const DWORD error = GetLastError();
  search.Reset();  // keeps the last error
  return error == ERROR_NO_MORE_FILES;
}

void RemoveDirTree(const std::string& directory) {
  if (directory.empty()) return;
  if (!FitsPathBuffer(directory.size() + 2)) {  // room for a backslash and the "*"
    if (ExistsBeyondAnsiReach(directory)) TheCleanupContext().ReportDir(directory, false);
    return;
  }
  // A bad registry value or a short path must never take a drive or a system folder. The
  // check comes first, so that a refused network path is never even looked at; a refused
  // local folder that is not there leaves no trace, like any missing folder.
  if (IsProtectedTree(directory)) {
    if (IsNetworkPath(directory) || ExistsAsGiven(directory))
      TheCleanupContext().ReportDir(directory, false);
    return;
  }
  // Names are appended to the path directly: without its backslash, "C:\a" + "*" would list
  // the neighbours "C:\a*" instead of the folder's entries.
  std::string path = directory;
  if (path.back() != '\\') path += '\\';
  if (IsPathGone(path)) return;
  // Asked without the trailing backslash: with it, Wine reports the folder a link points at.
  const std::string bare = WithoutTrailingBackslashes(path);
  const DWORD attributes = TheFileCalls().getFileAttributes(bare.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;  // not there: nothing to do
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    RemoveLink(path);
    return;
  }
  RemoveTreeAt(path);
}
