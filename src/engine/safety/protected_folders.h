#pragma once
// The folders no removal may take on this machine, by their spelling and by what they are on
// disk: the system's own (system_roots.h), the current user's shell folders, every profile
// and the folders every user has inside one; and the places every user may write to, where no
// program is started from. One safety net a run: each set is gathered on its first use.
#include <windows.h>

#include <memory>
#include <string>

#include "engine/accounts/user_accounts.h"
#include "engine/files/file_calls.h"
#include "engine/files/folder_ids.h"
#include "engine/rules/path_rules.h"

class SafetyNet {
 public:
  // `accounts` gives the other accounts' profiles, `files` lists the profiles root.
  SafetyNet(OtherAccounts& accounts, const FileCalls& files);
  ~SafetyNet();
  SafetyNet(const SafetyNet&) = delete;
  SafetyNet& operator=(const SafetyNet&) = delete;

  // True when `directory` must not be removed as a tree by its spelling (see IsRefusedTree);
  // the path is checked as given and in its long form, letters of every alphabet folded as
  // Windows folds them. The walk then checks each folder's identity as well.
  bool IsProtectedTree(const std::wstring& directory);

  // True when the open folder, told by the information its caller read through its handle,
  // is one of the protected folders or a folder above one. Taken as read: under Wine each
  // reading asks another process for the volume's serial number.
  bool IsProtectedFolder(const BY_HANDLE_FILE_INFORMATION& folder);

  // The system's own folders only (GatherSystemFolders), by what the open folder is.
  bool IsSystemFolder(HANDLE folder);

  // True when `folder` is, by its spelling, one of the system's own folders or a folder above
  // one (a drive root among them): no file is ever put right into such a folder.
  bool IsSystemFolderPath(const std::wstring& folder);

  // The folder safety net for a folder the program acts in without removing it (the
  // launcher's): false when its spelling or what it is on disk makes it one of the protected
  // folders.
  bool IsFolderSafeToActIn(const std::wstring& folder);

  // The folders users write to by default, each by what it is on disk: the profiles root
  // (every account's profile and the public folders lie in it), every account's profile
  // wherever the profile list puts it, the common application data, the public documents and
  // desktop, and the temporary folders. A program is never started from below one.
  const FolderIdSet& UserPlaces();

 private:
  struct Gathered;
  const ProtectedFolders& Protected();
  const FolderIdSet& ProtectedIds();

  OtherAccounts& accounts_;
  const FileCalls& files_;
  std::unique_ptr<Gathered> gathered_;
};
