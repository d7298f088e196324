#include "engine/files/folder_ids.h"

#include <set>
#include <tuple>
#include <vector>

#include "engine/files/folder_listing.h"
#include "engine/core/handles.h"
#include "engine/core/optional_calls.h"
#include "engine/text/text_utils.h"
#include "engine/text/wide_text.h"

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

FolderId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

bool ReadId(HANDLE folder, FolderId& id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(folder, &info)) return false;
  id = IdOf(info);
  return true;
}

// Opened by path for its identity alone; a link in the middle of the path is followed, which
// is what makes its identity the folder's own.
bool ReadPathId(const std::wstring& path, FolderId& id) {
  if (OnWindows9x()) return false;  // its folders cannot be opened to read what they are
  std::wstring bare = WithoutTrailingBackslashes(path, RootBackslash::Keep);
  if (bare.size() == 2 && bare[1] == L':') bare += L'\\';
  if (bare.size() >= MAX_PATH - 1 && bare.compare(0, 2, L"\\\\") != 0) bare = L"\\\\?\\" + bare;
  KernelHandle folder(CreateFileW(bare.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return folder && ReadId(folder.get(), id);
}

}  // namespace

struct FolderIdSet::Ids {
  explicit Ids(const std::vector<std::wstring>& exactly) {
    for (const std::wstring& folder : exactly)
      if (!folder.empty()) Add(folder);
  }
  Ids(const ProtectedFolders& folders, const FileCalls& files) {
    for (const std::string& folder : folders.folders) AddWithAncestors(WideOfUtf8(folder), 0);
    for (const std::string& root : folders.childrenOf)
      AddProfiles(files, WideOfUtf8(root), folders.belowChildren);
  }
  bool Contains(const FolderId& id) const { return ids_.count(id) != 0; }

  // Adds `path` and the folders above it, up to the drive root or to `stopLength`
  // characters (the part that is already in).
  void AddWithAncestors(std::wstring path, size_t stopLength) {
    path = WithoutTrailingBackslashes(path);
    while (path.size() > stopLength) {
      Add(path);
      const size_t slash = path.rfind(L'\\');
      if (slash == std::wstring::npos || slash < 2) break;
      path.resize(slash);
    }
  }
  // Every entry of the profiles root is some user's profile, with the folders every user has
  // inside it.
  void AddProfiles(const FileCalls& files, const std::wstring& root, const std::vector<std::string>& below) {
    std::wstring base = root;
    if (base.empty()) return;
    if (base.back() != L'\\') base += L'\\';
    std::vector<std::wstring> profiles;
    ListFolderNames(files, base + L"*", profiles);
    for (const std::wstring& profile : profiles) {
      const std::wstring folder = base + profile;
      Add(folder);
      for (const std::string& relative : below)
        AddWithAncestors(folder + L"\\" + WideOfUtf8(relative), folder.size());
    }
  }
  void Add(const std::wstring& path) {
    FolderId id;
    if (ReadPathId(path, id)) ids_.insert(id);
  }

  std::set<FolderId> ids_;
};

FolderIdSet::FolderIdSet(const ProtectedFolders& folders, const FileCalls& files) : ids_(new Ids(folders, files)) {}
FolderIdSet::FolderIdSet(const std::vector<std::wstring>& exactly) : ids_(new Ids(exactly)) {}
FolderIdSet::~FolderIdSet() = default;

bool FolderIdSet::Holds(HANDLE folder) const {
  FolderId id;
  return !ReadId(folder, id) || ids_->Contains(id);
}

bool FolderIdSet::Holds(const BY_HANDLE_FILE_INFORMATION& folder) const {
  return ids_->Contains(IdOf(folder));
}

bool FolderIdSet::HoldsPath(const std::wstring& path) const {
  FolderId id;
  return ReadPathId(path, id) && ids_->Contains(id);
}
