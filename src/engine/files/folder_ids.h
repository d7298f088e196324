#pragma once
// Folders told apart by what they are on disk (volume serial number and file index), not by
// how their path is spelled: a short name, a ".." after a missing folder or a link in the
// middle of a path all lead to the same identity.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/files/file_calls.h"
#include "engine/rules/path_rules.h"

// The identities of a set of folders (the folders and every folder above them; the entries
// of the `childrenOf` folders with the paths below them), read when the set is made.
class FolderIdSet {
 public:
  // `files` lists the profiles root of `folders.childrenOf`.
  FolderIdSet(const ProtectedFolders& folders, const FileCalls& files);
  // The identities of exactly these folders, none above them.
  explicit FolderIdSet(const std::vector<std::wstring>& exactly);
  ~FolderIdSet();
  FolderIdSet(const FolderIdSet&) = delete;
  FolderIdSet& operator=(const FolderIdSet&) = delete;

  // True when the open folder is one of them, or when its identity cannot be read (what
  // cannot be identified is refused rather than guessed).
  bool Holds(HANDLE folder) const;
  // The same for a folder whose information has been read already.
  bool Holds(const BY_HANDLE_FILE_INFORMATION& folder) const;
  // True when the folder at `path` can be opened and is one of them.
  bool HoldsPath(const std::wstring& path) const;

 private:
  struct Ids;
  std::unique_ptr<Ids> ids_;
};
