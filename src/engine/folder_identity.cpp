#include "engine/folder_identity.h"

#include <set>
#include <tuple>
#include <vector>

#include "engine/files.h"
#include "engine/system_folders.h"

namespace {

struct FolderId {
  DWORD volume;
  DWORD indexHigh;
  DWORD indexLow;
  bool operator<(const FolderId& other) const {
    return std::tie(volume, indexHigh, indexLow) <
           std::tie(other.volume, other.indexHigh, other.indexLow);
  }
};

bool CanOpenFolders() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  return !GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS;
}

// FILE_FLAG_BACKUP_SEMANTICS opens a folder; FILE_FLAG_OPEN_REPARSE_POINT opens a link
// itself instead of what it points at (links in the middle of the path are followed, which
// is what makes their identity the folder's own).
HANDLE OpenFolder(const std::string& path, DWORD access, DWORD sharing) {
  std::string bare = path;
  while (bare.size() > 3 && bare.back() == '\\') bare.pop_back();
  if (bare.size() == 2 && bare[1] == ':') bare += '\\';
  return CreateFileA(bare.c_str(), access, sharing, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool ReadId(HANDLE folder, FolderId& id, DWORD& attributes) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(folder, &info)) return false;
  id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  attributes = info.dwFileAttributes;
  return true;
}

bool ReadPathId(const std::string& path, FolderId& id) {
  const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  KernelHandle folder(OpenFolder(path, FILE_READ_ATTRIBUTES, shareAll));
  DWORD attributes = 0;
  return folder && ReadId(folder.get(), id, attributes);
}

class ProtectedIds {
 public:
  ProtectedIds() {
    const ProtectedFolders& folders = TheProtectedFolders();
    for (const std::string& folder : folders.folders) AddWithAncestors(folder, 0);
    for (const std::string& root : folders.childrenOf) AddProfiles(root, folders.belowChildren);
  }
  bool Contains(const FolderId& id) const { return ids_.count(id) != 0; }

 private:
  // Adds `path` and the folders above it, up to the drive root or to `stopLength`
  // characters (the part that is already in).
  void AddWithAncestors(std::string path, size_t stopLength) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    while (path.size() > stopLength) {
      Add(path);
      const size_t slash = path.rfind('\\');
      if (slash == std::string::npos || slash < 2) break;
      path.resize(slash);
    }
  }
  // Every entry of the profiles root is some user's profile, with the folders every user has
  // inside it.
  void AddProfiles(const std::string& root, const std::vector<std::string>& below) {
    std::string base = root;
    if (base.empty()) return;
    if (base.back() != '\\') base += '\\';
    std::vector<std::string> profiles;
    ListDirectory(base + "*", profiles);
    for (const std::string& profile : profiles) {
      const std::string folder = base + profile;
      Add(folder);
      for (const std::string& relative : below) AddWithAncestors(folder + "\\" + relative, folder.size());
    }
  }
  void Add(const std::string& path) {
    FolderId id;
    if (ReadPathId(path, id)) ids_.insert(id);
  }

  std::set<FolderId> ids_;
};

// Gathered once per run, on first use: the folders do not move while the program runs.
const ProtectedIds& TheProtectedIds() {
  static const ProtectedIds ids;
  return ids;
}

}  // namespace

FolderEntry HeldFolder::Enter(const std::string& path) {
  handle_.Reset();
  if (!CanOpenFolders()) return FolderEntry::Held;
  // Read access without delete sharing: nobody can rename, move or delete the folder while
  // it is held (an open that only reads attributes would not take part in sharing).
  handle_.Reset(OpenFolder(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE));
  if (!handle_) {
    const DWORD error = GetLastError();
    // What exists but cannot be opened cannot be identified: refused rather than guessed.
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FolderEntry::Gone
                                                                          : FolderEntry::Refused;
  }
  FolderId id;
  DWORD attributes = 0;
  if (!ReadId(handle_.get(), id, attributes)) return FolderEntry::Refused;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    handle_.Reset();  // the link's own removal needs it closed
    return FolderEntry::Link;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    handle_.Reset();
    return FolderEntry::Gone;  // a file: no folder of that name to remove
  }
  if (TheProtectedIds().Contains(id)) {
    handle_.Reset();
    return FolderEntry::Refused;
  }
  return FolderEntry::Held;
}
