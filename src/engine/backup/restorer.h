#pragma once
// The restore of one backup, item by item: each kind of item (the registry, the files, the
// queue of file operations) is put back beside the code that keeps it (registry_backup.cpp,
// file_backup.cpp, queue_backup.cpp). The backup's own files are read by handle, below the
// backup folder the restore holds; what they say is held to the removal's own limits. A run
// whose policy changes nothing only looks: what would go back is reported as found.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "engine/accounts/privileges.h"
#include "engine/accounts/user_accounts.h"
#include "engine/backup/restore_places.h"
#include "engine/files/nt_files.h"
#include "engine/registry/reg_file.h"
#include "engine/registry/rename_queue.h"
#include "engine/run/gone_items.h"
#include "engine/run/run_context.h"

class Restorer {
 public:
  // `backup` is the backup folder, open and checked; `folder` its path, ending in a backslash.
  Restorer(RunContext& run, HANDLE backup, const std::wstring& folder, const std::vector<std::u16string>& queueOwners);

  // The keys and values of the registry file (registry_backup.cpp).
  void RestoreRegistry();
  // The kept files and folders (file_backup.cpp).
  void RestoreFiles();
  // The queues of file operations, once the files are back (queue_backup.cpp).
  void RestoreQueues();

  size_t restored() const { return restored_; }
  size_t stayed() const { return stayed_; }

 private:
  // What becomes of a value: set now, back already (an earlier restore that did not finish
  // put it back), or kept in the backup because another value has its name.
  enum class ValueBack { Set, Already, Stays };

  // A queue value kept for later: its operations go back once the files are back.
  struct Queue {
    HKEY root;
    std::wstring subKey;
    std::wstring name;
    std::wstring text;
    RegFileValue value;
  };

  // What is put back is reported as the policy says (found, in a look); what stays, as failed.
  void Report(LogKind kind, bool succeeded, const std::wstring& item);

  // registry_backup.cpp
  bool WouldExist(const std::wstring& path);
  bool IsAtHand(HKEY root, const std::wstring& subKey);
  bool OpenOrMake(HKEY root, const std::wstring& subKey, bool mayMake, RegKey& key, bool& made);
  void RestoreKey(const RegFileKey& entry);
  ValueBack SetIfMissing(HKEY key, const std::wstring& name, const RegFileValue& value);

  // file_backup.cpp
  void RestoreFolder(HANDLE folder, const std::wstring& kept, const std::string& relative);
  void RestoreKeptFolder(HANDLE parent, const ListedEntry& entry, const std::wstring& keptEntry,
                         const std::string& relative);
  void PutFolderBack(const std::wstring& original);
  PutBack PutFileBack(HANDLE kept, const std::wstring& original);
  bool MadeInPreview(const std::wstring& folder) const;

  // queue_backup.cpp
  ValueBack AddOperationsBack(HKEY key, const std::wstring& name, const RegFileValue& value);
  bool IsClientsOperation(const RenameOperation& operation) const;

  RunContext& run_;
  HANDLE backup_;
  std::wstring folder_;
  bool preview_;
  PutMode mode_;
  std::vector<std::u16string> queueOwners_;
  std::vector<Queue> queues_;
  AccountRegistries accounts_;
  BackupPrivileges privileges_;
  GoneItems made_;  // what a look counts as made
  size_t restored_ = 0;
  size_t stayed_ = 0;
};
